#include "settings/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/OutputFile.h"
#include "files/ReadFile.h"

namespace {

// A settings or language file is a few kilobytes; anything this large is not one of ours.
constexpr std::size_t MaxFileSize = 16 * 1024 * 1024;

// Ansi: an 8-bit file of the Windows heritage, read as Windows-1252.
enum class Encoding { Utf8, Utf8Bom, Utf16LeBom, Ansi };

struct IniText {
    Encoding encoding = Encoding::Utf8;
    std::string newline = "\n";
    std::vector<std::string> lines; // without their line ends
};

enum class LoadStatus { Loaded, Missing, Unusable };

struct Loaded {
    LoadStatus status = LoadStatus::Missing;
    IniText text;
    mode_t mode = 0;
};

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && g_ascii_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Rejects NUL too: it never belongs in a text file and marks binary data or a foreign encoding.
bool IsValidUtf8(std::string_view text) { return g_utf8_validate_len(text.data(), text.size(), nullptr); }

// Between UTF-8 and UTF-16LE; nullopt when the bytes are not valid in the source encoding,
// a sequence cut short at the end included.
std::optional<std::string> Convert(std::string_view bytes, const char* to, const char* from)
{
    gsize length = 0;
    gchar* out = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), to, from, nullptr, &length, nullptr);
    if (out == nullptr)
        return std::nullopt;
    std::string result(out, length);
    g_free(out);
    return result;
}

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined stand for the C1
// controls of the same value, as Latin-1 has them, so every byte comes back as it was.
constexpr char32_t Cp1252High[32] = { 0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0x8D, 0x017D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
    0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178 };

// Text of an 8-bit file: no NUL and no control characters but the blanks, or it is
// binary data (or UTF-16 without its mark) and not ours to rewrite.
std::optional<std::string> DecodeAnsi(std::string_view bytes)
{
    std::string utf8;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && !g_ascii_isspace(c))
            return std::nullopt;
        const char32_t code = byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : byte;
        char out[6];
        utf8.append(out, static_cast<std::size_t>(g_unichar_to_utf8(static_cast<gunichar>(code), out)));
    }
    return utf8;
}

// nullopt when a character has no Windows-1252 byte.
std::optional<std::string> EncodeAnsi(std::string_view utf8)
{
    std::string bytes;
    for (const char* p = utf8.data(); p < utf8.data() + utf8.size(); p = g_utf8_next_char(p)) {
        const char32_t code = g_utf8_get_char(p);
        if (code < 0x80 || (code >= 0xA0 && code < 0x100)) {
            bytes += static_cast<char>(code);
            continue;
        }
        const auto* found = std::find(std::begin(Cp1252High), std::end(Cp1252High), code);
        if (found == std::end(Cp1252High))
            return std::nullopt;
        bytes += static_cast<char>(0x80 + (found - std::begin(Cp1252High)));
    }
    return bytes;
}

std::optional<IniText> Decode(const std::string& bytes)
{
    IniText text;
    std::string utf8;
    const std::string_view view(bytes);
    if (view.starts_with("\xEF\xBB\xBF")) {
        text.encoding = Encoding::Utf8Bom;
        utf8 = bytes.substr(3);
    } else if (view.starts_with("\xFF\xFE")) {
        text.encoding = Encoding::Utf16LeBom;
        auto decoded = Convert(view.substr(2), "UTF-8", "UTF-16LE");
        if (!decoded)
            return std::nullopt;
        utf8 = std::move(*decoded);
    } else if (IsValidUtf8(bytes)) {
        utf8 = bytes;
    } else if (auto decoded = DecodeAnsi(bytes)) {
        text.encoding = Encoding::Ansi;
        utf8 = std::move(*decoded);
    } else {
        return std::nullopt;
    }
    if (!IsValidUtf8(utf8))
        return std::nullopt;
    if (utf8.find("\r\n") != std::string::npos)
        text.newline = "\r\n";
    std::size_t start = 0;
    while (start < utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string::npos)
            end = utf8.size();
        std::string line = utf8.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text.lines.push_back(std::move(line));
        start = end + 1;
    }
    return text;
}

