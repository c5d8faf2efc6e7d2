#include "source_list.h"

#include <set>

#include "platform/platform.h"

namespace {

// The accepted fragments, split from the window's ";"-separated list.
const std::vector<std::string>& acceptedFragments()
{
    static const std::vector<std::string> fragments = [] {
        std::vector<std::string> pieces;
        const std::string_view list = "mp4";
        size_t from = 0;
        while (from <= list.size()) {
            const size_t semicolon = list.find(';', from);
            const size_t end = semicolon == std::string_view::npos ? list.size() : semicolon;
            if (end > from)
                pieces.emplace_back(list.substr(from, end - from));
            if (semicolon == std::string_view::npos)
                break;
            from = semicolon + 1;
        }
        return pieces;
    }();
    return fragments;
}

}  // namespace

bool hasAcceptedExtension(std::string_view path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string tail(path.substr(dot));
    for (char& c : tail) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    for (const std::string& fragment : acceptedFragments()) {
        if (tail.find(fragment) != std::string::npos)
            return true;
    }
    return false;
}

CheckedSources checkSources(const std::vector<std::string>& paths)
{
    CheckedSources result;
    std::set<std::string> listed;
    for (const std::string& path : paths) {
        if (listed.count(path) != 0) {
            result.repeated.push_back(path);
            continue;
        }
        if (!hasAcceptedExtension(path)) {
            result.refused.push_back({path, SourceRefusal::Extension});
        } else if (!platform::fileExists(path)) {
            result.refused.push_back({path, SourceRefusal::Missing});
        } else if (platform::isDirectory(path)) {
            result.refused.push_back({path, SourceRefusal::Folder});
        } else {
            listed.insert(path);
            result.accepted.push_back(path);
        }
    }
    return result;
}

std::string refusalText(const RefusedSource& refused)
{
    switch (refused.reason) {
        case SourceRefusal::Extension:
            return "Skipped, not an MP4 file: " + refused.path;
        case SourceRefusal::Missing:
            return "Skipped, no such file: " + refused.path;
        case SourceRefusal::Folder:
            return "Skipped, a folder: " + refused.path;
    }
    return "Skipped: " + refused.path;
}
