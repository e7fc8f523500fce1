#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One INI file read and written the way the old profile functions did it: section
// and key names compare case-insensitively, values come back trimmed, the file is
// read anew on every call and created by the first write, and a write keeps every
// other line. Files are UTF-8 (with or without BOM) or UTF-16LE with BOM; a file of
// other 8-bit text is read as Windows-1252. A write keeps the file's encoding and line
// endings (an 8-bit file given a character it cannot hold becomes UTF-8 with BOM).
//
// A write goes to a temporary file in the same folder (files/OutputFile) that then replaces the
// old one, so a crash leaves either the old or the new file, never half of one. A file
// that exists but cannot be read or decoded (binary, broken UTF-16, a folder) reads as a
// file without keys and is never overwritten: the write fails and its bytes stay.
//
// Holds only the path; any thread may use its own instance.
class IniFile {
public:
    explicit IniFile(std::string path)
        : m_path(std::move(path))
    {
    }

    const std::string& GetPath() const { return m_path; }

    // The value, trimmed; defaultValue (trimmed) when the file, section or key is absent.
    // A value longer than MaxValueLength characters comes back cut.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;

    // Writes the value unchanged. False, with the file untouched, when the file cannot be
    // parsed or written, or when a name or the value would break the file's structure
    // (line breaks, NUL, '=' in a key, ']' in a section, text that is not UTF-8).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value) const;

    using Entries = std::vector<std::pair<std::string, std::string>>;

    // Every key of the first section of that name with its value as ReadString gives it, in file
    // order; a key written twice comes once, with its first value.
    Entries ReadSection(std::string_view section) const;
    // The section names, trimmed, in file order; a name written twice (in any case) comes once.
    std::vector<std::string> ReadSectionNames() const;

    // Several keys in one replacement of the file, so a reader sees all of them or none. With
    // replaceSection every section of that name goes first, and the section ends up holding
    // only these keys (none: it is gone). Refused as WriteString refuses, the file untouched.
    bool WriteSection(std::string_view section, const Entries& entries, bool replaceSection = false) const;

    static constexpr std::size_t MaxValueLength = 32767;

private:
    std::string m_path;
};

// Leading and trailing blanks (space, tab, CR, LF, VT, FF) removed.
std::string TrimBlanks(std::string_view text);
