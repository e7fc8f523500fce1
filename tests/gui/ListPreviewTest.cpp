#include <cstdlib>
#include <string>

#include <QApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "controls/FillGradientV.h"
#include "imaging/ImageEntry.h"
#include "tests/support/TestPictures.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/CPictureBox.h"
#include "ui/ControlLook.h"

namespace {

QImage Grab(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

bool Shown(QWidget& w, int width, int height)
{
    w.resize(width, height);
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

// Loads a file the way the window does, hands its preview to the box and waits for its render.
bool Show(CPictureBox& box, const std::string& path, int quality)
{
    ImageEntry entry;
    entry.SetPath(path);
    if (!entry.Load() || !entry.MakePreview(1920, 1920))
        return false;
    box.SetImage(*entry.GetPreview(), QRect(0, 0, int(entry.GetPixelWidth()), int(entry.GetPixelHeight())));
    QSignalSpy rendered(&box, &CPictureBox::PreviewRendered);
    box.SetPreviewQuality(quality);
    return rendered.wait(5000);
}

// Grey thumbnails, each of its own level, as the window appends them.
int Level(int i) { return i * 37 % 251; }
std::vector<ImageListItem> Items(int count)
{
    std::vector<ImageListItem> items;
    for (int i = 0; i < count; ++i)
        items.push_back(
            ImageListItem::FromEntry({ 80, 60, std::vector<std::uint8_t>(80 * 60 * 3, std::uint8_t(Level(i))) },
                "80 x 60 x 24bit\r\n(1.00KB) item" + std::to_string(i) + ".jpg"));
    return items;
}

} // namespace

class ListPreviewTest : public QObject {
    Q_OBJECT
    testpics::TempDir m_dir;

private slots:
    void initTestCase() { QVERIFY(InitImageLibrary()); }

    void destination_data()
    {
        QTest::addColumn<QRect>("source");
        QTest::addColumn<QSize>("percent");
        QTest::addColumn<QRect>("expected");
        const QSize full(100, 100); // in a 400 x 300 box
        const QRect big(0, 0, 4000, 3000), fit(0, 0, 400, 300);
        QTest::newRow("large picture fills the box") << big << full << fit;
        QTest::newRow("half size is centred") << fit << QSize(50, 50) << QRect(100, 75, 200, 150);
        QTest::newRow("half height squashes before fitting") << big << QSize(100, 50) << QRect(0, 75, 400, 150);
        QTest::newRow("never enlarged") << QRect(0, 0, 100, 50) << full << QRect(150, 125, 100, 50);
        QTest::newRow("huge percent does not overflow") << big << QSize(2000000000, 2000000000) << fit;
        QTest::newRow("zero percent draws nothing") << fit << QSize(0, 100) << QRect();
        QTest::newRow("sliver too thin to draw") << QRect(0, 0, 10000, 5) << full << QRect();
    }

    void destination()
    {
        QFETCH(QRect, source);
        QFETCH(QSize, percent);
        CPictureBox box;
        box.resize(400, 300);
        box.SetImage(Picture(), source); // the layout needs only the size
        box.SetWidthPercent(percent.width());
        box.SetHeightPercent(percent.height());
        QTEST(box.GetDestinationRect(), "expected");
    }

    void uprightPreviewZeroPercentAndClearThenQualityShowsAndOnlyTheLastRequestRenders()
    {
        CPictureBox box;
        QVERIFY(Shown(box, 300, 400));
        const QImage ground = Grab(box);
        QCOMPARE(QColor(ground.pixel(0, 0)), QColor(127, 127, 127));
        QCOMPARE(QColor(ground.pixel(150, 398)),
            ToQColor(GradientRows(400, PictureGradientTop, PictureGradientBottom)[398]));
        // Stored wide and tagged "turn clockwise": red grows along the stored rows, so upright it grows downward.
        testpics::WriteOrientedJpeg(m_dir / "turned.jpg", 400, 100, 6);
        QVERIFY(Show(box, m_dir / "turned.jpg", 95));
        QCOMPARE(box.GetDestinationRect(), QRect(100, 0, 100, 400));
        const QImage shot = Grab(box);
        QVERIFY2(qRed(shot.pixel(150, 5)) < 40 && qRed(shot.pixel(150, 394)) > 215, "the picture is not upright");
        box.SetWidthPercent(0);
        QCOMPARE(Grab(box), ground);
        box.SetWidthPercent(100);
        box.ClearImage();
        QCOMPARE(Grab(box), ground);

        testpics::WriteColour(m_dir / "photo.jpg", 640, 480, "jpg", 95);
        box.resize(640, 480);
        QVERIFY(Show(box, m_dir / "photo.jpg", 95));
        const QImage fine = Grab(box);
        // Keystrokes arriving faster than the encoder: only the last one renders.
        QSignalSpy rendered(&box, &CPictureBox::PreviewRendered);
        for (int q : { 1, 50, 9, 5 })
            box.SetPreviewQuality(q);
        QVERIFY(rendered.wait(10000));
        QCOMPARE(rendered.count(), 1);
        const QImage coarse = Grab(box);
        qsizetype sum = 0; // over all bytes; the alpha bytes, a quarter of them, never differ
        for (qsizetype i = 0; i < fine.sizeInBytes(); ++i)
            sum += std::abs(fine.constBits()[i] - coarse.constBits()[i]);
        QVERIFY2(4 * sum > 3 * fine.sizeInBytes(), "quality 5 looks like quality 95"); // mean over colours > 1
        box.resize(320, 480);
        QTRY_COMPARE_WITH_TIMEOUT(box.GetDestinationRect(), QRect(0, 120, 320, 240), 2000);
    }

    // Every character of a long name shows, wrapped within the cell, and the cell is high enough for it.
    void longNamesWrapWholeInTheirCell()
    {
        const QString first = "256 x 256 x 32bit";
        const QString second = "(1.25MB) holiday_2024_beach_sunset_panorama_final_version_copy.jpg";
        const QFont font = QApplication::font();
        const QStringList lines = LayoutInfoText(first + "\n" + second, font, CImageListCtrlEx::TextWidth);
        QVERIFY(lines.size() >= 3);
        QCOMPARE(lines.first(), first);
        QCOMPARE(lines.mid(1).join(""), second);
        for (const QString& line : lines)
            QVERIFY2(
                QFontMetrics(font).horizontalAdvance(line.trimmed()) <= CImageListCtrlEx::TextWidth, qPrintable(line));
        QCOMPARE(LayoutInfoText("80 x 60 x 24bit\n(2.00KB) a b.png", font, CImageListCtrlEx::TextWidth).size(), 2);

        CImageListCtrlEx list;
        QVERIFY(Shown(list, 600, 400));
        list.AppendItems(Items(2));
        list.AppendItem(QImage(), first + "\r\n" + second);
        const QRect shortCell = list.visualRect(list.model()->index(0, 0));
        const QRect longCell = list.visualRect(list.model()->index(2, 0));
        const int lineSpacing = QFontMetrics(list.font()).lineSpacing();
        QVERIFY(shortCell.height() >= ImageListModel::ThumbnailHeight + 2 * lineSpacing);
        QVERIFY(longCell.height() >= ImageListModel::ThumbnailHeight + int(lines.size()) * lineSpacing);
    }

    void removingOneThreeAndFiveOfEightKeepsEachItemsThumbnail()
    {
        const QList<int> remaining { 0, 2, 4, 6, 7 };
        CImageListCtrlEx list;
        QVERIFY(Shown(list, 600, 400));
        list.AppendItems(Items(8));
        for (int s : { 5, 1, 3 })
            list.SetItemSelected(s);
        // The window's removal: the k-th selected item now stands at s - k.
        const std::vector<int> rows = list.GetSelectedItems();
        for (int k = 0; k < int(rows.size()); ++k)
            QVERIFY(list.DeleteItem(rows[size_t(k)] - k));
        QCOMPARE(list.GetItemCount(), int(remaining.size()));
        QTRY_VERIFY_WITH_TIMEOUT(list.visualRect(list.model()->index(0, 0)).isValid(), 2000);
        const QImage shot = list.viewport()->grab().toImage();
        for (int p = 0; p < remaining.size(); ++p) {
            const int level = Level(remaining[p]);
            QCOMPARE(qRed(list.GetItemThumbnail(p).pixel(40, 30)), level);
            const QRect cell = list.visualRect(list.model()->index(p, 0));
            QVERIFY(std::abs(qRed(shot.pixel(cell.center().x(), cell.top() + 25)) - level) <= 2);
        }
    }

    void onlyMouseClicksReportTheItemAndThousandsScrollOnlyDown()
    {
        CImageListCtrlEx list;
        QVERIFY(Shown(list, 600, 400));
        list.AppendItems(Items(5));
        QSignalSpy clicked(&list, &CImageListCtrlEx::ItemClicked);
        const auto cell = [&](int i) { return list.visualRect(list.model()->index(i, 0)).center(); };
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell(2));
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Right, Qt::ShiftModifier);
        QTest::mouseClick(list.viewport(), Qt::RightButton, {}, cell(0)); // not a click for the preview
        const QSize vp = list.viewport()->size();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(vp.width() - 10, vp.height() - 10));
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(clicked[0][0].toInt(), 2);
        QCOMPARE(clicked[1][0].toInt(), -1); // the empty space after the last item
        list.AppendItems(Items(4995));       // 5000 in all
        QTRY_VERIFY_WITH_TIMEOUT(list.verticalScrollBar()->maximum() > 0, 5000);
        QVERIFY(!list.horizontalScrollBar()->isVisible());
        list.SetItemSelected(4999); // selecting from the window scrolls the item into view
        QTRY_VERIFY_WITH_TIMEOUT(
            list.viewport()->rect().intersects(list.visualRect(list.model()->index(4999, 0))), 5000);
    }
};

QTEST_MAIN(ListPreviewTest)
#include "ListPreviewTest.moc"
