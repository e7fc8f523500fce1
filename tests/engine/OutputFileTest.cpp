#include "imaging/OutputFile.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using testpics::ReadBytes;
using testpics::WriteBytes;

// Files already in the folder: a trailing '/' makes a folder, a trailing '@' a
// dangling link, which looks free to a look-up but is a name that is taken.
struct NamingCase {
    const char* name;
    std::vector<std::string> present;
    std::string wanted;
    std::string expected;
};

class OutputNameTest : public testing::TestWithParam<NamingCase> { };

// Writing claims the first free name and never takes over another's file.
TEST_P(OutputNameTest, ClaimsTheFirstFreeName)
{
    const NamingCase& c = GetParam();
    testpics::TempDir dir;
    for (const std::string& name : c.present) {
        const std::string path = dir / name.substr(0, name.size() - 1);
        if (name.back() == '/')
            std::filesystem::create_directory(path);
        else if (name.back() == '@')
            std::filesystem::create_symlink(dir / "elsewhere.jpg", path);
        else
            WriteBytes(dir / name, { 'x' });
    }
    std::string written = dir / c.wanted, error;
    const auto write = [](const std::string& temp, std::string&) {
        WriteBytes(temp, { 'n' });
        return true;
    };
    ASSERT_TRUE(WriteOutputFile(written, false, write, error)) << error;
    EXPECT_EQ(written, dir / c.expected);
    EXPECT_EQ(ReadBytes(written), std::vector<std::uint8_t> { 'n' });
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.jpg"));
    EXPECT_EQ(enginefix::ListNames(dir.Path().string()).size(), c.present.size() + 1) << "no temporary file left";
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputNameTest,
    testing::Values(NamingCase { "GapIsFilled", { "photo.jpg", "photo(1).jpg" }, "photo.jpg", "photo(0).jpg" },
        NamingCase { "NumberFollowsTheTitle", { "photo(0).jpg" }, "photo(0).jpg", "photo(0)(0).jpg" },
        NamingCase { "FolderTakesTheName", { "photo.jpg/" }, "photo.jpg", "photo(0).jpg" },
        NamingCase { "DanglingLinkTakesTheName", { "photo.jpg@" }, "photo.jpg", "photo(0).jpg" },
        NamingCase { "DotFileHasAnEmptyTitle", { ".jpg" }, ".jpg", "(0).jpg" }),
    enginefix::CaseName);

} // namespace
