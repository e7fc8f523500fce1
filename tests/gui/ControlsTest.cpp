#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "controls/CBkgndObject.h"
#include "controls/CEditEx.h"
#include "controls/CSkinButton.h"
#include "controls/CTransStatic.h"
#include "controls/FillGradientV.h"

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void gradientRows_data();
    void gradientRows();
    void gradientPaintsEveryRowAcrossTheWidth();
    void skinButtonLooks();
    void skinButtonHoverFollowsTheMouse();
    void doubleClickIsTwoClicks();
    void textBlockPlacement();
    void editFilters_data();
    void editFilters();
    void pasteIsNotFiltered();
    void staticFlags_data();
    void staticFlags();
    void backgroundCaptureShowsTheParentUnderTheControl();
};

void ControlsTest::gradientRows_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<uint>("top");
    QTest::addColumn<uint>("bottom");
    QTest::addColumn<QList<int>>("reds");
    // Truncation toward zero: 198 - 4.2 gives 194, not 193.
    QTest::newRow("ten rows of the progress band")
        << 10 << uint(MakeColorRef(198, 198, 198)) << uint(MakeColorRef(156, 156, 156))
        << QList<int> { 198, 194, 190, 186, 182, 177, 173, 169, 165, 161 };
    QTest::newRow("rising") << 4 << uint(MakeColorRef(0, 0, 0)) << uint(MakeColorRef(10, 0, 0))
                            << QList<int> { 0, 2, 5, 7 };
    QTest::newRow("equal colours") << 3 << uint(0x123456) << uint(0x123456) << QList<int> { 0x56, 0x56, 0x56 };
    QTest::newRow("empty") << 0 << uint(0) << uint(0xFFFFFF) << QList<int> {};
    QTest::newRow("negative") << -5 << uint(0) << uint(0xFFFFFF) << QList<int> {};
}

void ControlsTest::gradientRows()
{
    QFETCH(int, height);
    QFETCH(uint, top);
    QFETCH(uint, bottom);
    QFETCH(QList<int>, reds);
    const std::vector<ColorRef> rows = GradientRows(height, top, bottom);
    QCOMPARE(int(rows.size()), int(reds.size()));
    for (int i = 0; i < reds.size(); ++i) {
        QCOMPARE(RedOf(rows[size_t(i)]), reds[i]);
        // The channels are independent: green and blue follow their own ends.
        QCOMPARE(GreenOf(rows[size_t(i)]), GreenOf(top) + (GreenOf(bottom) - GreenOf(top)) * i / height);
    }
}

void ControlsTest::gradientPaintsEveryRowAcrossTheWidth()
{
    QImage image(20, 14, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    {
        QPainter painter(&image);
        FillGradientV(painter, QRect(2, 2, 16, 10), MakeColorRef(198, 198, 198), MakeColorRef(156, 156, 156));
        FillGradientV(painter, QRect(0, 0, 0, 10), 0, 0); // nothing
    }
    QCOMPARE(image.pixelColor(2, 2), QColor(198, 198, 198));
    QCOMPARE(image.pixelColor(17, 11), QColor(161, 161, 161));
    QCOMPARE(image.pixelColor(10, 7), QColor(177, 177, 177));
    QCOMPARE(image.pixelColor(1, 5), QColor(Qt::magenta));
    QCOMPARE(image.pixelColor(18, 5), QColor(Qt::magenta));
    QCOMPARE(image.pixelColor(0, 5), QColor(Qt::magenta));
    QCOMPARE(image.pixelColor(5, 12), QColor(Qt::magenta));
}

void ControlsTest::skinButtonLooks()
{
    QCOMPARE(ChooseSkinState(true, true), SkinState::Pressed);
    QCOMPARE(ChooseSkinState(true, false), SkinState::Pressed);
    QCOMPARE(ChooseSkinState(false, true), SkinState::Hover);
    QCOMPARE(ChooseSkinState(false, false), SkinState::Normal);
    QCOMPARE(BodySplitRow(QRect(0, 0, 80, 25), 2), 12);
    QCOMPARE(BodySplitRow(QRect(0, 10, 80, 25), 2), 22);
    QCOMPARE(BodySplitRow(QRect(0, 0, 80, 25), 1), 25);

    CSkinButton button("Cancel");
    button.resize(80, 25);
    const QImage enabled = button.grab().toImage();
    // Upper band 0xDADADA to 0xE9E9E9 over 12 rows (row 2: DA + 15 * 2 / 12), the lower one
    // starting at 0xD0D1CF (0x00BBGGRR: r=CF g=D1 b=D0).
    QCOMPARE(enabled.pixelColor(40, 2), QColor(0xDC, 0xDC, 0xDC));
    QCOMPARE(enabled.pixelColor(5, 12), QColor(0xCF, 0xD1, 0xD0));
    // The outer frame on the edge, the white inner frame just inside it.
    QCOMPARE(enabled.pixelColor(40, 0), QColor(0xAB, 0xA6, 0x97));
    QCOMPARE(enabled.pixelColor(40, 1), QColor(Qt::white));
    button.setEnabled(false);
    QCOMPARE(button.grab().toImage(), enabled);
}

void ControlsTest::skinButtonHoverFollowsTheMouse()
{
    CSkinButton button("Cancel");
    button.resize(80, 25);
    const QImage normal = button.grab().toImage();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    QVERIFY(button.IsHovering());
    const QImage hover = button.grab().toImage();
    QCOMPARE(hover.pixelColor(5, 2), QColor(0xCF, 0xD1, 0xD0));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    QVERIFY(!button.IsHovering());
    QCOMPARE(button.grab().toImage(), normal);
    QApplication::sendEvent(&button, &enter);
    QEvent ungrab(QEvent::UngrabMouse);
    QApplication::sendEvent(&button, &ungrab);
    QVERIFY(!button.IsHovering());
}

void ControlsTest::doubleClickIsTwoClicks()
{
    CSkinButton button("Go");
    button.resize(80, 25);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    const QPointF at(10, 10);
    const auto send = [&](QEvent::Type type) {
        QMouseEvent e(type, at, button.mapToGlobal(at), Qt::LeftButton,
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&button, &e);
    };
    send(QEvent::MouseButtonPress);
    send(QEvent::MouseButtonRelease);
    send(QEvent::MouseButtonDblClick);
    send(QEvent::MouseButtonRelease);
    QCOMPARE(clicks.count(), 2);
}

void ControlsTest::textBlockPlacement()
{
    const QRect area(0, 2, 100, 21);
    QCOMPARE(PlaceTextBlock(area, QSize(40, 11), 0x15), QRect(30, 7, 40, 11));
    QCOMPARE(PlaceTextBlock(area, QSize(40, 11), 0x2 | 0x1 | 0x8 | 0x4), QRect(60, 12, 40, 11));
    QCOMPARE(PlaceTextBlock(area, QSize(40, 11), 0), QRect(0, 2, 40, 11));
}

void ControlsTest::editFilters_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("percent") << 0 << "12.5-,ax%" << "12.5";
    QTest::newRow("pixels drop the point") << 1 << "12.5-,a" << "125";
    QTest::newRow("c and v without ctrl are letters") << 1 << "1c2v" << "12";
    QTest::newRow("other modes take everything") << 7 << "a-1." << "a-1.";
}

