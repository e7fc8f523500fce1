#pragma once

#include <string>
#include <vector>

class ImageBatch;

// Where a run would write each picture, worked out without writing anything: the names
// follow the run's rule for a taken name (numbered, replaced or kept), counting the names
// the earlier pictures of the same run would take. The extension is the chosen format's;
// whether an output would be larger than its source is known only by converting.
struct PlannedOutput {
    std::string source;
    std::string output;          // the name it would take; empty when skipped or unreadable
    int width = 0, height = 0;   // of the output, when the sizes were read
    std::string skipped;         // why nothing would be written, or empty
    std::string unreadable;      // why the picture cannot be read, or empty
    std::string collidesWith;    // with overwrite: the earlier source written to the same output
    bool replacesSource = false; // with overwrite: the output is one of the run's sources
};

// One plan per entry, in list order. With readSizes, each picture's header is read for its
// output size in pixels (and a picture that cannot be read says so). Reads, never writes.
std::vector<PlannedOutput> PlanOutputs(ImageBatch& batch, bool readSizes);

// True when the plan has a collision, a replaced source or an unreadable picture.
bool PlanHasProblem(const std::vector<PlannedOutput>& plan);

// True when writing it would destroy a picture: a source replaced, or an output two sources share.
inline bool PutsAPictureAtRisk(const PlannedOutput& p) { return p.replacesSource || !p.collidesWith.empty(); }

// One line for one picture, no newline: "SRC -> OUT (W x H, collides with X, replaces a source)"
// (the size only when it was read), "SRC: skipped: WHY" or "SRC: cannot convert: WHY".
std::string DescribePlannedOutput(const PlannedOutput& p);
