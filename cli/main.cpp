// kestrova-cli: the conversion engine without a window, for scripts and for
// machines without a display. Links the core only.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "batch/ImageBatch.h"
#include "batch/JobSignals.h"
#include "batch/OutputPlan.h"
#include "cli/CliInputs.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "imaging/Picture.h"
#include "settings/DataDirectory.h"
#include "settings/IniFile.h"
#include "settings/PanelOptions.h"
#include "settings/SettingsStore.h"

namespace {

constexpr int kExitWritten = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitStopped = 130;

// Where the per-picture lines and the summary go: standard errors when the report takes standard output.
std::FILE* g_info = stdout;

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "kestrova-cli: %s\nTry 'kestrova-cli --help' for more information.\n", message.c_str());
    return kExitUsage;
}

std::string HostName()
{
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? name : "";
}

std::string FormatKB(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024.0);
    return text;
}

// Shows each picture's result as it is done, and a bar while a terminal watches.
// Runs on the job's thread, which is also the one that writes the outcomes.
class ConsoleSink : public IProgressSink {
public:
    ConsoleSink(const ImageBatch& batch, bool quiet, int endEvent)
        : m_batch(batch)
        , m_quiet(quiet)
        , m_bar(!quiet && ::isatty(STDERR_FILENO))
        , m_endEvent(endEvent)
        , m_total(batch.GetEntryCount())
    {
    }

    void Post(std::uint32_t message, std::uint32_t code, std::int64_t value) override
    {
        if (message != WM_CONVERT_PROGRESS)
            return;
        if (code == ConvertCodeEnd) {
            ClearBar();
            const std::uint64_t one = 1;
            (void)!::write(m_endEvent, &one, sizeof one);
            return;
        }
        if (code != ConvertCodeStep)
            return;
        if (value % 2 == 0) {
            const auto& outcomes = m_batch.GetConvertOutcomes();
            if (!outcomes.empty())
                Report(outcomes.back());
        }
        DrawBar(static_cast<int>(value));
    }

private:
    void Report(const ConvertOutcome& o)
    {
        ClearBar();
        if (o.status == ConvertStatus::Skipped) {
            // Left out by the user's own rule: no error.
            if (!m_quiet)
                std::fprintf(g_info, "%s: %s\n", o.source.c_str(), o.reason.c_str());
            std::fflush(g_info);
            return;
        }
        if (o.status != ConvertStatus::Written) {
            std::fprintf(stderr, "kestrova-cli: %s: %s\n", o.source.c_str(), o.reason.c_str());
            return;
        }
        if (o.overTarget)
            std::fprintf(stderr, "kestrova-cli: %s: over the target size: %s written, the target is %s\n",
                o.source.c_str(), FormatKB(o.bytes).c_str(), FormatKB(o.targetBytes).c_str());
        else if (!o.reason.empty())
            std::fprintf(stderr, "kestrova-cli: %s: warning: %s\n", o.source.c_str(), o.reason.c_str());
        if (m_quiet)
            return;
        const std::string lever = DescribeLever(o);
        std::string quality = lever.empty() ? "" : ", " + lever;
        std::fprintf(g_info, "%s -> %s (%d x %d, %s%s)\n", o.source.c_str(), o.output.c_str(), o.width, o.height,
            FormatKB(o.bytes).c_str(), quality.c_str());
        std::fflush(g_info);
    }
    void DrawBar(int step)
    {
        if (!m_bar || m_total == 0)
            return;
        constexpr int width = 30;
        const int filled = step * width / (2 * m_total);
        std::fprintf(stderr, "\r[%s%s] %d/%d", std::string(static_cast<std::size_t>(filled), '#').c_str(),
            std::string(static_cast<std::size_t>(width - filled), '.').c_str(), std::min(step / 2 + 1, m_total),
            m_total);
        std::fflush(stderr);
        m_barShown = true;
    }
    void ClearBar()
    {
        if (m_barShown)
            std::fputs("\r\033[K", stderr);
        m_barShown = false;
    }

    const ImageBatch& m_batch;
    const bool m_quiet;
    const bool m_bar;
    const int m_endEvent;
    const int m_total;
    bool m_barShown = false;
};

// Runs the job until its end message, turning Ctrl+C (and a polite kill) into
// Cancel: the picture in progress is finished, nothing is left half-made.
// Returns true when a stop was asked for.
bool RunUntilEnd(ImageBatch& batch, bool quiet)
{
    sigset_t stops;
    sigemptyset(&stops);
    for (int s : { SIGINT, SIGTERM, SIGHUP })
        sigaddset(&stops, s);
    // Blocked before any thread exists, so every thread inherits it and only the descriptor sees them.
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    const int signals = ::signalfd(-1, &stops, SFD_CLOEXEC);
    const int ended = ::eventfd(0, EFD_CLOEXEC);

    batch.StartConvertJob(std::make_shared<ConsoleSink>(batch, quiet, ended));
    bool stopAsked = false;
    for (bool running = true; running;) {
        pollfd fds[] = { { ended, POLLIN, 0 }, { signals, POLLIN, 0 } };
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info {};
            if (::read(signals, &info, sizeof info) == sizeof info) {
                stopAsked = true;
                batch.CancelConvertJob();
                std::fputs("\r\033[Kkestrova-cli: stopping after the pictures in progress...\n", stderr);
            }
        }
        if (fds[0].revents & POLLIN)
            running = false;
    }
    while (!batch.WaitConvertJob()) { }
    ::close(signals);
    ::close(ended);
    return stopAsked;
}

