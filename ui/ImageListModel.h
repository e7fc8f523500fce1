#pragma once

#include <string>
#include <vector>

#include <QAbstractListModel>
#include <QImage>
#include <QString>

#include "imaging/Picture.h"

// One row of the picture list: its thumbnail and its information text, whose
// two lines are separated by "\r\n" as the model object keeps them.
struct ImageListItem {
    QImage thumbnail;
    QString infoText;

    static ImageListItem FromEntry(const Rgb888& thumbnail, const std::string& infoText);
};

// The rows of the picture list. Each row carries its own thumbnail, so removing
// a row moves the thumbnails behind it up with their rows: row i always shows
// thumbnail i. Owned by CImageListCtrlEx. Interface thread only.
class ImageListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int ThumbnailWidth = 80;
    static constexpr int ThumbnailHeight = 60;
    // The information text exactly as given, "\r\n" and all.
    static constexpr int InfoTextRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // One insertion for the whole batch, so the view lays out once.
    void AppendItems(std::vector<ImageListItem> items);
    bool RemoveItem(int position);
    void RemoveAllItems();

private:
    struct Row {
        QImage thumbnail;
        QString infoText;
        QString displayText;
    };
    std::vector<Row> m_rows;
};
