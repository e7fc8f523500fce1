#pragma once

#include <memory>
#include <string>
#include <vector>

#include "imaging/ImageEntry.h"
#include "imaging/ResizeSettings.h"

// The ordered pictures of the list, in the order they were added.
using ImageEntryList = std::vector<std::unique_ptr<ImageEntry>>;

// The model behind the main window: the list of pictures, the paths waiting to be
// added, the selection and the options of a run. Owned by the main window. Used on
// the interface thread, and by one job at a time while the interface waits for it.
// Index accessors never fail: out of range gives null or an empty string.
class ImageBatch : public ResizeSettings {
public:
    void AddPendingPath(const std::string& path) { m_pendingPaths.push_back(path); }
    std::string GetPendingPath(int index) const;
    int GetPendingCount() const { return static_cast<int>(m_pendingPaths.size()); }
    void ClearPending();
    void SetScanFolder(const std::string& folder) { m_scanFolder = folder; }
    std::string GetScanFolder() const { return m_scanFolder; }
    void SetScanFolderFlag(bool scan) { m_scanFolderFlag = scan; }
    bool GetScanFolderFlag() const { return m_scanFolderFlag; }

    // Takes ownership; a null entry is ignored so the list never holds one.
    void AddEntry(std::unique_ptr<ImageEntry> entry);
    ImageEntry* GetEntry(int index) const;
    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    void RemoveEntry(int index);
    void RemoveAllEntries();
    int GetSelectedIndex() const { return m_selectedIndex; }
    void SelectEntry(int index);

    Rgb888 GetThumbnailBitmap(int index) const;
    std::string GetInfoText(int index) const;
    std::string GetTitle(int index) const;

private:
    ImageEntryList m_entries;
    std::vector<std::string> m_pendingPaths;
    std::string m_scanFolder;
    bool m_scanFolderFlag = false;
    int m_selectedIndex = -1;
};
