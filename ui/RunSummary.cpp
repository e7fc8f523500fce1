#include "ui/RunSummary.h"

#include <algorithm>
#include <functional>

#include <QCoreApplication>

#include "files/PathUtil.h"

namespace {

// The context of the summary's texts in the translations.
struct RunSummary {
    Q_DECLARE_TR_FUNCTIONS(RunSummary)
};

QString NameOf(const std::string& path)
{
    const PathParts parts = SplitPath(path);
    return QString::fromStdString(parts.title + parts.extension);
}

// What went wrong with a written picture besides missing its target size, which has a list of its own.
std::string WarningOf(const ConvertOutcome& outcome)
{
    if (outcome.status != ConvertStatus::Written)
        return {};
    std::string warning = outcome.reason;
    if (outcome.overTarget) {
        const std::size_t at = warning.rfind("over the target of ");
        if (at != std::string::npos)
            warning.erase(at >= 2 && warning.compare(at - 2, 2, "; ") == 0 ? at - 2 : at);
    }
    return warning;
}

// One part of the details: its heading, then a line for each item it takes; nothing when it takes none.
template <class Item>
void AppendSection(QString& text, const std::vector<Item>& items, const char* one, const char* many,
    const std::function<bool(const Item&)>& takes, const std::function<QString(const Item&)>& line)
{
    const auto count = std::count_if(items.begin(), items.end(), takes);
    if (count == 0)
        return;
    if (!text.isEmpty())
        text += QStringLiteral("\n\n");
    text += count == 1 ? RunSummary::tr(one) : RunSummary::tr(many).arg(count);
    for (const Item& item : items)
        if (takes(item))
            text += QLatin1Char('\n') + line(item);
}

QString Duration(qint64 milliseconds)
{
    if (milliseconds < 60000)
        return RunSummary::tr("%1 s").arg(static_cast<double>(milliseconds) / 1000.0, 0, 'f', 1);
    const qint64 seconds = (milliseconds + 500) / 1000;
    return RunSummary::tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

} // namespace

QString SummaryText::ToPlainText() const
{
    QString text = heading + QLatin1Char('\n') + facts;
    if (!details.isEmpty())
        text += QStringLiteral("\n\n") + details;
    return text;
}

QString FormatBytes(std::uint64_t bytes)
{
    if (bytes < 1024)
        return RunSummary::tr("%1 bytes").arg(bytes);
    const double kb = static_cast<double>(bytes) / 1024.0;
    if (kb < 1024)
        return RunSummary::tr("%1 KB").arg(kb, 0, 'f', kb < 10 ? 1 : 0);
    return RunSummary::tr("%1 MB").arg(kb / 1024.0, 0, 'f', 1);
}

SummaryText SummarizeRun(const std::vector<ConvertOutcome>& outcomes, int total, bool stopped, qint64 milliseconds)
{
    const auto count = [&](const std::function<bool(const ConvertOutcome&)>& takes) {
        return static_cast<int>(std::count_if(outcomes.begin(), outcomes.end(), takes));
    };
    const auto written = [](const ConvertOutcome& o) { return o.status == ConvertStatus::Written; };
    const int writtenCount = count(written);
    const int reached = static_cast<int>(outcomes.size());
    // Left out by a rule (output exists, would be larger): skipped, as the pictures a stop never reached.
    const int ruledOut = count([](const ConvertOutcome& o) { return o.status == ConvertStatus::Skipped; });
    std::uint64_t before = 0, after = 0;
    for (const ConvertOutcome& o : outcomes)
        if (written(o)) {
            before += o.sourceBytes;
            after += o.bytes;
        }

    SummaryText summary;
    if (stopped)
        summary.heading = RunSummary::tr("Stopped after %1 of %2 pictures").arg(reached).arg(total);
    else if (writtenCount == total)
        summary.heading = total == 1 ? RunSummary::tr("The picture was written")
                                     : RunSummary::tr("All %1 pictures were written").arg(total);
    else
        summary.heading = RunSummary::tr("%1 of %2 pictures were written").arg(writtenCount).arg(total);
    summary.facts = RunSummary::tr("Written: %1\nFailed: %2\nSkipped: %3\nOver target: %4\nDamaged: %5")
                        .arg(writtenCount)
                        .arg(reached - writtenCount - ruledOut)
                        .arg(std::max(0, total - reached) + ruledOut)
                        .arg(count([&](const ConvertOutcome& o) { return written(o) && o.overTarget; }))
                        .arg(count([&](const ConvertOutcome& o) { return written(o) && o.damaged; }));
    summary.facts += RunSummary::tr("\nSize of the pictures written: %1 before, %2 after")
                         .arg(FormatBytes(before), FormatBytes(after));
    summary.facts += RunSummary::tr("\nTime taken: %1").arg(Duration(milliseconds));

    const auto kb = [](std::uint64_t bytes) { return QString::number((bytes + 1023) / 1024); };
    const auto named = [](const ConvertOutcome& o, const QString& detail) {
        return QStringLiteral("%1: %2").arg(NameOf(o.source), detail);
    };
    QString& text = summary.details;
    AppendSection<ConvertOutcome>(
        text, outcomes, QT_TRANSLATE_NOOP("RunSummary", "1 picture could not be converted:\n"),
        QT_TRANSLATE_NOOP("RunSummary", "%1 pictures could not be converted:\n"),
        [](const ConvertOutcome& o) {
            return o.status != ConvertStatus::Written && o.status != ConvertStatus::Skipped;
        },
        [&](const ConvertOutcome& o) {
            return named(o, QString::fromStdString(o.reason.empty() ? GetStatusName(o.status) : o.reason));
        });
    // A picture written from a damaged file is listed too: it is not the whole picture.
    AppendSection<ConvertOutcome>(
        text, outcomes, QT_TRANSLATE_NOOP("RunSummary", "1 picture was written with a warning:\n"),
        QT_TRANSLATE_NOOP("RunSummary", "%1 pictures were written with a warning:\n"),
        [](const ConvertOutcome& o) { return !WarningOf(o).empty(); },
        [&](const ConvertOutcome& o) { return named(o, QString::fromStdString(WarningOf(o))); });
    // Written all the same when nothing reached the target size: the user asked for less.
    AppendSection<ConvertOutcome>(
        text, outcomes, QT_TRANSLATE_NOOP("RunSummary", "1 picture was written over the target size:\n"),
        QT_TRANSLATE_NOOP("RunSummary", "%1 pictures were written over the target size:\n"),
        [](const ConvertOutcome& o) { return o.status == ConvertStatus::Written && o.overTarget; },
        [&](const ConvertOutcome& o) {
            QString line = RunSummary::tr("%1 KB, target %2 KB").arg(kb(o.bytes), kb(o.targetBytes));
            const std::string lever = DescribeLever(o);
            if (!lever.empty())
                line += QStringLiteral(" (%1)").arg(QString::fromStdString(lever));
            return named(o, line);
        });
    return summary;
}

SummaryText SummarizeIntake(const std::vector<RejectedFile>& rejected, int looked, int added)
{
    SummaryText summary;
    summary.heading = looked == 1 ? RunSummary::tr("%1 of 1 file was added").arg(added)
                                  : RunSummary::tr("%1 of %2 files were added").arg(added).arg(looked);
    summary.facts = RunSummary::tr("Added: %1\nNot added: %2").arg(added).arg(rejected.size());
    AppendSection<RejectedFile>(
        summary.details, rejected, QT_TRANSLATE_NOOP("RunSummary", "1 file was not added:\n"),
        QT_TRANSLATE_NOOP("RunSummary", "%1 files were not added:\n"), [](const RejectedFile&) { return true; },
        [](const RejectedFile& f) {
            return QStringLiteral("%1: %2").arg(NameOf(f.path), QString::fromStdString(f.reason));
        });
    return summary;
}
