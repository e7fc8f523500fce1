#include "settings/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A settings or language file is a few kilobytes; anything this large is not one of ours.
constexpr off_t MaxFileSize = 16 * 1024 * 1024;

IniFile::ReplaceHook& BeforeReplaceHook()
{
    static IniFile::ReplaceHook hook;
    return hook;
}

enum class Encoding { Utf8, Utf8Bom, Utf16LeBom };

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

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not valid
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned min = 0;
    unsigned cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, min = 0x80, cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, min = 0x800, cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8SequenceLength(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

void AppendUtf8(std::string& out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::optional<std::string> Utf16LeToUtf8(std::string_view bytes)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t k) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[k]))
            | (static_cast<unsigned>(static_cast<unsigned char>(bytes[k + 1])) << 8);
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        unsigned cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 3 >= bytes.size())
                return std::nullopt;
            const unsigned low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return std::nullopt;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

// The text is known to be valid UTF-8 here.
std::string Utf8ToUtf16Le(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    const auto put = [&](unsigned u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8SequenceLength(text, i);
        unsigned cp = static_cast<unsigned char>(text[i]);
        if (n > 1) {
            cp &= (n == 2) ? 0x1Fu : (n == 3) ? 0x0Fu : 0x07u;
            for (std::size_t k = 1; k < n; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        }
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
        i += n;
    }
    return out;
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
        auto decoded = Utf16LeToUtf8(view.substr(2));
        if (!decoded)
            return std::nullopt;
        utf8 = std::move(*decoded);
    } else {
        utf8 = bytes;
    }
    // A NUL never belongs in a text file; it marks binary data or a foreign encoding.
    if (utf8.find('\0') != std::string::npos || !IsValidUtf8(utf8))
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

std::string Encode(const IniText& text)
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
        return "\xFF\xFE" + Utf8ToUtf16Le(utf8);
    }
    return utf8;
}

bool ReadAll(int fd, std::string& out)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > static_cast<std::size_t>(MaxFileSize))
            return false;
    }
}

Loaded Load(const std::string& path)
{
    Loaded result;
    if (path.empty())
        return result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.status = (errno == ENOENT) ? LoadStatus::Missing : LoadStatus::Unusable;
        return result;
    }
    result.status = LoadStatus::Unusable;
    struct stat st { };
    std::string bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= MaxFileSize && ReadAll(fd, bytes)) {
        if (auto text = Decode(bytes)) {
            result.status = LoadStatus::Loaded;
            result.text = std::move(*text);
            result.mode = st.st_mode & 07777;
        }
    }
    ::close(fd);
    return result;
}

// "[name]" gives name, trimmed; anything else is not a section header.
std::optional<std::string_view> SectionName(std::string_view trimmedLine)
{
    if (!trimmedLine.starts_with('['))
        return std::nullopt;
    std::string_view name = trimmedLine.substr(1);
    name = name.substr(0, name.find(']'));
    while (!name.empty() && IsBlank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back()))
        name.remove_suffix(1);
    return name;
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
    std::optional<std::size_t> keyLine; // the first matching key inside it
    std::size_t lastContentLine = 0; // last non-blank line of that section
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
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++chars) {
        if (chars == maxChars) {
            text.resize(i);
            break;
        }
        i += Utf8SequenceLength(text, i);
    }
    return text;
}

bool HasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsWritable(std::string_view section, std::string_view key, std::string_view value)
{
    if (TrimBlanks(key).empty() || key.find('=') != std::string_view::npos
        || section.find(']') != std::string_view::npos)
        return false;
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value))
        return false;
    // A key line starting with these would read back as a comment or a section.
    const std::string trimmedKey = TrimBlanks(key);
    if (trimmedKey.front() == ';' || trimmedKey.front() == '[')
        return false;
    return IsValidUtf8(section) && IsValidUtf8(key) && IsValidUtf8(value);
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes the bytes beside the target and renames them over it.
bool ReplaceFile(const std::string& path, const std::string& bytes, mode_t mode)
{
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && BeforeReplaceHook())
        BeforeReplaceHook()(temp);
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
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
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

void IniFile::SetBeforeReplaceHook(ReplaceHook hook) { BeforeReplaceHook() = std::move(hook); }

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const Loaded loaded = Load(m_path);
    if (loaded.status == LoadStatus::Loaded) {
        const Position pos = Find(loaded.text, section, key);
        if (pos.keyLine) {
            if (auto kv = ParseKeyLine(loaded.text.lines[*pos.keyLine]))
                return CutToLength(kv->value, MaxValueLength);
        }
    }
    return CutToLength(TrimBlanks(defaultValue), MaxValueLength);
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const
{
    if (m_path.empty() || !IsWritable(section, key, value))
        return false;
    Loaded loaded = Load(m_path);
    if (loaded.status == LoadStatus::Unusable)
        return false;
    if (loaded.status == LoadStatus::Missing)
        loaded.mode = 0666 & ~[] {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            return mask;
        }();
    IniText& text = loaded.text;
    const std::string line = std::string(TrimBlanks(key)) + "=" + std::string(value);
    const Position pos = Find(text, section, key);
    if (pos.keyLine) {
        text.lines[*pos.keyLine] = line;
    } else if (pos.sectionLine) {
        text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(pos.lastContentLine + 1), line);
    } else {
        text.lines.push_back("[" + std::string(section) + "]");
        text.lines.push_back(line);
    }
    return ReplaceFile(ResolvedTarget(m_path), Encode(text), loaded.mode);
}
