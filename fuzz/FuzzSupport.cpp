#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <unistd.h>

const std::string& ScratchFolder()
{
    // Removed when the process ends, after the last input.
    struct Folder {
        Folder()
        {
            path = (::access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm") : "/tmp") + "/kestrova-fuzz-XXXXXX";
            if (::mkdtemp(path.data()) == nullptr)
                Broken("no scratch folder");
        }
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
        std::string path;
    };
    static const Folder folder;
    return folder.path;
}

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out.flush())
        Broken("could not write the input file");
}

void Broken(const char* what)
{
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}
