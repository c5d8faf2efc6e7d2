#include "source_list.h"

#include <set>

#include "platform/platform.h"

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
