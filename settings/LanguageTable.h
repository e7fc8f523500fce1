#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The texts the program's own code shows (messages, dialog titles), by key, in the
// language the LANGUAGE setting names. Starts from the built-in English table; one
// language file from the language folder can replace texts but never add keys.
// The process-wide table lives on the interface thread; GetLanguageTable() returns it.
class LanguageTable {
public:
    // folder: where the "*.ini" language files are looked for, relative to the
    // current directory (the program's folder) unless absolute.
    explicit LanguageTable(std::string folder = "Language");

    // Resets to English, lists the language files and applies the one whose declared
    // name equals the LANGUAGE setting exactly.
    void LoadLanguages();
    // False, with nothing changed, for an unknown name. Otherwise stores the name as the
    // LANGUAGE setting and applies that file over the English texts.
    bool SelectLanguage(const std::string& name);
    // The text of a key, or an empty text for a key the table does not hold (and for every
    // key before LoadLanguages). Valid until the next language is applied.
    const std::string& GetString(std::string_view key) const;

    // The language names found by LoadLanguages, each with the path of its file.
    const std::map<std::string, std::string>& GetLanguages() const { return m_index; }
    const std::string& GetCurrentFile() const { return m_currentFile; }

    // Every key with its English text, in table order.
    static const std::vector<std::pair<std::string, std::string>>& BuiltInTexts();
    // Turns \r and \n into CR and LF and drops the backslash before any other character.
    // A backslash that ends the value stays; a character set free by an escape may itself
    // be a backslash that escapes the next one, so "\\T" gives "T".
    static std::string ApplyEscapes(std::string value);

private:
    void ResetToBuiltIn();

    std::string m_folder;
    std::map<std::string, std::string, std::less<>> m_texts;
    std::map<std::string, std::string> m_index;
    std::string m_currentFile;
};

LanguageTable& GetLanguageTable();
