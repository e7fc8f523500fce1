#include "files/PathUtil.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* path;
    const char* folder;
    const char* title;
    const char* extension;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << '"' << c.path << '"'; }

class SplitPathTest : public testing::TestWithParam<SplitCase> { };

TEST_P(SplitPathTest, ExtensionStartsAtLastDotOfTheName)
{
    const SplitCase& c = GetParam();
    const PathParts parts = SplitPath(c.path);
    EXPECT_EQ(parts.folder, c.folder);
    EXPECT_EQ(parts.title, c.title);
    EXPECT_EQ(parts.extension, c.extension);
}

INSTANTIATE_TEST_SUITE_P(Paths, SplitPathTest,
    testing::Values(SplitCase { "/home/u/photo.jpg", "/home/u/", "photo", ".jpg" },
        SplitCase { "/home/u/.jpg", "/home/u/", "", ".jpg" },
        SplitCase { "/home/u/archive.tar.gz", "/home/u/", "archive.tar", ".gz" },
        SplitCase { "/home/u.v/README", "/home/u.v/", "README", "" },
        SplitCase { "/home/u/name.", "/home/u/", "name", "." }, SplitCase { "photo.JPG", "", "photo", ".JPG" },
        SplitCase { "/", "/", "", "" }, SplitCase { "", "", "", "" }));

} // namespace
