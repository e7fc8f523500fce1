#include "settings/LanguageTable.h"

#include <glib.h>

#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

namespace {

const std::string& EmptyText()
{
    static const std::string empty;
    return empty;
}

// Regular files ending in ".ini" (any case), in the order the file system lists them.
std::vector<std::string> ListLanguageFiles(const std::string& folder)
{
    std::vector<std::string> files;
    GDir* dir = g_dir_open(folder.c_str(), 0, nullptr);
    if (dir == nullptr)
        return files;
    while (const char* entry = g_dir_read_name(dir)) {
        const std::string name = entry;
        const std::string path = folder + "/" + name;
        if (name.size() >= 4 && g_ascii_strcasecmp(name.c_str() + name.size() - 4, ".ini") == 0
            && g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR))
            files.push_back(path);
    }
    g_dir_close(dir);
    return files;
}

} // namespace

LanguageTable::LanguageTable(std::string folder)
    : m_folder(std::move(folder))
{
}

const std::vector<std::pair<std::string, std::string>>& LanguageTable::BuiltInTexts()
{
    static const std::vector<std::pair<std::string, std::string>> table = {
        { "strTipAddFile", "Add URL" },
        { "strTipStartTask", "Start Task(s)" },
        { "strTipStopTask", "Stop Task(s)" },
        { "strTipRemoveTask", "Remove Task(s)" },
        { "strTipClearAll", "Clear All Completed Tasks" },
        { "strTipExit", "Exit Program" },
        { "strTipMinimize", "Minimize" },
        { "strTipClose", "Minimize to System Tray" },
        { "strColName", "Name" },
        { "strColSize", "Size" },
        { "strColTimeElapsed", "Time Elapsed" },
        { "strColTarget", "Target" },
        { "strColStatus", "Status" },
        { "strColMode", "Download Mode" },
        { "strMsgCompletedTasks",
            "Some of the tasks are completed, are you sure to start all of them? \r\nClick \"Yes\" to start all "
            "tasks, click \"No\" to ignore completed tasks." },
        { "strWaiting", "Waiting" },
        { "strStopped", "Stopped" },
        { "strConverting", "Converting" },
        { "strCompleted", "Completed" },
        { "strFailed", "Failed" },
        { "strDownloading", "Downloading" },
        { "strParsing", "Parsing" },
        { "strMore", "More>>" },
        { "strLess", "More<<" },
        { "strSelectFolder", "Select Destination Folder" },
        { "strMsgInvalidFolder", "Invaild Folder Path, please select a valid location to save file." },
        { "strMsgInvalidFolder1", "Invalid output folder \"" },
        { "strMsgInvalidFolder2", "\", please select a valid one!" },
        { "strMsgRemoveAll", "Are you sure to remove all completed tasks?" },
        { "strMsgInvalidURL", "Invalid URL, the URL should like this:" },
        { "strTipGeneralSetting", "General Settings" },
        { "strTipAdvancedSetting", "Advanced Settings" },
        { "strMsgInvalidFileName",
            "Output file name can not contain any of the following characters : \r\n \\ / : * ? \" < > | " },
        { "strLanguage", "Language" },
        { "strMsgConvertAll", "No tasks have been selected, convert all of them?" },
        { "strOK", "OK" },
        { "strCancel", "Cancel" },
    };
    return table;
}

std::string LanguageTable::ApplyEscapes(std::string value)
{
    // Nothing before the backslash just replaced can be a backslash, so going on from
    // that position finds the same one a search from the start would.
    std::size_t pos = value.find('\\');
    while (pos != std::string::npos && pos + 1 < value.size()) {
        const char next = value[pos + 1];
        const char replacement = next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        value.replace(pos, 2, 1, replacement);
        pos = value.find('\\', pos);
    }
    return value;
}

void LanguageTable::ResetToBuiltIn()
{
    m_texts.clear();
    for (const auto& [key, text] : BuiltInTexts())
        m_texts.emplace(key, text);
}

void LanguageTable::LoadLanguages()
{
    ResetToBuiltIn();
    for (const std::string& path : ListLanguageFiles(m_folder)) {
        const std::string name = IniFile(path).ReadString("INFO", "Language", "");
        if (name.empty())
            continue;
        m_index[name] = path;
        // Read per file, since selecting writes the setting.
        if (SettingsStore::GetLanguage() == name)
            SelectLanguage(name);
    }
}

bool LanguageTable::SelectLanguage(const std::string& name)
{
    const auto found = m_index.find(name);
    if (found == m_index.end())
        return false;
    SettingsStore::SetLanguage(name);
    m_currentFile = found->second;
    ResetToBuiltIn();
    const IniFile file(m_currentFile);
    for (auto& [key, text] : m_texts) {
        const std::string value = file.ReadString("STRING", key, "");
        if (!value.empty())
            text = ApplyEscapes(value);
    }
    return true;
}

const std::string& LanguageTable::GetString(std::string_view key) const
{
    const auto found = m_texts.find(key);
    return found == m_texts.end() ? EmptyText() : found->second;
}

LanguageTable& GetLanguageTable()
{
    static LanguageTable table;
    return table;
}
