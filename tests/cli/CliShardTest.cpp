// Lists of pictures, shards of a run and reports that merge: the pieces directly, and the
// program run from a shell as a scheduler's task would run it.
#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "cli/CliInputs.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using namespace enginefix;
using testpics::ReadText;
using testpics::WriteText;

cli::CollectedInputs Gather(
    const Names& lists, std::optional<cli::ShardSpec> shard = {}, const Names& args = {}, bool nulSeparated = false)
{
    const cli::InputRequest request { args, false, lists, nulSeparated, std::nullopt, shard };
    cli::CollectedInputs collected;
    std::string error;
    EXPECT_TRUE(cli::GatherInputs(request, collected, error)) << error;
    return collected;
}

// The program through sh in folder, its output in folder/stdout and folder/stderr; the exit status.
int Shell(const std::string& folder, const std::string& command)
{
    const std::string line = "cd '" + folder + "' && { " + command + "; } > stdout 2> stderr";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
const std::string kCli = KESTROVA_CLI_PATH;

class CliListTest : public FolderTest { };

// A list's paths are relative to its own folder; absolute ones, empty lines, CRLF, NUL-separated
// names with a line break, a folder (a failure of its own), duplicates (noted once each) and a name
// that is not UTF-8 all come out as listed.
TEST_F(CliListTest, ListsAreReadAsWrittenAndEachPictureIsTakenOnce)
{
    std::filesystem::create_directories(dir / "lists");
    const std::string odd = "\xff\xfe.png", broken = "two\nlines.png";
    WriteText(dir / "lists/l.txt",
        "../in/a.png\n\n" + In("b.png") + "\r\n../in\n./../in/a.png\n../in/" + odd + "\n../in/c.png\n");
    const cli::CollectedInputs lines = Gather({ dir / "lists/l.txt" });
    EXPECT_EQ(lines.paths, Names({ In("a.png"), In("b.png"), In(odd), In("c.png") }));
    ASSERT_EQ(lines.failures.size(), 1u);
    EXPECT_EQ(lines.failures[0].first, (dir.Path() / "in").string());
    EXPECT_EQ(lines.failures[0].second, "a folder; list pictures, or give the folder itself with -R");
    ASSERT_EQ(lines.notes.size(), 1u);
    EXPECT_EQ(lines.notes[0].first, In("a.png"));

    WriteText(dir / "lists/nul", std::string("../in/a.png\0", 12) + "../in/" + broken + '\0' + '\0');
    const cli::CollectedInputs nul = Gather({ dir / "lists/nul" }, {}, { In("a.png") }, true);
    EXPECT_EQ(nul.paths, Names({ In("a.png"), In(broken) }));
    EXPECT_EQ(nul.notes.size(), 1u);
}

// From standard input, relative to the current folder: the pictures are converted, a missing one
// fails on its own (status 1), and a name that is not UTF-8 is converted and reported by its bytes.
TEST_F(CliListTest, StandardInputListConvertsWhatIsThereAndNamesTheMissing)
{
    testpics::WriteColour(In("a.png"), 30, 20, "png");
    testpics::WriteColour(In("\xff.png"), 30, 20, "png");
    const int status = Shell(dir.Path(),
        "printf 'in/a.png\\nin/missing.png\\nin/\\377.png\\n' | " + kCli
            + " --files-from - -o out --report-format jsonl --report -");
    EXPECT_EQ(status, 1) << ReadText(dir / "stderr");
    EXPECT_EQ(ListNames(Out()), Names({ "a.jpg", "\xff.jpg" }));
    EXPECT_NE(ReadText(dir / "stderr").find("in/missing.png: "), std::string::npos);
    const std::string report = ReadText(dir / "stdout");
    EXPECT_EQ(std::ranges::count(report, '\n'), 3) << report;
    EXPECT_NE(report.find(R"("source":"in/\u00ff.png")"), std::string::npos) << report;
}

// Every picture falls in exactly one of N shards, and pictures added to the list leave the others where
// they were. The hash is the documented one, so other machines and later versions agree.
TEST(CliShard, ShardsPartitionTheListAndKeepTheirPictures)
{
    EXPECT_EQ(cli::Fnv1a64(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(cli::Fnv1a64("a"), 0xaf63dc4c8601ec8cull);
    testpics::TempDir dir;
    std::string list;
    for (int i = 0; i < 60; ++i)
        list += "p" + std::to_string(i) + ".jpg\n";
    WriteText(dir / "short", list);
    for (int i = 60; i < 90; ++i) // before and among the others
        list.insert(i % 2 ? 0 : list.find('\n') + 1, "sub/p" + std::to_string(i) + ".jpg\n");
    WriteText(dir / "long", list);
    for (std::uint64_t n : { 1, 3, 4 }) {
        std::set<std::string> all;
        std::size_t taken = 0;
        for (std::uint64_t k = 0; k < n; ++k) {
            const Names part = Gather({ dir / "long" }, cli::ShardSpec { k, n }).paths;
            all.insert(part.begin(), part.end());
            taken += part.size();
            Names before = Gather({ dir / "short" }, cli::ShardSpec { k, n }).paths;
            Names kept;
            std::ranges::copy_if(part, std::back_inserter(kept),
                [](const std::string& p) { return p.find("sub/") == std::string::npos; });
            EXPECT_EQ(kept, before) << k << "/" << n;
            if (n > 1) {
                EXPECT_LT(part.size(), 90u);
            }
        }
        EXPECT_EQ(all.size(), 90u) << n;
        EXPECT_EQ(taken, 90u) << n;
    }
    for (const char* bad : { "3/3", "1/0", "0/0", "a/2", "1", "-1/2", "1/2/3", "1/ 2", "" })
        EXPECT_FALSE(cli::ParseShard(bad)) << bad;
    EXPECT_EQ(cli::ParseShard("2/3")->index, 2u);
}

// JSON strings: quotes, backslashes and line breaks escaped, valid UTF-8 kept, other bytes as \u00XX.
TEST(CliReport, JsonStringsEscapeWhatJsonForbids)
{
    EXPECT_EQ(cli::JsonString("a\"b\\c\nd\x01"), R"("a\"b\\c\nd\u0001")");
    EXPECT_EQ(cli::JsonString("\xc3\xa9\xe2\x82\xac\xf0\x9f\x99\x82"), "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x99\x82\"");
    EXPECT_EQ(cli::JsonString("\xff\xc3(\xc0\xaf\xed\xa0\x80"), R"("\u00ff\u00c3(\u00c0\u00af\u00ed\u00a0\u0080")");
}

// Two shards of a listed tree under --base, then both again: the tree is mirrored, the rerun converts
// nothing, and the two JSONL reports concatenate into one file whose every line parses with its keys.
// Numbered names are refused before anything is written.
TEST_F(CliListTest, ShardedRunsMirrorTheTreeRerunSkipAndReportsMerge)
{
    const std::string odd = "q\"b\\s\nl.png";
    for (const std::string& name : Names { "a.png", "s/b.png", "s/t/c.png", "s/" + odd, "d.png", "e.png" }) {
        std::filesystem::create_directories(std::filesystem::path(In(name)).parent_path());
        testpics::WriteColour(In(name), 30, 20, "png");
    }
    ASSERT_EQ(Shell(dir.Path(), "find in -type f -print0 > list"), 0);
    EXPECT_EQ(Shell(dir.Path(), kCli + " --files-from list -0 --base in --shard 0/2 --keep-tree -o web"), 2);
    EXPECT_NE(ReadText(dir / "stderr").find("--shard: numbered names"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "web"));
    const std::string shard = kCli + " --files-from list -0 --base in --keep-tree --if-exists skip -o web";
    for (const char* k : { "0", "1" })
        EXPECT_EQ(Shell(dir.Path(), shard + " --shard " + k + "/2 --report-format jsonl --report r" + k + ".jsonl"), 0)
            << ReadText(dir / "stderr");
    EXPECT_EQ(Shell(dir.Path(), "cat r0.jsonl r1.jsonl > all.jsonl"), 0);
    const Names mirrored { "a.jpg", "d.jpg", "e.jpg", "s/b.jpg", "s/q\"b\\s\nl.jpg", "s/t/c.jpg" };
    Names tree;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir / "web"))
        if (e.is_regular_file())
            tree.push_back(std::filesystem::relative(e.path(), dir / "web").string());
    std::ranges::sort(tree);
    EXPECT_EQ(tree, mirrored);
    const std::string check = R"(python3 -c 'import json,sys
rows=[json.loads(l) for l in open("all.jsonl")]
keys={"source","output","width","height","bytes","quality","status","reason","shard","host","seconds"}
assert all(set(r)==keys and r["status"]=="written" and r["shard"] in ("0/2","1/2") and r["host"] for r in rows), rows
assert len({r["source"] for r in rows})==len(rows)
print(len(rows), sum(r["source"].endswith("s/q\"b\\s\nl.png") for r in rows))')";
    EXPECT_EQ(Shell(dir.Path(), check), 0) << ReadText(dir / "stderr");
    EXPECT_EQ(ReadText(dir / "stdout"), "6 1\n");

    for (const char* k : { "0", "1" }) {
        EXPECT_EQ(Shell(dir.Path(), shard + " --shard " + k + "/2"), 0);
        EXPECT_NE(ReadText(dir / "stdout").find("0 written, 0 failed, "), std::string::npos)
            << ReadText(dir / "stdout");
    }
}

} // namespace
