#include "ui/CImageListCtrlEx.h"

#include <algorithm>
#include <utility>

#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include "controls/FillGradientV.h"
#include "ui/ControlLook.h"

namespace {

// A white ring between the grey line and the items.
constexpr ColorRef RingColour = 0x00FFFFFF;
constexpr int FrameWidth = 2;

// Draws an item as the list shows it: the thumbnail centred at the top, the text lines
// of LayoutInfoText centred under it. Each cell is as high as its text needs.
class ItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const qsizetype lines
            = LayoutInfoText(index.data(Qt::DisplayRole).toString(), option.font, CImageListCtrlEx::TextWidth).size();
        const int height = 3 * CImageListCtrlEx::CellPadding + ImageListModel::ThumbnailHeight
            + static_cast<int>(lines) * QFontMetrics(option.font).lineSpacing();
        return QSize(CImageListCtrlEx::CellWidth, height);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QWidget* view = option.widget;
        QStyle* style = view ? view->style() : nullptr;
        const QRect cell = option.rect.adjusted(1, 1, -1, -1);
        const bool selected = option.state & QStyle::State_Selected;
        // The whole cell, thumbnail and text, shows the selection.
        if (selected)
            painter->fillRect(cell, option.palette.color(QPalette::Active, QPalette::Highlight));

        const int pad = CImageListCtrlEx::CellPadding;
        const QImage thumbnail = index.data(Qt::DecorationRole).value<QImage>();
        painter->drawImage(
            QPoint(option.rect.center().x() - ImageListModel::ThumbnailWidth / 2 + 1, option.rect.top() + pad),
            thumbnail);

        painter->save();
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text));
        const QFontMetrics metrics(option.font);
        QRect line(option.rect.left() + pad, option.rect.top() + 2 * pad + ImageListModel::ThumbnailHeight,
            CImageListCtrlEx::TextWidth, metrics.lineSpacing());
        for (const QString& text :
            LayoutInfoText(index.data(Qt::DisplayRole).toString(), option.font, CImageListCtrlEx::TextWidth)) {
            painter->drawText(line, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
            line.translate(0, metrics.lineSpacing());
        }
        painter->restore();

        // Where the keyboard is, when the list has it.
        if (style && (option.state & QStyle::State_HasFocus)) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.rect = cell;
            focus.backgroundColor = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, view);
        }
    }
};

} // namespace

QStringList LayoutInfoText(const QString& text, const QFont& font, int width)
{
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}

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
    // Each cell as high as its text: a long name wraps rather than losing characters.
    setItemDelegate(new ItemDelegate(this));
    setIconSize(QSize(ImageListModel::ThumbnailWidth, ImageListModel::ThumbnailHeight));
    setSpacing(0);
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
