#include "ui/CImageListCtrlEx.h"

#include <algorithm>
#include <utility>

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>

#include "controls/FillGradientV.h"
#include "ui/ControlLook.h"

namespace {

// A white ring between the grey line and the items.
constexpr ColorRef RingColour = 0x00FFFFFF;
constexpr int FrameWidth = 2;

// A cell holds the thumbnail and two lines of text under it, with a little air.
constexpr int CellWidth = 132;
constexpr int CellHeight = 104;

} // namespace

CImageListCtrlEx::CImageListCtrlEx(QWidget* parent)
    : QListView(parent)
    , m_model(new ImageListModel(this))
{
    setModel(m_model);
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    // Cells of one size let the view place thousands of items without measuring each.
    setUniformItemSizes(true);
    setIconSize(QSize(ImageListModel::ThumbnailWidth, ImageListModel::ThumbnailHeight));
    setGridSize(QSize(CellWidth, CellHeight));
    setSpacing(0);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);

    // The frame: two pixels painted by event(); the scroll bar sits inside them.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(FrameWidth);

    // The gradient is painted by paintEvent; the viewport must not wipe it first.
    viewport()->setAutoFillBackground(false);
    // The selection looks the same whether or not the list has the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
}

CImageListCtrlEx::~CImageListCtrlEx() = default;

void CImageListCtrlEx::AppendItems(std::vector<ImageListItem> items) { m_model->AppendItems(std::move(items)); }

void CImageListCtrlEx::AppendItem(const QImage& thumbnail, const QString& infoText)
{
    std::vector<ImageListItem> one;
    one.push_back(ImageListItem { thumbnail, infoText });
    m_model->AppendItems(std::move(one));
}

bool CImageListCtrlEx::DeleteItem(int position) { return m_model->RemoveItem(position); }

void CImageListCtrlEx::DeleteAllItems()
{
    m_model->RemoveAllItems();
    viewport()->update();
}

int CImageListCtrlEx::GetItemCount() const { return m_model->rowCount(); }

std::vector<int> CImageListCtrlEx::GetSelectedItems() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CImageListCtrlEx::SetItemSelected(int position, bool selected)
{
    const QModelIndex index = m_model->index(position, 0);
    if (!index.isValid())
        return;
    if (selected) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select);
        scrollTo(index);
    } else {
        selectionModel()->select(index, QItemSelectionModel::Deselect);
    }
}

QImage CImageListCtrlEx::GetItemThumbnail(int position) const
{
    return m_model->data(m_model->index(position, 0), Qt::DecorationRole).value<QImage>();
}

QString CImageListCtrlEx::GetItemText(int position) const
{
    return m_model->data(m_model->index(position, 0), ImageListModel::InfoTextRole).toString();
}

bool CImageListCtrlEx::event(QEvent* e)
{
    const bool handled = QListView::event(e);
    if (e->type() == QEvent::Paint) {
        // Over the frame the base class drew: the grey outer line, then the ring.
        QPainter p(this);
        FrameRect(p, rect(), PictureFrameColour);
        FrameRect(p, rect().adjusted(1, 1, -1, -1), RingColour);
    }
    return handled;
}

void CImageListCtrlEx::paintEvent(QPaintEvent* e)
{
    {
        QPainter p(viewport());
        FillGradientV(p, viewport()->rect(), PictureGradientTop, PictureGradientBottom);
    }
    QListView::paintEvent(e);
}

void CImageListCtrlEx::scrollContentsBy(int dx, int dy)
{
    QListView::scrollContentsBy(dx, dy);
    // The gradient belongs to the window, not to the items: scrolling copies the
    // old pixels, so paint everything again.
    viewport()->update();
}

void CImageListCtrlEx::NotePress(const QMouseEvent* e)
{
    m_leftPressed = e->button() == Qt::LeftButton;
    if (m_leftPressed) {
        const QModelIndex index = indexAt(e->position().toPoint());
        m_pressedIndex = index.isValid() ? index.row() : -1;
    }
}

void CImageListCtrlEx::mousePressEvent(QMouseEvent* e)
{
    NotePress(e);
    QListView::mousePressEvent(e);
}

void CImageListCtrlEx::mouseDoubleClickEvent(QMouseEvent* e)
{
    NotePress(e);
    QListView::mouseDoubleClickEvent(e);
}

void CImageListCtrlEx::mouseReleaseEvent(QMouseEvent* e)
{
    QListView::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton || !m_leftPressed)
        return;
    m_leftPressed = false;
    // The item may have gone while the button was down; report what is there now.
    emit ItemClicked(m_pressedIndex < GetItemCount() ? m_pressedIndex : -1);
}