std::optional<std::string> Encode(const IniText& text)
{
    std::string utf8;
    for (const std::string& line : text.lines)
        utf8 += line + text.newline;
    switch (text.encoding) {
    case Encoding::Utf8:
        return utf8;
    case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + utf8;
    case Encoding::Utf16LeBom:
        if (auto utf16 = Convert(utf8, "UTF-16LE", "UTF-8"))
            return "\xFF\xFE" + *utf16;
        return std::nullopt;
    case Encoding::Ansi:
        // A character the 8-bit file cannot hold turns the whole file into UTF-8 rather
        // than losing the value; the mark tells the encoding to any reader.
        if (auto ansi = EncodeAnsi(utf8))
            return ansi;
        return "\xEF\xBB\xBF" + utf8;
    }
    return utf8;
}

Loaded Load(const std::string& path)
{
    Loaded result;
    if (path.empty())
        return result;
    std::string bytes;
    unsigned mode = 0;
    const ReadStatus status = ReadRegularFile(path, MaxFileSize, bytes, &mode);
    if (status == ReadStatus::Missing)
        return result;
    result.status = LoadStatus::Unusable;
    if (status == ReadStatus::Read) {
        if (auto text = Decode(bytes)) {
            result.status = LoadStatus::Loaded;
            result.text = std::move(*text);
            result.mode = mode;
        }
    }
    return result;
}

// "[name]" gives name, trimmed; anything else is not a section header.
std::optional<std::string> SectionName(std::string_view trimmedLine)
{
    if (!trimmedLine.starts_with('['))
        return std::nullopt;
    std::string_view name = trimmedLine.substr(1);
    name = name.substr(0, name.find(']'));
    return TrimBlanks(name);
}

struct KeyLine {
    std::string key;
    std::string value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line)
{
    const std::string trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[')
        return std::nullopt;
    const std::size_t eq = trimmed.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return KeyLine { TrimBlanks(std::string_view(trimmed).substr(0, eq)),
        TrimBlanks(std::string_view(trimmed).substr(eq + 1)) };
}

struct Position {
    std::optional<std::size_t> sectionLine; // the header of the first matching section
    std::optional<std::size_t> keyLine;     // the first matching key inside it
    std::size_t lastContentLine = 0;        // last non-blank line of that section
};

Position Find(const IniText& text, std::string_view section, std::string_view key)
{
    Position pos;
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        const std::string trimmed = TrimBlanks(text.lines[i]);
        if (auto name = SectionName(trimmed)) {
            if (pos.sectionLine)
                break; // the end of the matching section
            if (EqualsNoCase(*name, section)) {
                pos.sectionLine = i;
                pos.lastContentLine = i;
            }
            continue;
        }
        if (!pos.sectionLine)
            continue;
        if (!trimmed.empty())
            pos.lastContentLine = i;
        if (auto kv = ParseKeyLine(trimmed); kv && EqualsNoCase(kv->key, key)) {
            pos.keyLine = i;
            break;
        }
    }
    return pos;
}

std::string CutToLength(std::string text, std::size_t maxChars)
{
    const auto chars = static_cast<glong>(maxChars);
    if (g_utf8_strlen(text.data(), static_cast<gssize>(text.size())) > chars)
        text.resize(static_cast<std::size_t>(g_utf8_offset_to_pointer(text.data(), chars) - text.data()));
    return text;
}

bool HasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsWritableSection(std::string_view section)
{
    return section.find(']') == std::string_view::npos && !HasLineBreakOrNul(section) && IsValidUtf8(section);
}

bool IsWritable(std::string_view section, std::string_view key, std::string_view value)
{
    if (TrimBlanks(key).empty() || key.find('=') != std::string_view::npos || !IsWritableSection(section))
        return false;
    if (HasLineBreakOrNul(key) || HasLineBreakOrNul(value))
        return false;
    // A key line starting with these would read back as a comment or a section.
    const std::string trimmedKey = TrimBlanks(key);
    if (trimmedKey.front() == ';' || trimmedKey.front() == '[')
        return false;
    return IsValidUtf8(section) && IsValidUtf8(key) && IsValidUtf8(value);
}

