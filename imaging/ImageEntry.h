#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "imaging/Picture.h"

// One picture of the list: where it is, its information text and size, the list
// thumbnail, and the full picture or the preview only while they are needed.
// Owned by ImageBatch. Used by one thread at a time: the job that holds the
// batch, or the interface thread between jobs.
class ImageEntry {
public:
    void SetPath(const std::string& path) { m_path = path; }
    const std::string& GetPath() const { return m_path; }
    // Its folder relative to the folder it was added from: "" or "a/b/". Where its output
    // goes under the output folder when the tree is kept (OutputOptions::keepTree).
    void SetOutputSubfolder(const std::string& folder) { m_outputSubfolder = folder; }
    const std::string& GetOutputSubfolder() const { return m_outputSubfolder; }
    // "" unless the tree is kept.
    const std::string& OutputSubfolder(bool keepTree) const
    {
        static const std::string top;
        return keepTree ? m_outputSubfolder : top;
    }

    // Reads the picture's header; true when it is a picture that can be opened.
    bool Load();
    void FreeImage() { m_image.reset(); }
    // The list thumbnail, from the preview if there is one, else the full picture.
    bool MakeThumbnail(int width, int height);
    // The thumbnail's pixels, a copy for the caller; empty when there is none.
    Rgb888 GetThumbnailBitmap() const;
    // A copy of the full picture made small enough for the box (never enlarged).
    bool MakePreview(int boxWidth, int boxHeight);
    void FreePreview() { m_preview.reset(); }
    void BuildInfoText();

    const Picture* GetImage() const { return m_image ? &*m_image : nullptr; }
    const Picture* GetPreview() const { return m_preview ? &*m_preview : nullptr; }
    const Picture* GetThumbnail() const { return m_thumbnail ? &*m_thumbnail : nullptr; }
    std::string GetInfoText() const { return m_infoText; }
    std::string GetTitle() const { return m_title; }
    std::string GetExtension() const { return m_extension; }
    std::uint32_t GetFileSize() const { return m_fileSize; }
    std::uint32_t GetPixelWidth() const { return m_width; }
    std::uint32_t GetPixelHeight() const { return m_height; }
    // Why the last Load, MakeThumbnail or MakePreview failed: the kind, and the words to show.
    PictureError GetLastErrorCode() const { return m_lastError.code; }
    const std::string& GetLastError() const { return m_lastError.message; }

private:
    std::optional<Picture> m_image;
    std::optional<Picture> m_thumbnail;
    std::optional<Picture> m_preview;
    std::string m_infoText;
    std::string m_title;
    std::string m_extension;
    std::string m_path;
    std::string m_outputSubfolder;
    std::uint32_t m_fileSize = 0;
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    PictureFailure m_lastError;
};

// "W x H x Bbit" CR LF "(K.KKKB) title.ext"
std::string FormatInfoText(
    int width, int height, int bpp, std::uint32_t fileSize, const std::string& title, const std::string& extension);
