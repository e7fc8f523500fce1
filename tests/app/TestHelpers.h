#pragma once

#include <string>

#include <gtest/gtest.h>

// Names a parameterised case after the `name` field of its row.
struct CaseName {
    template <typename Row> std::string operator()(const ::testing::TestParamInfo<Row>& row) const
    {
        return row.param.name;
    }
};

// The bytes of a UTF-16LE file with its byte-order mark (characters of the BMP).
inline std::string Utf16Le(const std::u16string& text)
{
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}