// The file a symbolic link points to is the one to replace, not the link.
std::string ResolvedTarget(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr)
        return resolved;
    return path;
}

} // namespace

std::string TrimBlanks(std::string_view text)
{
    while (!text.empty() && g_ascii_isspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && g_ascii_isspace(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const Loaded loaded = Load(m_path);
    if (loaded.status == LoadStatus::Loaded) {
        const Position pos = Find(loaded.text, TrimBlanks(section), TrimBlanks(key));
        if (pos.keyLine) {
            if (auto kv = ParseKeyLine(loaded.text.lines[*pos.keyLine]))
                return CutToLength(kv->value, MaxValueLength);
        }
    }
    return CutToLength(TrimBlanks(defaultValue), MaxValueLength);
}

IniFile::Entries IniFile::ReadSection(std::string_view section) const
{
    Entries entries;
    const Loaded loaded = Load(m_path);
    if (loaded.status != LoadStatus::Loaded)
        return entries;
    const std::string name = TrimBlanks(section);
    bool inside = false;
    for (const std::string& line : loaded.text.lines) {
        const std::string trimmed = TrimBlanks(line);
        if (auto header = SectionName(trimmed)) {
            if (inside)
                break; // only the first section of that name counts, as for ReadString
            inside = EqualsNoCase(*header, name);
            continue;
        }
        auto kv = inside ? ParseKeyLine(trimmed) : std::nullopt;
        if (!kv || std::ranges::any_of(entries, [&](const auto& e) { return EqualsNoCase(e.first, kv->key); }))
            continue;
        entries.emplace_back(std::move(kv->key), CutToLength(std::move(kv->value), MaxValueLength));
    }
    return entries;
}

std::vector<std::string> IniFile::ReadSectionNames() const
{
    std::vector<std::string> names;
    const Loaded loaded = Load(m_path);
    if (loaded.status != LoadStatus::Loaded)
        return names;
    for (const std::string& line : loaded.text.lines) {
        auto header = SectionName(TrimBlanks(line));
        if (header && std::ranges::none_of(names, [&](const std::string& n) { return EqualsNoCase(n, *header); }))
            names.push_back(std::move(*header));
    }
    return names;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const
{
    return WriteSection(section, { { std::string(key), std::string(value) } });
}

bool IniFile::WriteSection(std::string_view section, const Entries& entries, bool replaceSection) const
{
    if (m_path.empty() || !IsWritableSection(section))
        return false;
    for (const auto& [key, value] : entries)
        if (!IsWritable(section, key, value))
            return false;
    Loaded loaded = Load(m_path);
    if (loaded.status == LoadStatus::Unusable)
        return false;
    if (loaded.status == LoadStatus::Missing && entries.empty())
        return true; // nothing to remove, nothing to make
    if (loaded.status == LoadStatus::Missing)
        loaded.mode = 0666 & ~[] {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            return mask;
        }();
    IniText& text = loaded.text;
    // Names are read back trimmed, so they are looked up and written trimmed.
    const std::string sectionName = TrimBlanks(section);
    if (replaceSection) {
        std::vector<std::string> kept;
        bool inside = false;
        for (std::string& line : text.lines) {
            if (auto header = SectionName(TrimBlanks(line)))
                inside = EqualsNoCase(*header, sectionName);
            if (!inside)
                kept.push_back(std::move(line));
        }
        text.lines = std::move(kept);
    }
    for (const auto& [key, value] : entries) {
        const std::string keyName = TrimBlanks(key);
        const std::string line = keyName + "=" + value;
        const Position pos = Find(text, sectionName, keyName);
        if (pos.keyLine) {
            text.lines[*pos.keyLine] = line;
        } else if (pos.sectionLine) {
            text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(pos.lastContentLine + 1), line);
        } else {
            text.lines.push_back("[" + sectionName + "]");
            text.lines.push_back(line);
        }
    }
    const auto bytes = Encode(text);
    std::string error;
    return bytes && ReplaceFile(ResolvedTarget(m_path), *bytes, loaded.mode, error);
}