// Prints where each picture would go; nothing is written. 0, or 1 when the plan has a problem.
int DryRun(ImageBatch& batch, const cli::CollectedInputs& inputs)
{
    const std::vector<PlannedOutput> plan = PlanOutputs(batch, true);
    int writing = 0, skipped = 0, collisions = 0, replaced = 0;
    for (const PlannedOutput& p : plan) {
        std::printf("%s\n", DescribePlannedOutput(p).c_str());
        if (!p.unreadable.empty())
            continue;
        ++(p.skipped.empty() ? writing : skipped);
        collisions += p.collidesWith.empty() ? 0 : 1;
        replaced += p.replacesSource ? 1 : 0;
    }
    for (const auto& [arg, reason] : inputs.failures)
        std::printf("%s: cannot convert: %s\n", arg.c_str(), reason.c_str());
    std::printf("dry run: %d to write, %d skipped, %d collide, %d replace a source; nothing written\n", writing,
        skipped, collisions, replaced);
    return PlanHasProblem(plan) || !inputs.failures.empty() ? kExitFailed : kExitWritten;
}

// With overwrite, the sources the run would replace or write over each other. Without --overwrite
// itself (overwrite came from --if-exists or a preset) they are named and the run is refused;
// with it, each gets a warning before the run. False: refused.
bool AcceptReplacing(ImageBatch& batch, bool confirmed)
{
    const std::vector<PlannedOutput> plan = PlanOutputs(batch, false);
    if (!confirmed) {
        std::vector<const PlannedOutput*> atRisk;
        for (const PlannedOutput& p : plan)
            if (PutsAPictureAtRisk(p))
                atRisk.push_back(&p);
        if (atRisk.empty())
            return true;
        std::fprintf(stderr, "kestrova-cli: this run would replace %zu of its own pictures:\n", atRisk.size());
        for (const PlannedOutput* p : atRisk) {
            std::string why = p->replacesSource ? "a source" : "";
            if (!p->collidesWith.empty())
                why += (why.empty() ? "" : ", ") + ("also the output of " + p->collidesWith);
            std::fprintf(stderr, "  %s -> %s (%s)\n", p->source.c_str(), p->output.c_str(), why.c_str());
        }
        std::fputs(
            "kestrova-cli: nothing written; give --overwrite to replace them, or --dry-run to see the plan\n", stderr);
        return false;
    }
    for (const PlannedOutput& p : plan) {
        if (p.replacesSource)
            std::fprintf(stderr, "kestrova-cli: %s: warning: %s replaces a source of this run\n", p.source.c_str(),
                p.output.c_str());
        if (!p.collidesWith.empty())
            std::fprintf(stderr, "kestrova-cli: %s: warning: %s is also the output of %s\n", p.source.c_str(),
                p.output.c_str(), p.collidesWith.c_str());
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN); // a closed pipe must not kill us between a temporary file and its rename
    const cli::CliParseResult parsed = cli::ParseCliArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    const cli::CliOptions& options = parsed.options;
    if (options.help) {
        std::fputs(cli::CliUsage().c_str(), stdout);
        return kExitWritten;
    }
    if (options.version) {
        std::printf("kestrova-cli (Lumisk Studio) %s\n", KESTROVA_VERSION);
        return kExitWritten;
    }

    ImageBatch batch;
    std::string error;
    if (options.savePreset && !(error = SettingsStore::CheckPresetName(*options.savePreset)).empty())
        return UsageError("--save-preset: " + error);
    // Presets live in the window's settings file.
    if (options.preset || options.savePreset)
        PrepareDataDirectory();
    if (options.preset) {
        PanelOptions preset;
        if (!SettingsStore::LoadPreset(*options.preset, preset, error))
            return UsageError(error);
        ApplyPanelOptions(preset, batch);
    }
    if (!cli::ApplyCliOptions(options, batch, error))
        return UsageError(error);
    // A rerun of a shard must find its earlier outputs under their own names, not add numbered copies.
    if (options.shard && !batch.GetOverwriteExisting() && !batch.GetOutputOptions().skipExisting)
        return UsageError("--shard: numbered names would give a rerun's pictures second copies; "
                          "give --keep-tree --if-exists skip, and a rerun converts only what is missing");
    if (options.report && *options.report == "-")
        g_info = stderr;
    if (options.savePreset) {
        if (!SettingsStore::SavePreset(*options.savePreset, CapturePanelOptions(batch), error)) {
            std::fprintf(stderr, "kestrova-cli: --save-preset: %s\n", error.c_str());
            return kExitFailed;
        }
        if (!options.quiet)
            std::fprintf(g_info, "preset %s saved\n", TrimBlanks(*options.savePreset).c_str());
        if (options.inputs.empty() && options.filesFrom.empty())
            return kExitWritten;
    }
    if (options.jobs)
        batch.SetJobs(*options.jobs);
    // Every list is read to its end before anything is made.
    cli::CollectedInputs inputs;
    const cli::InputRequest request { options.inputs, batch.GetOutputOptions().includeSubfolders, options.filesFrom,
        options.nulSeparated, options.base, options.shard };
    if (!cli::GatherInputs(request, inputs, error))
        return UsageError(error);
    std::string folder;
    if (options.output) {
        folder = *options.output;
    } else {
        // The folder the window would offer: the one last used there, else the default.
        PrepareDataDirectory();
        folder = SettingsStore::GetLastFolder();
    }
    if (!cli::CreateOutputFolder(folder, error, !options.dryRun))
        return UsageError("cannot use the output folder " + folder + ": " + error);
    batch.SetOutputFolder(folder);
    if (!InitImageLibrary()) {
        std::fputs("kestrova-cli: the image library could not start\n", stderr);
        return kExitFailed;
    }

    for (const auto& [path, note] : inputs.notes)
        std::fprintf(stderr, "kestrova-cli: %s: %s\n", path.c_str(), note.c_str());
    for (const auto& [sub, reason] : inputs.skipped)
        std::fprintf(stderr, "kestrova-cli: %s: skipped: %s\n", sub.c_str(), reason.c_str());
    if (!options.dryRun)
        for (const auto& [arg, reason] : inputs.failures)
            std::fprintf(stderr, "kestrova-cli: %s: %s\n", arg.c_str(), reason.c_str());
    for (std::size_t i = 0; i < inputs.paths.size(); ++i) {
        auto entry = std::make_unique<ImageEntry>();
        entry->SetPath(inputs.paths[i]);
        entry->SetOutputSubfolder(inputs.subfolders[i]);
        batch.AddEntry(std::move(entry));
    }
    if (options.dryRun)
        return DryRun(batch, inputs);
    if (batch.GetOverwriteExisting() && !AcceptReplacing(batch, options.overwriteConfirmed))
        return kExitUsage;

    const bool stopAsked = RunUntilEnd(batch, options.quiet);

    const auto& outcomes = batch.GetConvertOutcomes();
    const int failed = batch.GetConvertFailureCount() + static_cast<int>(inputs.failures.size());
    const int skipped = static_cast<int>(std::count_if(
        outcomes.begin(), outcomes.end(), [](const ConvertOutcome& o) { return o.status == ConvertStatus::Skipped; }));
    const int written = static_cast<int>(outcomes.size()) - batch.GetConvertFailureCount() - skipped;
    const int notReached = batch.GetEntryCount() - static_cast<int>(outcomes.size());
    const int overTarget = static_cast<int>(
        std::count_if(outcomes.begin(), outcomes.end(), [](const ConvertOutcome& o) { return o.overTarget; }));
    if (options.report) {
        std::vector<cli::ReportRow> rows;
        for (std::size_t i = 0; i < inputs.paths.size(); ++i)
            rows.push_back({ inputs.paths[i], i < outcomes.size() ? &outcomes[i] : nullptr, "the run was stopped" });
        for (const auto& [arg, reason] : inputs.failures)
            rows.push_back({ arg, nullptr, reason });
        const std::string report = options.reportJsonl
            ? cli::FormatJsonlReport(rows, { options.shard ? options.shard->Text() : "", HostName() })
            : cli::FormatCsvReport(rows);
        if (*options.report == "-") {
            if (std::fwrite(report.data(), 1, report.size(), stdout) != report.size() || std::fflush(stdout) != 0) {
                std::fprintf(
                    stderr, "kestrova-cli: could not write the report to standard output: %s\n", std::strerror(errno));
                return kExitFailed;
            }
        } else if (!cli::WriteReportFile(*options.report, report, error)) {
            std::fprintf(stderr, "kestrova-cli: %s: %s\n", options.report->c_str(), error.c_str());
            return kExitFailed;
        }
    }
    const std::string skips = skipped > 0 ? ", " + std::to_string(skipped) + " skipped" : "";
    if (stopAsked && notReached > 0)
        std::fprintf(stderr, "kestrova-cli: stopped: %d written, %d failed%s, %d not converted\n", written, failed,
            skips.c_str(), notReached);
    else if (!options.quiet && overTarget > 0)
        std::fprintf(
            g_info, "%d written, %d failed%s, %d over the target size\n", written, failed, skips.c_str(), overTarget);
    else if (!options.quiet)
        std::fprintf(g_info, "%d written, %d failed%s\n", written, failed, skips.c_str());
    if (stopAsked && notReached > 0)
        return kExitStopped;
    return failed > 0 || overTarget > 0 ? kExitFailed : kExitWritten;
}
