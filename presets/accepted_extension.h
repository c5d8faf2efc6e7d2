#pragma once

#include <string_view>

// The test every source goes through, in the window's list and on the command line:
// the text from the last "." to the end, with A to Z lowered, must contain one of the
// accepted fragments ("mp4", from a ";"-separated list). A path without a dot is
// refused. So clip.MP4, clip.mp4v and D:/a.mp4/clip pass, clip.avi does not.
// `path` is UTF-8; only ASCII is looked at, so bytes and characters agree.
bool hasAcceptedExtension(std::string_view path);
