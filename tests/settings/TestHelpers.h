#pragma once

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/TestPictures.h"

// Rows of the parameterised tables.
using Pairs = std::vector<std::pair<std::string, std::string>>;
using Triples = std::vector<std::tuple<std::string, std::string, std::string>>;

inline void WriteText(const std::string& path, const std::string& text)
{
    testpics::WriteBytes(path, { text.begin(), text.end() });
}

inline std::string ReadText(const std::string& path)
{
    const auto bytes = testpics::ReadBytes(path);
    return { bytes.begin(), bytes.end() };
}

// The bytes of a UTF-16LE file with its byte-order mark (characters of the BMP).
inline std::string Utf16Le(const std::u16string& text)
{
    std::string out = "\xFF\xFE";
    for (char16_t c : text)
        out += std::string { static_cast<char>(c & 0xFF), static_cast<char>(c >> 8) };
    return out;
}

inline long Entries(const std::filesystem::path& folder)
{
    return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
}
