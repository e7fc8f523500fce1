#include "files/PathUtil.h"

PathParts SplitPath(std::string_view path)
{
    PathParts parts;
    const auto slash = path.find_last_of('/');
    std::string_view name = path;
    if (slash != std::string_view::npos) {
        parts.folder = std::string(path.substr(0, slash + 1));
        name = path.substr(slash + 1);
    }
    const auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos) {
        parts.title = std::string(name);
    } else {
        parts.title = std::string(name.substr(0, dot));
        parts.extension = std::string(name.substr(dot));
    }
    return parts;
}

std::string ToLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}
