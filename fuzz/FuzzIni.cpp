// The INI reader and writer on arbitrary file content. The first line of the input,
// split at '/', names the section and key looked up, so look-ups find what is there.
#include <glib.h>

#include "fuzz/FuzzSupport.h"
#include "settings/IniFile.h"
#include "settings/PanelOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = ScratchFolder() + "/settings.ini";
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view names = input.substr(0, input.find('\n'));
    const std::string section(names.substr(0, names.find('/')));
    const std::string key(names.find('/') == std::string_view::npos ? "K" : names.substr(names.find('/') + 1));
    WriteInput(path, data, size);

    const IniFile file(path);
    const std::string value = file.ReadString(section, key, "default");
    if (!g_utf8_validate_len(value.data(), value.size(), nullptr))
        Broken("a value that is not UTF-8");
    if (value.size() > IniFile::MaxValueLength * 4)
        Broken("a value longer than the limit");
    // What a write accepts reads back, and the file stays readable.
    const std::string written = "v\xC3\xA9";
    if (file.WriteString(section, key, written) && file.ReadString(section, key, "") != written)
        Broken("a written value does not read back");
    // A section of the option panel's keys, read from whatever it holds, then put in its place whole.
    (void)file.ReadSectionNames();
    PanelOptions options;
    (void)ReadPanelOptionsEntries(file.ReadSection(section), options);
    if (file.WriteSection(section, WritePanelOptionsEntries(options), true)) {
        PanelOptions back;
        if (!ReadPanelOptionsEntries(file.ReadSection(section), back).empty() || !(back == options))
            Broken("a replaced section does not read back");
    }
    return 0;
}
