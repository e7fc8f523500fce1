#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/CSummaryDialog.h"
#include "ui/RunSummary.h"

namespace {

ConvertOutcome Outcome(
    const char* source, ConvertStatus status, std::uint64_t before, std::uint64_t after, const char* reason = "")
{
    ConvertOutcome o;
    o.source = source;
    o.status = status;
    o.sourceBytes = before;
    o.bytes = after;
    o.reason = reason;
    return o;
}

} // namespace

class SummaryDialogTest : public QObject {
    Q_OBJECT
private slots:
    void runSummaryCountsAndLists()
    {
        std::vector<ConvertOutcome> outcomes {
            Outcome("/p/a.jpg", ConvertStatus::Written, 3 << 20, 1 << 20),
            Outcome("/p/b.png", ConvertStatus::Unreadable, 5000, 0, "not a picture"),
            Outcome("/p/c.png", ConvertStatus::Written, 4096, 1024,
                "damaged: only part of the picture could be read; over the target of 0 KB"),
        };
        outcomes[2].damaged = true;
        outcomes[2].overTarget = true;
        outcomes[2].targetBytes = 512;
        outcomes[2].quality = 1;
        const SummaryText stopped = SummarizeRun(outcomes, 5, true, 1500);
        QCOMPARE(stopped.heading, QString("Stopped after 3 of 5 pictures"));
        QCOMPARE(stopped.facts,
            QString("Written: 2\nFailed: 1\nSkipped: 2\nOver target: 1\nDamaged: 1\n"
                    "Size of the pictures written: 3.0 MB before, 1.0 MB after\nTime taken: 1.5 s"));
        QCOMPARE(stopped.details,
            QString(
                "1 picture could not be converted:\n\nb.png: not a picture\n\n"
                "1 picture was written with a warning:\n\nc.png: damaged: only part of the picture could be read\n\n"
                "1 picture was written over the target size:\n\nc.png: 1 KB, target 1 KB (quality 1)"));
        QVERIFY(stopped.ToPlainText().startsWith(stopped.heading + "\n" + stopped.facts + "\n\n1 picture could"));

        outcomes.erase(outcomes.begin() + 1);
        outcomes[1] = Outcome("/p/c.png", ConvertStatus::Written, 900, 100);
        const SummaryText clean = SummarizeRun(outcomes, 2, false, 125000);
        QCOMPARE(clean.heading, QString("All 2 pictures were written"));
        QVERIFY(clean.facts.endsWith("Time taken: 2 min 5 s"));
        QCOMPARE(clean.details, QString());
        QCOMPARE(SummarizeRun({ outcomes[0] }, 3, false, 0).heading, QString("1 of 3 pictures were written"));

        const SummaryText intake
            = SummarizeIntake({ { "/p/notes.txt", "not a picture" }, { "/p/x.jpg", "damaged" } }, 7, 5);
        QCOMPARE(intake.heading, QString("5 of 7 files were added"));
        QCOMPARE(intake.details, QString("2 files were not added:\n\nnotes.txt: not a picture\nx.jpg: damaged"));
    }

    void theDialogShowsCopiesOpensAndCloses()
    {
        const SummaryText summary
            = SummarizeRun({ Outcome("/p/b.png", ConvertStatus::Unreadable, 1, 0, "not a picture") }, 1, false, 10);
        QStringList asked;
        bool opens = false;
        CSummaryDialog dialog(summary, "/out/", [&](const QString& folder) {
            asked << folder;
            return opens;
        });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.GetHeading()->text(), QString("0 of 1 pictures were written"));
        QVERIFY(dialog.GetDetails()->isVisible() && dialog.GetDetails()->isReadOnly());
        QCOMPARE(dialog.GetDetails()->toPlainText(), summary.details);
        QVERIFY(dialog.GetDetails()->textInteractionFlags() & Qt::TextSelectableByKeyboard);
        QTest::mouseClick(dialog.GetCopyButton(), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), summary.ToPlainText());

        QTest::mouseClick(dialog.GetOpenButton(), Qt::LeftButton);
        QVERIFY(dialog.GetNote()->isVisible());
        QCOMPARE(dialog.GetNote()->text(), QString("The folder /out/ could not be opened."));
        opens = true;
        QTest::mouseClick(dialog.GetOpenButton(), Qt::LeftButton);
        QVERIFY(!dialog.GetNote()->isVisible());
        QCOMPARE(asked, QStringList({ "/out/", "/out/" }));

        // Return closes it, even after a button was used; so does Escape.
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        CSummaryDialog again(SummarizeIntake({}, 1, 1), QString(), nullptr);
        QVERIFY(!again.GetOpenButton() && !again.GetDetails()->isVisibleTo(&again));
        again.show();
        QTest::keyClick(&again, Qt::Key_Escape);
        QVERIFY(!again.isVisible());
    }
};

QTEST_MAIN(SummaryDialogTest)
#include "SummaryDialogTest.moc"
