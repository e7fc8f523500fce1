#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QEnterEvent>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "controls/CBkgndObject.h"
#include "controls/CEditEx.h"
#include "controls/CSkinButton.h"
#include "controls/CSpinButton.h"
#include "controls/CTransStatic.h"
#include "controls/FillGradientV.h"

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void gradientRows_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<uint>("top");
        QTest::addColumn<uint>("bottom");
        QTest::addColumn<QList<int>>("reds");
        // Truncation toward zero: 198 - 4.2 gives 194, not 193.
        QTest::newRow("ten rows, 198 to 156")
            << 10 << 0xC6C6C6u << 0x9C9C9Cu << QList<int> { 198, 194, 190, 186, 182, 177, 173, 169, 165, 161 };
        QTest::newRow("rising") << 4 << 0u << 0x00000Au << QList<int> { 0, 2, 5, 7 };
        QTest::newRow("equal colours") << 3 << 0x123456u << 0x123456u << QList<int> { 0x56, 0x56, 0x56 };
        QTest::newRow("empty") << 0 << 0u << 0xFFFFFFu << QList<int> {};
        QTest::newRow("negative") << -5 << 0u << 0xFFFFFFu << QList<int> {};
    }

    void gradientRows()
    {
        QFETCH(int, height);
        QFETCH(uint, top);
        QFETCH(uint, bottom);
        QFETCH(QList<int>, reds);
        const std::vector<ColorRef> rows = GradientRows(height, top, bottom);
        QImage image(4, std::max(height, 0) + 2, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        FillGradientV(painter, QRect(1, 1, 2, height), top, bottom);
        painter.end();
        QCOMPARE(int(rows.size()), int(reds.size()));
        for (int i = 0; i < reds.size(); ++i) {
            QCOMPARE(RedOf(rows[size_t(i)]), reds[i]);
            QCOMPARE(image.pixelColor(2, i + 1), ToQColor(rows[size_t(i)])); // painted across the width
        }
        for (const QPoint outside : { QPoint(0, 1), QPoint(3, 1), QPoint(1, image.height() - 1) })
            QCOMPARE(image.pixelColor(outside), QColor(Qt::magenta));
    }

    void skinButtonLooksHoversAndClicks()
    {
        // Pressed wins over hover.
        QCOMPARE(ChooseSkinState(true, true), SkinState::Pressed);
        QCOMPARE(ChooseSkinState(true, false), SkinState::Pressed);
        QCOMPARE(ChooseSkinState(false, true), SkinState::Hover);
        QCOMPARE(ChooseSkinState(false, false), SkinState::Normal);
        QCOMPARE(BodySplitRow(QRect(0, 0, 80, 25), 2), 12);
        QCOMPARE(BodySplitRow(QRect(0, 10, 80, 25), 2), 22);
        QCOMPARE(BodySplitRow(QRect(0, 0, 80, 25), 1), 25);
        const QRect area(0, 2, 100, 21);
        QCOMPARE(PlaceTextBlock(area, QSize(40, 11), 0x15), QRect(30, 7, 40, 11));
        QCOMPARE(PlaceTextBlock(area, QSize(40, 11), 0x2 | 0x1 | 0x8 | 0x4), QRect(60, 12, 40, 11)); // edges win
        QCOMPARE(PlaceTextBlock(area, QSize(40, 11), 0), QRect(0, 2, 40, 11));

        CSkinButton button("Cancel");
        button.resize(80, 25);
        const QImage normal = button.grab().toImage();
        // Upper band 0xDADADA to 0xE9E9E9 over 12 rows (row 2: DA + 15 * 2 / 12), the lower one
        // starting at 0xD0D1CF (0x00BBGGRR: r=CF g=D1 b=D0).
        QCOMPARE(normal.pixelColor(40, 2), QColor(0xDC, 0xDC, 0xDC));
        QCOMPARE(normal.pixelColor(5, 12), QColor(0xCF, 0xD1, 0xD0));
        // The outer frame on the edge, the white inner frame just inside it.
        QCOMPARE(normal.pixelColor(40, 0), QColor(0xAB, 0xA6, 0x97));
        QCOMPARE(normal.pixelColor(40, 1), QColor(Qt::white));
        button.setEnabled(false);
        QCOMPARE(button.grab().toImage(), normal);
        button.setEnabled(true);

        // Hover swaps the bands while the mouse is over the button.
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QEvent leave(QEvent::Leave), ungrab(QEvent::UngrabMouse);
        QApplication::sendEvent(&button, &enter);
        QCOMPARE(button.grab().toImage().pixelColor(5, 2), QColor(0xCF, 0xD1, 0xD0));
        QApplication::sendEvent(&button, &leave);
        QCOMPARE(button.grab().toImage(), normal);
        QApplication::sendEvent(&button, &enter);
        QApplication::sendEvent(&button, &ungrab);
        QVERIFY(!button.IsHovering());

        // A double click is two clicks.
        QSignalSpy clicks(&button, &QAbstractButton::clicked);
        QTest::mouseClick(&button, Qt::LeftButton); // press, release, then a double click and its release
        QTest::mouseDClick(&button, Qt::LeftButton);
        QTest::mouseRelease(&button, Qt::LeftButton);
        QCOMPARE(clicks.count(), 2);
    }

    void editFilters_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("percent") << 0 << QString("12.5-,ax%") << QString("12.5");
        QTest::newRow("pixels drop the point") << 1 << QString("12.5-,a") << QString("125");
        QTest::newRow("c and v without ctrl are letters") << 1 << QString("1c2v") << QString("12");
        QTest::newRow("other modes take everything") << 7 << QString("a-1.") << QString("a-1.");
    }

    void editFilters()
    {
        QFETCH(int, mode);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        CEditEx edit;
        edit.SetInputMode(mode);
        QTest::keyClicks(&edit, typed);
        QCOMPARE(edit.text(), kept);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), kept.chopped(1));
        // Shortcuts pass and pasted text is not filtered.
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), kept.chopped(1));
        QGuiApplication::clipboard()->setText("-7,5 px");
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit.text(), QString("-7,5 px"));
    }

    // The keys in the field step as the arrows do, within the range, and not while the arrows are off.
    void spinKeysStepTheField()
    {
        QLineEdit edit("70");
        CSpinButton spin;
        spin.SetBuddy(&edit);
        spin.SetRange(1, 100);
        const std::pair<Qt::Key, const char*> steps[]
            = { { Qt::Key_Up, "71" }, { Qt::Key_Down, "70" }, { Qt::Key_PageUp, "80" }, { Qt::Key_PageUp, "90" },
                  { Qt::Key_PageUp, "100" }, { Qt::Key_Up, "100" }, { Qt::Key_PageDown, "90" } };
        for (const auto& [key, text] : steps) {
            QTest::keyClick(&edit, key);
            QCOMPARE(edit.text(), QString(text));
        }
        spin.setEnabled(false);
        QTest::keyClick(&edit, Qt::Key_Up);
        QCOMPARE(edit.text(), QString("90"));
    }

    void staticFlags_data()
    {
        QTest::addColumn<uint>("style");
        QTest::addColumn<uint>("format");
        QTest::newRow("plain wraps") << 0u << uint(DT_WORDBREAK);
        QTest::newRow("centre image is one centred line") << uint(SS_CENTERIMAGE) << uint(DT_VCENTER | DT_SINGLELINE);
        QTest::newRow("right still wraps") << uint(SS_RIGHT) << uint(DT_RIGHT | DT_WORDBREAK);
        QTest::newRow("no prefix") << uint(SS_NOPREFIX) << uint(DT_NOPREFIX | DT_WORDBREAK);
        QTest::newRow("end ellipsis") << uint(SS_ENDELLIPSIS) << uint(DT_WORD_ELLIPSIS | DT_END_ELLIPSIS);
        QTest::newRow("path ellipsis") << uint(SS_PATHELLIPSIS) << uint(DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS);
        QTest::newRow("word") << uint(SS_WORDELLIPSIS) << uint(DT_WORD_ELLIPSIS | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS);
        QTest::newRow("bit 0x8 stops wrapping") << 0x8u << 0u;
    }

    void staticFlags()
    {
        QFETCH(uint, style);
        QTEST(uint(TextFormatFromStyle(style)), "format");
    }

    void backgroundCaptureShowsTheParentUnderTheControl()
    {
        QWidget parent;
        CSkinButton button("OK", &parent);
        button.setGeometry(50, 40, 80, 25);
        QPixmap ground(200, 100);
        ground.fill(Qt::blue);
        QPainter(&ground).fillRect(QRect(50, 40, 80, 25), Qt::red);
        button.CaptureBackground(&ground);
        QVERIFY(button.HasBackground());
        // The rounded corner's outermost pixel shows the parent's ground, not the button body.
        const QColor corner = button.grab().toImage().pixelColor(0, 0);
        QVERIFY2(corner.red() > 150 && corner.blue() < 120, qPrintable(corner.name()));

        CBkgndObject bare;
        bare.CaptureBackground(&ground);
        QVERIFY(!bare.HasBackground()); // not transparent: nothing kept
    }
};

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
