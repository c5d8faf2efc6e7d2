#pragma once

// The checks every source goes through before a batch, the same the window's list
// makes (accepted extension, each path once), and two of the command line's own:
// the file must exist and must not be a folder.

#include <string>
#include <string_view>
#include <vector>

#include "accepted_extension.h"

enum class SourceRefusal {
    Extension,  // the text from the last dot on does not contain "mp4"
    Missing,    // nothing exists at the path
    Folder,     // the path names a folder
};

struct RefusedSource {
    std::string path;
    SourceRefusal reason;
};

struct CheckedSources {
    std::vector<std::string> accepted;   // in the order given, each path once
    std::vector<RefusedSource> refused;  // in the order given
    std::vector<std::string> repeated;   // paths given again after their first time
};

// Checks the paths in order. Two paths are the same when their bytes are.
CheckedSources checkSources(const std::vector<std::string>& paths);

// The line reported on standard error for a refused path.
std::string refusalText(const RefusedSource& refused);
