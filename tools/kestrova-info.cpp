// Shows what the picture list would show for some files: the information text of
// each picture, and its 80 x 60 list thumbnail written as a PNG.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "files/PathUtil.h"
#include "imaging/ImageEntry.h"
#include "imaging/Picture.h"

namespace fs = std::filesystem;

namespace {

int Usage(std::FILE* to)
{
    std::fputs("usage: kestrova-info [--thumbnails DIR] FILE|FOLDER ...\n"
               "Prints the list information of each picture and writes its 80 x 60 thumbnail\n"
               "into DIR (default: ./thumbnails) as TITLE.png.\n",
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
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h")
            return Usage(stdout);
        if (a == "--thumbnails" && i + 1 < argc)
            thumbDir = argv[++i];
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

    int failures = 0;
    for (const std::string& path : Expand(args)) {
        ImageEntry entry;
        entry.SetPath(path);
        if (!entry.Load() || !entry.MakeThumbnail(80, 60)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), entry.GetLastError().c_str());
            ++failures;
            continue;
        }
        entry.BuildInfoText();
        std::string text = entry.GetInfoText();
        if (const auto crlf = text.find("\r\n"); crlf != std::string::npos)
            text.replace(crlf, 2, "\n  ");
        const std::string thumbPath = (fs::path(thumbDir) / (entry.GetTitle() + ".png")).string();
        if (!entry.GetThumbnail()->Save(thumbPath, PictureFormat::Png)) {
            std::fprintf(stderr, "%s: %s\n", thumbPath.c_str(), entry.GetThumbnail()->GetError().c_str());
            ++failures;
        }
        std::printf("%s\n  %s\n", path.c_str(), text.c_str());
        // The header alone tells nothing of damage; the thumbnail decoded the pixels.
        if (!entry.GetThumbnail()->GetWarning().empty())
            std::printf("  (%s)\n", entry.GetThumbnail()->GetWarning().c_str());
    }
    return failures == 0 ? 0 : 1;
}
