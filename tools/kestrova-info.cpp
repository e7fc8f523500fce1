// Shows what the picture list would show for some files: the information text of
// each picture, and its 80 x 60 list thumbnail written as a PNG.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/OrderedRun.h"
#include "files/PathUtil.h"
#include "imaging/ImageEntry.h"
#include "imaging/Picture.h"

namespace fs = std::filesystem;

namespace {

int Usage(std::FILE* to)
{
    std::fputs("usage: kestrova-info [--thumbnails DIR] [-j N] FILE|FOLDER ...\n"
               "Prints the list information of each picture and writes its 80 x 60 thumbnail\n"
               "into DIR (default: ./thumbnails) as TITLE.png. -j: pictures read side by side\n"
               "(default: one per processor core); the output is in the order of the files.\n",
        to);
    return to == stdout ? 0 : 2;
}

std::vector<std::string> Expand(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        std::error_code ec;
        if (!fs::is_directory(arg, ec)) {
            files.push_back(arg);
            continue;
        }
        std::vector<std::string> inFolder;
        for (const auto& item : fs::directory_iterator(arg, ec))
            if (item.is_regular_file(ec))
                inFolder.push_back(item.path().string());
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    std::string thumbDir = "thumbnails";
    int jobs = CoreCount();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h")
            return Usage(stdout);
        if (a == "--thumbnails" && i + 1 < argc)
            thumbDir = argv[++i];
        else if (a == "-j" && i + 1 < argc)
            jobs = std::clamp(std::atoi(argv[++i]), 1, 256);
        else if (!a.empty() && a[0] == '-')
            return Usage(stderr);
        else
            args.push_back(a);
    }
    if (args.empty())
        return Usage(stderr);
    if (!InitImageLibrary()) {
        std::fputs("kestrova-info: the image library did not start\n", stderr);
        return 1;
    }
    std::error_code ec;
    fs::create_directories(thumbDir, ec);

    // Each picture's lines, made side by side and printed in the order of the files.
    struct Report {
        std::string out, err;
        bool failed = false;
    };
    const std::vector<std::string> files = Expand(args);
    std::vector<Report> reports(files.size());
    int failures = 0;
    OrderedRun run(static_cast<int>(files.size()), jobs, { .testStop = {}, .started = {}, .finished = [&](int i, bool) {
                                                              const Report& r = reports[static_cast<std::size_t>(i)];
                                                              std::fputs(r.err.c_str(), stderr);
                                                              std::fputs(r.out.c_str(), stdout);
                                                              failures += r.failed ? 1 : 0;
                                                              reports[static_cast<std::size_t>(i)] = {};
                                                              return true;
                                                          } });
    const LibraryThreads threads(jobs);
    run.Run([&](int i) {
        const std::string& path = files[static_cast<std::size_t>(i)];
        Report& r = reports[static_cast<std::size_t>(i)];
        ImageEntry entry;
        entry.SetPath(path);
        if (!entry.Load() || !entry.MakeThumbnail(80, 60)) {
            r.err = path + ": " + entry.GetLastError() + "\n";
            r.failed = true;
            return;
        }
        entry.BuildInfoText();
        std::string text = entry.GetInfoText();
        if (const auto crlf = text.find("\r\n"); crlf != std::string::npos)
            text.replace(crlf, 2, "\n  ");
        const std::string thumbPath = (fs::path(thumbDir) / (entry.GetTitle() + ".png")).string();
        if (!entry.GetThumbnail()->Save(thumbPath, PictureFormat::Png)) {
            r.err = thumbPath + ": " + entry.GetThumbnail()->GetError() + "\n";
            r.failed = true;
        }
        r.out = path + "\n  " + text + "\n";
        // The header alone tells nothing of damage; the thumbnail decoded the pixels.
        if (!entry.GetThumbnail()->GetWarning().empty())
            r.out += "  (" + entry.GetThumbnail()->GetWarning() + ")\n";
    });
    return failures == 0 ? 0 : 1;
}
