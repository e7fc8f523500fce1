#pragma once

#include <vector>

#include <QListView>
#include <QStringList>

#include "ui/ImageListModel.h"

// The lines an item's information text takes in a text column `width` pixels wide: each
// line of the text, broken at spaces where it can and anywhere where it must, so every
// character shows; nothing is elided.
QStringList LayoutInfoText(const QString& text, const QFont& font, int width);

// The picture list: 80 x 60 thumbnails in icon view with the two-line information
// text under each, a long name wrapped over more lines, on a light gradient inside a grey frame. It wraps into rows and
// only ever scrolls down; several items can be selected and the selection stays
// visible without focus. Item i always shows thumbnail i: each item carries its
// own thumbnail, so removing one moves the later thumbnails up with their items.
// Owned by the main window. Interface thread only.
//
// Use: after an add job, AppendItems with one ImageListItem::FromEntry(
// GetThumbnailBitmap(i), GetInfoText(i)) per new entry, all in one call. To remove
// selected items, take GetSelectedItems() (ascending) and DeleteItem(s - k) for
// the k-th of them. DeleteAllItems for Clear All. ItemClicked drives the preview.
class CImageListCtrlEx : public QListView {
    Q_OBJECT
public:
    explicit CImageListCtrlEx(QWidget* parent = nullptr);
    ~CImageListCtrlEx() override;

    void AppendItems(std::vector<ImageListItem> items);
    void AppendItem(const QImage& thumbnail, const QString& infoText);
    // False when there is no item at that position.
    bool DeleteItem(int position);
    void DeleteAllItems();
    int GetItemCount() const;
    // Positions of the selected items, ascending.
    std::vector<int> GetSelectedItems() const;
    // Selects or deselects one item and leaves the others as they are; selecting
    // also makes it the current item and scrolls it into view.
    void SetItemSelected(int position, bool selected = true);
    QImage GetItemThumbnail(int position) const;
    QString GetItemText(int position) const;
    ImageListModel* GetModel() const { return m_model; }

    // An item's cell: the thumbnail, then its text, with a little air.
    static constexpr int CellWidth = 132;
    static constexpr int CellPadding = 4;
    static constexpr int TextWidth = CellWidth - 2 * CellPadding;

signals:
    // A left click with the mouse: the item under the press, or -1 when it hit no
    // item. Selection changes by keyboard do not send it.
    void ItemClicked(int index);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Remembers the item under a left press; the click is reported on release.
    void NotePress(const QMouseEvent* event);

    ImageListModel* m_model = nullptr;
    int m_pressedIndex = -1;
    bool m_leftPressed = false;
};
