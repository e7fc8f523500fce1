#include "batch/OutputPlan.h"

#include <filesystem>
#include <map>
#include <set>

#include "batch/ImageBatch.h"
#include "files/OutputFile.h"
#include "files/PathUtil.h"
#include "imaging/ImageEntry.h"
#include "imaging/PictureConversion.h"

namespace {

// One spelling per file, so "a/../b.jpg", a link to the folder and the plain path meet; the
// part that does not exist yet is kept as written.
std::string Comparable(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// The name the numbering rule would give: the first of path, title(0).ext, ... neither on
// the disk nor taken earlier in the run.
std::string NumberedName(const std::string& path, const std::set<std::string>& taken)
{
    const PathParts parts = SplitPath(path);
    std::string candidate = path;
    for (int n = 0; n < 10000; ++n) {
        if (!PathExists(candidate) && !taken.contains(Comparable(candidate)))
            return candidate;
        candidate = parts.folder + parts.title + "(" + std::to_string(n) + ")" + parts.extension;
    }
    return {};
}

} // namespace

std::vector<PlannedOutput> PlanOutputs(ImageBatch& batch, bool readSizes)
{
    const ConvertSnapshot s = TakeConvertSnapshot(batch);
    std::set<std::string> sources;
    for (int i = 0; i < batch.GetEntryCount(); ++i)
        sources.insert(Comparable(batch.GetEntry(i)->GetPath()));
    std::set<std::string> taken;
    std::map<std::string, std::string> takenBy; // output -> the source that takes it
    std::vector<PlannedOutput> plan;
    for (int i = 0; i < batch.GetEntryCount(); ++i) {
        ImageEntry& entry = *batch.GetEntry(i);
        PlannedOutput p;
        p.source = entry.GetPath();
        if (readSizes) {
            if (entry.Load()) {
                const TargetSize size = ComputeTargetSize(
                    entry.GetPixelWidth(), entry.GetPixelHeight(), s.mode, s.unit, s.w, s.h, s.options.doNotEnlarge);
                p.width
                    = static_cast<int>(size.resample ? std::max<std::int64_t>(size.width, 1) : entry.GetPixelWidth());
                p.height
                    = static_cast<int>(size.resample ? std::max<std::int64_t>(size.height, 1) : entry.GetPixelHeight());
                entry.FreeImage();
            } else {
                p.unreadable = entry.GetLastError();
                plan.push_back(std::move(p));
                continue;
            }
        }
        const std::string named
            = s.folder + entry.OutputSubfolder(s.options.keepTree) + SplitPath(p.source).title + s.extension;
        const std::string key = Comparable(named);
        if (s.overwrite) {
            p.output = named;
            if (const auto earlier = takenBy.find(key); earlier != takenBy.end())
                p.collidesWith = earlier->second;
            p.replacesSource = sources.contains(key);
        } else if (s.options.skipExisting) {
            if (PathExists(named))
                p.skipped = named + " exists";
            else if (taken.contains(key))
                p.skipped = named + " is taken by " + takenBy[key];
            else
                p.output = named;
        } else {
            p.output = NumberedName(named, taken);
            if (p.output.empty())
                p.unreadable = "every numbered name is taken";
        }
        if (!p.output.empty()) {
            const std::string outputKey = Comparable(p.output);
            taken.insert(outputKey);
            takenBy.emplace(outputKey, p.source);
        }
        plan.push_back(std::move(p));
    }
    return plan;
}

std::string DescribePlannedOutput(const PlannedOutput& p)
{
    if (!p.unreadable.empty())
        return p.source + ": cannot convert: " + p.unreadable;
    if (!p.skipped.empty())
        return p.source + ": skipped: " + p.skipped;
    std::string notes;
    if (p.width > 0 && p.height > 0)
        notes = std::to_string(p.width) + " x " + std::to_string(p.height);
    if (!p.collidesWith.empty())
        notes += (notes.empty() ? "" : ", ") + ("collides with " + p.collidesWith);
    if (p.replacesSource)
        notes += notes.empty() ? "replaces a source" : ", replaces a source";
    return p.source + " -> " + p.output + (notes.empty() ? "" : " (" + notes + ")");
}

bool PlanHasProblem(const std::vector<PlannedOutput>& plan)
{
    for (const PlannedOutput& p : plan)
        if (!p.collidesWith.empty() || p.replacesSource || !p.unreadable.empty())
            return true;
    return false;
}
