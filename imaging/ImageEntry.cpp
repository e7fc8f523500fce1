#include "imaging/ImageEntry.h"

#include <cstdio>
#include <sys/stat.h>

#include "files/PathUtil.h"

std::string FormatInfoText(
    int width, int height, int bpp, std::uint32_t fileSize, const std::string& title, const std::string& extension)
{
    char line[160];
    std::snprintf(line, sizeof line, "%d x %d x %dbit\r\n(%.2fKB) ", width, height, bpp, fileSize / 1024.0);
    return line + title + extension;
}

bool ImageEntry::Load()
{
    const PathParts parts = SplitPath(m_path);
    m_title = parts.title;
    m_extension = parts.extension;
    m_image.reset();
    if (!m_extension.empty())
        m_extension.erase(0, 1);
    Picture picture = Picture::Load(m_path);
    if (!picture.IsValid()) {
        m_lastError = { picture.GetErrorCode(), picture.GetError() };
        return false;
    }
    // A picture whose file vanished since it was opened is not one we can convert.
    struct stat st { };
    if (::stat(m_path.c_str(), &st) != 0) {
        m_lastError = { PictureError::Unreadable, "cannot read: the file has gone" };
        return false;
    }
    m_width = static_cast<std::uint32_t>(picture.GetWidth());
    m_height = static_cast<std::uint32_t>(picture.GetHeight());
    m_fileSize = static_cast<std::uint32_t>(static_cast<std::uint64_t>(st.st_size) & 0xffffffffu);
    m_image = std::move(picture);
    m_lastError = {};
    return true;
}

bool ImageEntry::MakeThumbnail(int width, int height)
{
    const Picture* source = nullptr;
    if (m_preview && m_preview->IsValid())
        source = &*m_preview;
    else if (m_image && m_image->IsValid())
        source = &*m_image;
    if (!source)
        return false;
    m_thumbnail.reset();
    Picture thumbnail = *source;
    thumbnail.IncreaseBpp24();
    if (!thumbnail.Thumbnail(width, height)) {
        m_lastError = { thumbnail.GetErrorCode(), thumbnail.GetError() };
        return false;
    }
    m_thumbnail = std::move(thumbnail);
    return true;
}

Rgb888 ImageEntry::GetThumbnailBitmap() const
{
    if (!m_thumbnail || !m_thumbnail->IsValid())
        return {};
    return m_thumbnail->ToRgb888();
}

bool ImageEntry::MakePreview(int boxWidth, int boxHeight)
{
    if (!m_image || !m_image->IsValid())
        return false;
    m_preview.reset();
    Picture preview = *m_image;
    preview.IncreaseBpp24();
    const int w = preview.GetWidth(), h = preview.GetHeight();
    const double rx = static_cast<double>(boxWidth) / w, ry = static_cast<double>(boxHeight) / h;
    bool ok = true;
    if (rx >= 1 && ry >= 1) {
        ok = preview.Realize();
    } else {
        const double r = rx <= ry ? rx : ry;
        // A sliver of a picture still keeps one row or column.
        const int pw = std::max(1, static_cast<int>(w * r)), ph = std::max(1, static_cast<int>(h * r));
        ok = preview.Resample2(pw, ph);
    }
    if (!ok) {
        m_lastError = { preview.GetErrorCode(), preview.GetError() };
        return false;
    }
    m_preview = std::move(preview);
    return true;
}

void ImageEntry::BuildInfoText()
{
    if (m_path.empty() || !m_image || !m_image->IsValid())
        return;
    const PathParts parts = SplitPath(m_path);
    m_title = parts.title;
    m_extension = parts.extension;
    m_infoText = FormatInfoText(
        m_image->GetWidth(), m_image->GetHeight(), m_image->GetBpp(), m_fileSize, m_title, m_extension);
}
