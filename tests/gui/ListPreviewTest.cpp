#include <cstdlib>
#include <vector>

#include <QImage>
#include <QMouseEvent>
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

// Mean absolute channel difference over a rectangle of two grabs.
double MeanDifference(const QImage& a, const QImage& b, const QRect& area)
{
    long long sum = 0, count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            count += 3;
        }
    return count ? double(sum) / double(count) : 0;
}

QImage Grab(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

QImage Solid(QColor c)
{
    QImage img(80, 60, QImage::Format_RGB888);
    img.fill(c);
    return img;
}

QColor Shade(int i) { return QColor(QColor::fromHsv((i * 37) % 360, 200, 220).rgb()); }

bool Near(QRgb p, QColor c, int tolerance = 2)
{
    return std::abs(qRed(p) - c.red()) <= tolerance && std::abs(qGreen(p) - c.green()) <= tolerance
        && std::abs(qBlue(p) - c.blue()) <= tolerance;
}

} // namespace

class ListPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void destination_data();
    void destination();
    void resizingRecomputesTheDestination();
    void qualityShowsInThePixels();
    void burstOfQualitiesRendersOnlyTheLast();
    void renderOvertakenByClearNeverShows();
    void rotatedPhotoPreviewsUpright();
    void clearAndZeroPercentLeaveGradientAndFrame();
    void removalKeepsEachItemsThumbnail_data();
    void removalKeepsEachItemsThumbnail();
    void mouseClickReportsTheItem_data();
    void mouseClickReportsTheItem();
    void keyboardMovesSelectionSilently();
    void thousandsOfItemsScrollOnlyDown();
    void listFrameAndGround();

private:
    // Loads a file the way the window does: entry, preview of at most box size.
    Picture PreviewOf(const std::string& path, int box = 1920);
    std::vector<ImageListItem> Items(int count);

    testpics::TempDir m_dir;
    Picture m_small;
};

void ListPreviewTest::initTestCase()
{
    QVERIFY(InitImageLibrary());
    testpics::WriteColour(m_dir / "small.jpg", 40, 30, "jpg");
    m_small = Picture::Load(m_dir / "small.jpg", FormatJpeg);
    QVERIFY(m_small.IsValid());
}

Picture ListPreviewTest::PreviewOf(const std::string& path, int box)
{
    ImageEntry entry;
    entry.SetPath(path);
    if (!entry.Load() || !entry.MakePreview(box, box))
        return {};
    return *entry.GetPreview();
}

std::vector<ImageListItem> ListPreviewTest::Items(int count)
{
    std::vector<ImageListItem> items;
    for (int i = 0; i < count; ++i)
        items.push_back({ Solid(Shade(i)), QStringLiteral("80 x 60 x 24bit\r\n(1.00KB) item%1.jpg").arg(i) });
    return items;
}

void ListPreviewTest::destination_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("source");
    QTest::addColumn<int>("widthPercent");
    QTest::addColumn<int>("heightPercent");
    QTest::addColumn<QRect>("expected");
    const QSize box(400, 300);
    QTest::newRow("large picture fills the box")
        << box << QRect(0, 0, 4000, 3000) << 100 << 100 << QRect(0, 0, 400, 300);
    QTest::newRow("half size is centred") << box << QRect(0, 0, 400, 300) << 50 << 50 << QRect(100, 75, 200, 150);
    QTest::newRow("half height squashes before fitting")
        << box << QRect(0, 0, 4000, 3000) << 100 << 50 << QRect(0, 75, 400, 150);
    QTest::newRow("small picture is never enlarged")
        << box << QRect(0, 0, 100, 50) << 100 << 100 << QRect(150, 125, 100, 50);
    QTest::newRow("tall picture fits the height")
        << box << QRect(0, 0, 300, 600) << 100 << 100 << QRect(125, 0, 150, 300);
    QTest::newRow("percent of an odd size truncates")
        << box << QRect(0, 0, 333, 333) << 33 << 33 << QRect(145, 95, 109, 109);
    QTest::newRow("odd margin rounds toward zero")
        << QSize(401, 301) << QRect(0, 0, 100, 100) << 100 << 100 << QRect(150, 100, 100, 100);
    QTest::newRow("huge percent does not overflow")
        << box << QRect(0, 0, 4000, 3000) << 2000000000 << 2000000000 << QRect(0, 0, 400, 300);
    QTest::newRow("zero width percent") << box << QRect(0, 0, 400, 300) << 0 << 100 << QRect();
    QTest::newRow("zero height percent") << box << QRect(0, 0, 400, 300) << 100 << 0 << QRect();
    QTest::newRow("negative percent") << box << QRect(0, 0, 400, 300) << -50 << 100 << QRect();
    QTest::newRow("empty source") << box << QRect() << 100 << 100 << QRect();
    QTest::newRow("percent truncates to nothing") << box << QRect(0, 0, 1, 1) << 50 << 50 << QRect();
    QTest::newRow("empty box") << QSize(0, 0) << QRect(0, 0, 400, 300) << 100 << 100 << QRect();
    QTest::newRow("sliver too thin to draw") << box << QRect(0, 0, 10000, 5) << 100 << 100 << QRect();
}

