#pragma once

// The command line of mp4avi-cli: what the user asked for, before any check of the
// files or folders it names.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// What to do when a destination file exists already.
enum class OverwriteMode { Ask, Yes, No };

struct CliOptions {
    std::vector<std::string> files;  // exactly as given, in the order given
    std::string outputFolder = ".";  // the current folder unless -o says otherwise
    int preset = 0;
    bool listPresets = false;
    std::optional<OverwriteMode> overwrite;  // unset: ask on a terminal, no otherwise
    int jobs = 1;
    std::string encoderPath;  // empty: core/quentrel beside the program
    bool quiet = false;
};

// Reads the command line into `options`. Returns an exit status when the program
// must end at once: 0 after --help or --version (written to `out`), 2 after a usage
// error (its message written to `err`). Returns nothing when the program goes on.
std::optional<int> parseCommandLine(int argc, const char* const* argv, int presetCount, CliOptions& options,
                                    std::ostream& out, std::ostream& err);

// "mp4avi-cli 1.0.0.1 (Orvane Free MP4 to AVI Converter)".
std::string versionText();