void ControlsTest::editFilters()
{
    QFETCH(int, mode);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    CEditEx edit;
    edit.SetInputMode(mode);
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.text(), kept);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), kept.left(kept.size() - 1));
}

void ControlsTest::pasteIsNotFiltered()
{
    CEditEx edit;
    edit.SetInputMode(1);
    QGuiApplication::clipboard()->setText("-7,5 px");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QString("-7,5 px"));
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("-7,5 px"));
}

void ControlsTest::staticFlags_data()
{
    QTest::addColumn<uint>("style");
    QTest::addColumn<uint>("format");
    QTest::newRow("plain wraps") << 0u << uint(DT_WORDBREAK);
    QTest::newRow("centre image is one centred line") << uint(SS_CENTERIMAGE) << uint(DT_VCENTER | DT_SINGLELINE);
    QTest::newRow("right still wraps") << uint(SS_RIGHT) << uint(DT_RIGHT | DT_WORDBREAK);
    QTest::newRow("centre wraps") << uint(SS_CENTER) << uint(DT_CENTER | DT_WORDBREAK);
    QTest::newRow("no prefix") << uint(SS_NOPREFIX) << uint(DT_NOPREFIX | DT_WORDBREAK);
    QTest::newRow("end ellipsis") << uint(SS_ENDELLIPSIS) << uint(DT_WORD_ELLIPSIS | DT_END_ELLIPSIS);
    QTest::newRow("path ellipsis") << uint(SS_PATHELLIPSIS) << uint(DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS);
    QTest::newRow("word ellipsis")
        << uint(SS_WORDELLIPSIS) << uint(DT_WORD_ELLIPSIS | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS);
    QTest::newRow("bit 0x8 stops wrapping") << 0x8u << 0u;
}

void ControlsTest::staticFlags()
{
    QFETCH(uint, style);
    QFETCH(uint, format);
    QCOMPARE(uint(TextFormatFromStyle(style)), format);
}

void ControlsTest::backgroundCaptureShowsTheParentUnderTheControl()
{
    QWidget parent;
    parent.resize(200, 100);
    CSkinButton button("OK", &parent);
    button.setGeometry(50, 40, 80, 25);
    QPixmap ground(parent.size());
    ground.fill(Qt::blue);
    {
        QPainter p(&ground);
        p.fillRect(QRect(50, 40, 80, 25), Qt::red);
    }
    button.CaptureBackground(&ground);
    QVERIFY(button.HasBackground());
    // The rounded corner's outermost pixel shows the parent's ground, not the button body.
    const QImage shot = button.grab().toImage();
    const QColor corner = shot.pixelColor(0, 0);
    QVERIFY2(corner.red() > 150 && corner.blue() < 120, qPrintable(corner.name()));

    CBkgndObject bare;
    bare.CaptureBackground(&ground);
    QVERIFY(!bare.HasBackground()); // not transparent: nothing kept
}

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