void ListPreviewTest::destination()
{
    QFETCH(QSize, client);
    QFETCH(QRect, source);
    QFETCH(int, widthPercent);
    QFETCH(int, heightPercent);
    QFETCH(QRect, expected);
    CPictureBox box;
    box.resize(client);
    box.SetImage(m_small, source);
    box.SetWidthPercent(widthPercent);
    box.SetHeightPercent(heightPercent);
    QCOMPARE(box.GetDestinationRect(), expected);
    // Painting a degenerate layout must not fail either.
    if (!client.isEmpty())
        QVERIFY(!box.grab().isNull());
}

void ListPreviewTest::resizingRecomputesTheDestination()
{
    CPictureBox box;
    box.resize(400, 300);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.SetImage(m_small, QRect(0, 0, 400, 300));
    QCOMPARE(box.GetDestinationRect(), QRect(0, 0, 400, 300));
    box.resize(200, 300);
    QTRY_COMPARE_WITH_TIMEOUT(box.GetDestinationRect(), QRect(0, 75, 200, 150), 2000);
}

void ListPreviewTest::qualityShowsInThePixels()
{
    testpics::WriteColour(m_dir / "photo.jpg", 640, 480, "jpg", 95);
    const Picture picture = PreviewOf(m_dir / "photo.jpg");
    QVERIFY(picture.IsValid());
    CPictureBox box;
    box.resize(640, 480);
    QSignalSpy rendered(&box, &CPictureBox::PreviewRendered);
    box.SetImage(picture, QRect(0, 0, 640, 480));

    box.SetPreviewQuality(95);
    QVERIFY(rendered.wait(5000));
    const QImage fine = Grab(box);
    const qint64 fineBytes = box.GetPreviewJpegBytes();
    box.SetPreviewQuality(5);
    QVERIFY(rendered.wait(5000));
    const QImage coarse = Grab(box);

    QCOMPARE(box.GetDestinationRect(), QRect(0, 0, 640, 480));
    QVERIFY2(MeanDifference(fine, coarse, QRect(1, 1, 638, 478)) > 1.0, "quality 5 looks like quality 95");
    QVERIFY(box.GetPreviewJpegBytes() > 0);
    QVERIFY(box.GetPreviewJpegBytes() < fineBytes);
    QCOMPARE(rendered.count(), 2);
}

void ListPreviewTest::burstOfQualitiesRendersOnlyTheLast()
{
    testpics::WriteNoiseJpeg(m_dir / "noise.jpg", 1920, 1080);
    const Picture picture = PreviewOf(m_dir / "noise.jpg");
    QVERIFY(picture.IsValid());
    CPictureBox box;
    box.resize(480, 270);
    QSignalSpy rendered(&box, &CPictureBox::PreviewRendered);
    box.SetImage(picture, QRect(0, 0, 1920, 1080));
    // Keystrokes of "9", "95" and friends arriving faster than the encoder.
    for (int q : { 1, 10, 20, 30, 40, 50, 60, 70, 80, 90, 9, 95, 42 })
        box.SetPreviewQuality(q);
    QVERIFY(box.IsRenderPending());
    QVERIFY(rendered.wait(10000));
    QCOMPARE(rendered.count(), 1);
    QVERIFY(!box.IsRenderPending());
    QCOMPARE(box.GetPreviewQuality(), 42);
    QCOMPARE(box.GetPreviewJpegBytes(), qint64(picture.EncodeJpeg(42).size()));
    QCOMPARE(rendered.first().first().toLongLong(), box.GetPreviewJpegBytes());
}

void ListPreviewTest::renderOvertakenByClearNeverShows()
{
    testpics::WriteSolid(m_dir / "red.jpg", 800, 600, 255, 0, 0);
    testpics::WriteSolid(m_dir / "blue.jpg", 800, 600, 0, 0, 255);
    CPictureBox box;
    box.resize(400, 300);
    QSignalSpy rendered(&box, &CPictureBox::PreviewRendered);
    box.SetImage(PreviewOf(m_dir / "red.jpg"), QRect(0, 0, 800, 600));
    box.SetPreviewQuality(90);
    box.ClearImage();
    box.SetImage(PreviewOf(m_dir / "blue.jpg"), QRect(0, 0, 800, 600));
    box.SetPreviewQuality(90);
    QVERIFY(rendered.wait(5000));
    QCOMPARE(rendered.count(), 1);
    const QImage shot = Grab(box);
    QVERIFY(Near(shot.pixel(200, 150), QColor(0, 0, 255), 8));
}

