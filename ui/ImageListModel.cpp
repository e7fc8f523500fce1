#include "ui/ImageListModel.h"

#include <utility>

#include <QPainter>

namespace {

// Every row shows an 80 x 60 picture, so a missing or odd-sized thumbnail gets a
// white one of the right size rather than shifting the grid.
QImage NormaliseThumbnail(const QImage& image)
{
    const QSize size(ImageListModel::ThumbnailWidth, ImageListModel::ThumbnailHeight);
    if (!image.isNull() && image.size() == size)
        return image.convertToFormat(QImage::Format_RGB888);
    QImage out(size, QImage::Format_RGB888);
    out.fill(Qt::white);
    if (!image.isNull()) {
        const QImage fitted = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter p(&out);
        p.drawImage((size.width() - fitted.width()) / 2, (size.height() - fitted.height()) / 2, fitted);
    }
    return out;
}

} // namespace

ImageListItem ImageListItem::FromEntry(const Rgb888& thumbnail, const std::string& infoText)
{
    ImageListItem item;
    if (thumbnail.width > 0 && thumbnail.height > 0
        && thumbnail.bytes.size() >= std::size_t(thumbnail.width) * std::size_t(thumbnail.height) * 3)
        item.thumbnail = QImage(
            thumbnail.bytes.data(), thumbnail.width, thumbnail.height, thumbnail.width * 3, QImage::Format_RGB888)
                             .copy();
    item.infoText = QString::fromStdString(infoText);
    return item;
}

int ImageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant ImageListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const Row& row = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.displayText;
    case Qt::DecorationRole:
        return row.thumbnail;
    case Qt::ToolTipRole:
        return row.displayText;
    case InfoTextRole:
        return row.infoText;
    default:
        return {};
    }
}

Qt::ItemFlags ImageListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ImageListModel::AppendItems(std::vector<ImageListItem> items)
{
    if (items.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(items.size()) - 1);
    m_rows.reserve(m_rows.size() + items.size());
    for (ImageListItem& item : items) {
        Row row;
        row.thumbnail = NormaliseThumbnail(item.thumbnail);
        // The view breaks lines at '\n' only; a bare '\r' would show as a box.
        row.displayText = QString(item.infoText).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        row.infoText = std::move(item.infoText);
        m_rows.push_back(std::move(row));
    }
    endInsertRows();
}

bool ImageListModel::RemoveItem(int position)
{
    if (position < 0 || position >= rowCount())
        return false;
    beginRemoveRows(QModelIndex(), position, position);
    m_rows.erase(m_rows.begin() + position);
    endRemoveRows();
    return true;
}

void ImageListModel::RemoveAllItems()
{
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}
