#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "batch/ImageBatch.h"
#include "batch/JobSignals.h"
#include "imaging/PictureConversion.h"
#include "tests/support/TestPictures.h"

// Helpers for the conversion tests: a sink that records what a job posts, batches
// over real files, and a look at written files made without the code under test.
namespace enginefix {

using Names = std::vector<std::string>;

struct Posted {
    std::uint32_t message, code;
    std::int64_t value;
    bool operator==(const Posted&) const = default;
};

// Records every post (read them once the job has ended); onPost runs on the job's thread.
struct RecordingSink : IProgressSink {
    void Post(std::uint32_t message, std::uint32_t code, std::int64_t value) override
    {
        posts.push_back({ message, code, value });
        if (onPost)
            onPost(posts.back());
    }
    std::vector<Posted> posts;
    std::function<void(const Posted&)> onPost;
};

std::vector<Posted> StepsThenEnd(int pictures); // (4, 1) ... (4, 2 * pictures), then (5, 0)
// Entries for the paths, writing into folder (which gets a trailing '/').
std::unique_ptr<ImageBatch> MakeBatch(const std::vector<std::string>& paths, const std::string& folder);
// Starts the job and waits for its end; false if it did not end in time.
bool RunJob(ImageBatch& batch, std::shared_ptr<RecordingSink> sink = nullptr);
std::vector<std::string> ListNames(const std::string& folder); // sorted, hidden ones included

// A fresh folder holding in/ and out/.
class FolderTest : public testing::Test {
protected:
    FolderTest();
    std::string In(const std::string& name) const { return dir / ("in/" + name); }
    std::string Out(const std::string& name = "") const { return dir / ("out/" + name); }
    // count noise pictures, in/p1.jpg, in/p2.jpg, ...
    std::vector<std::string> Pictures(int count, int width = 64, int height = 48) const;
    testpics::TempDir dir;
};

// A written picture as an independent decoder sees it.
struct Decoded {
    bool ok = false, eightBitSamples = false;
    std::string loader; // "jpegload", "pngload", ...
    int width = 0, height = 0, bands = 0;
    std::vector<double> topLeft, topRight; // the pixels at (0, 0) and (width - 1, 0)
};
Decoded Decode(const std::string& path);
void ExpectPixel(const std::vector<double>& pixel, const std::vector<double>& wanted, double tolerance);
// The bits per pixel the header of a BMP, PCX, PNG or GIF declares; 0 when unknown.
int HeaderBitsPerPixel(const std::vector<std::uint8_t>& bytes);

// An input that must fail to convert, and how it should be reported.
struct HostileInput {
    std::string name; // file name to give it
    std::function<void(const std::string& path)> make;
    ConvertStatus expected;
};
std::vector<HostileInput> HostileInputs();

// Names table-driven cases after their `name` field.
inline constexpr auto CaseName = [](const auto& info) { return std::string(info.param.name); };

} // namespace enginefix
