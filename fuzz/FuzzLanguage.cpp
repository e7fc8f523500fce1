// The language table on an arbitrary language file: listed, selected, every text read.
#include <filesystem>

#include <glib.h>

#include "fuzz/FuzzSupport.h"
#include "settings/LanguageTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string folder = [] {
        const std::string f = ScratchFolder() + "/Language";
        std::filesystem::create_directory(f);
        return f;
    }();
    WriteInput(folder + "/Language.ini", data, size);
    LanguageTable table(folder);
    table.LoadLanguages();
    for (const auto& entry : table.GetLanguages()) {
        if (!table.SelectLanguage(entry.first))
            Broken("a listed language cannot be selected");
        for (const auto& builtIn : LanguageTable::BuiltInTexts()) {
            const std::string& text = table.GetString(builtIn.first);
            if (!g_utf8_validate_len(text.data(), text.size(), nullptr))
                Broken("a text that is not UTF-8");
        }
    }
    return 0;
}