void ListPreviewTest::rotatedPhotoPreviewsUpright()
{
    // Stored wide and tagged "turn clockwise": red grows along the stored rows,
    // so upright it grows downward.
    testpics::WriteOrientedJpeg(m_dir / "turned.jpg", 400, 100, 6);
    ImageEntry entry;
    entry.SetPath(m_dir / "turned.jpg");
    QVERIFY(entry.Load());
    QVERIFY(entry.MakePreview(1920, 1080));
    CPictureBox box;
    box.resize(300, 400);
    QSignalSpy rendered(&box, &CPictureBox::PreviewRendered);
    box.SetImage(*entry.GetPreview(), QRect(0, 0, int(entry.GetPixelWidth()), int(entry.GetPixelHeight())));
    box.SetPreviewQuality(95);
    QVERIFY(rendered.wait(5000));
    const QRect dest = box.GetDestinationRect();
    QCOMPARE(dest, QRect(100, 0, 100, 400));
    const QImage shot = Grab(box);
    const QRgb top = shot.pixel(dest.center().x(), dest.top() + 5);
    const QRgb bottom = shot.pixel(dest.center().x(), dest.bottom() - 5);
    QVERIFY2(qRed(top) < 40 && qRed(bottom) > 215, "the picture is not upright");
}

void ListPreviewTest::clearAndZeroPercentLeaveGradientAndFrame()
{
    CPictureBox empty;
    empty.resize(200, 150);
    const QImage ground = Grab(empty);
    QCOMPARE(QColor(ground.pixel(0, 0)), QColor(127, 127, 127));
    QCOMPARE(QColor(ground.pixel(199, 149)), QColor(127, 127, 127));
    const std::vector<ColorRef> rows = GradientRows(150, PictureGradientTop, PictureGradientBottom);
    QCOMPARE(QColor(ground.pixel(100, 1)), ToQColor(rows[1]));
    QCOMPARE(QColor(ground.pixel(100, 148)), ToQColor(rows[148]));

    CPictureBox box;
    box.resize(200, 150);
    QSignalSpy rendered(&box, &CPictureBox::PreviewRendered);
    box.SetImage(m_small, QRect(0, 0, 40, 30));
    box.SetPreviewQuality(90);
    QVERIFY(rendered.wait(5000));
    QVERIFY(Grab(box) != ground);

    box.SetWidthPercent(0);
    QVERIFY(box.GetDestinationRect().isEmpty());
    QCOMPARE(Grab(box), ground);
    box.SetWidthPercent(100);
    QVERIFY(Grab(box) != ground);

    box.ClearImage();
    QCOMPARE(Grab(box), ground);
    QCOMPARE(box.GetPreviewJpegBytes(), qint64(0));
    // Options outlive the picture.
    QCOMPARE(box.GetPreviewQuality(), 90);
    QCOMPARE(box.GetWidthPercent(), 100);
    // Nothing to encode: no render is started, nothing is drawn.
    box.SetPreviewQuality(50);
    QVERIFY(!box.IsRenderPending());
    QCOMPARE(Grab(box), ground);
}

void ListPreviewTest::removalKeepsEachItemsThumbnail_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QList<int>>("remaining");
    QTest::newRow("1, 3 and 5 of eight") << QList<int> { 5, 1, 3 } << QList<int> { 0, 2, 4, 6, 7 };
    QTest::newRow("first and last") << QList<int> { 0, 7 } << QList<int> { 1, 2, 3, 4, 5, 6 };
    QTest::newRow("a run") << QList<int> { 2, 3, 4 } << QList<int> { 0, 1, 5, 6, 7 };
    QTest::newRow("all") << QList<int> { 0, 1, 2, 3, 4, 5, 6, 7 } << QList<int> {};
}

void ListPreviewTest::removalKeepsEachItemsThumbnail()
{
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, remaining);
    CImageListCtrlEx list;
    list.resize(600, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.AppendItems(Items(8));
    QCOMPARE(list.GetItemCount(), 8);
    for (int s : selected)
        list.SetItemSelected(s);
    const std::vector<int> rows = list.GetSelectedItems();
    QVERIFY(std::is_sorted(rows.begin(), rows.end()));
    QCOMPARE(int(rows.size()), int(selected.size()));
    // The window's removal: the k-th selected item now stands at s - k.
    for (int k = 0; k < int(rows.size()); ++k)
        QVERIFY(list.DeleteItem(rows[size_t(k)] - k));
    QVERIFY(!list.DeleteItem(list.GetItemCount()));

    QCOMPARE(list.GetItemCount(), int(remaining.size()));
    QTRY_VERIFY_WITH_TIMEOUT(list.GetItemCount() == 0 || list.visualRect(list.model()->index(0, 0)).isValid(), 2000);
    const QImage shot = list.viewport()->grab().toImage();
    for (int p = 0; p < remaining.size(); ++p) {
        const QColor own = Shade(remaining[p]);
        QCOMPARE(QColor(list.GetItemThumbnail(p).pixel(40, 30)), own);
        QCOMPARE(list.GetItemText(p), QStringLiteral("80 x 60 x 24bit\r\n(1.00KB) item%1.jpg").arg(remaining[p]));
        const QRect cell = list.visualRect(list.model()->index(p, 0));
        QVERIFY2(Near(shot.pixel(cell.center().x(), cell.top() + 25), own), qPrintable(QString::number(p)));
    }
}

void ListPreviewTest::mouseClickReportsTheItem_data()
{
    QTest::addColumn<int>("item"); // -1: the empty space after the last item
    QTest::newRow("first") << 0;
    QTest::newRow("third") << 2;
    QTest::newRow("empty space") << -1;
}

void ListPreviewTest::mouseClickReportsTheItem()
{
    QFETCH(int, item);
    CImageListCtrlEx list;
    list.resize(600, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.AppendItems(Items(3));
    QSignalSpy clicked(&list, &CImageListCtrlEx::ItemClicked);
    QPoint at(list.viewport()->width() - 10, list.viewport()->height() - 10);
    if (item >= 0)
        at = list.visualRect(list.model()->index(item, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.first().first().toInt(), item);
    if (item >= 0)
        QCOMPARE(list.GetSelectedItems(), std::vector<int> { item });
    // The other button is not a click for the preview.
    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, at);
    QCOMPARE(clicked.count(), 1);
}

void ListPreviewTest::keyboardMovesSelectionSilently()
{
    CImageListCtrlEx list;
    list.resize(600, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.AppendItems(Items(5));
    QSignalSpy clicked(&list, &CImageListCtrlEx::ItemClicked);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
    QCOMPARE(clicked.count(), 1);
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Right);
    QTest::keyClick(&list, Qt::Key_Right);
    QCOMPARE(list.GetSelectedItems(), std::vector<int> { 2 });
    QCOMPARE(clicked.count(), 1);
    // Extended selection: shift adds the range.
    QTest::keyClick(&list, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(list.GetSelectedItems(), (std::vector<int> { 2, 3 }));
    QCOMPARE(clicked.count(), 1);
}

void ListPreviewTest::thousandsOfItemsScrollOnlyDown()
{
    CImageListCtrlEx list;
    list.resize(400, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    std::vector<ImageListItem> items;
    items.reserve(5000);
    for (int i = 0; i < 5000; ++i) {
        Rgb888 px { 80, 60, std::vector<std::uint8_t>(80 * 60 * 3, std::uint8_t(i % 251)) };
        items.push_back(ImageListItem::FromEntry(px, "80 x 60 x 24bit\r\n(0.50KB) many.jpg"));
    }
    list.AppendItems(std::move(items));
    QCOMPARE(list.GetItemCount(), 5000);
    QCOMPARE(QColor(list.GetItemThumbnail(4999).pixel(0, 0)), QColor(4999 % 251, 4999 % 251, 4999 % 251));
    QTRY_VERIFY_WITH_TIMEOUT(list.verticalScrollBar()->maximum() > 0, 5000);
    QVERIFY(!list.horizontalScrollBar()->isVisible());
    list.SetItemSelected(4999);
    // Selecting from the window scrolls the item into view.
    QTRY_VERIFY_WITH_TIMEOUT(list.viewport()->rect().intersects(list.visualRect(list.model()->index(4999, 0))), 5000);
    list.DeleteAllItems();
    QCOMPARE(list.GetItemCount(), 0);
    QVERIFY(list.GetSelectedItems().empty());
}

void ListPreviewTest::listFrameAndGround()
{
    CImageListCtrlEx list;
    list.resize(300, 200);
    const QImage shot = Grab(list);
    QCOMPARE(QColor(shot.pixel(0, 0)), QColor(127, 127, 127));
    QCOMPARE(QColor(shot.pixel(299, 100)), QColor(127, 127, 127));
    QCOMPARE(QColor(shot.pixel(1, 1)), QColor(255, 255, 255));
    QCOMPARE(QColor(shot.pixel(150, 198)), QColor(255, 255, 255));
    const QRect vp = list.viewport()->geometry();
    QCOMPARE(vp.topLeft(), QPoint(2, 2));
    const std::vector<ColorRef> rows = GradientRows(vp.height(), PictureGradientTop, PictureGradientBottom);
    QCOMPARE(QColor(shot.pixel(150, vp.top())), ToQColor(rows.front()));
    QCOMPARE(QColor(shot.pixel(150, vp.bottom())), ToQColor(rows.back()));
}

QTEST_MAIN(ListPreviewTest)
#include "ListPreviewTest.moc"
