#include "convert_core.h"

#include <cerrno>
#include <string>

#include <unistd.h>

#include "platform/platform.h"
#include "platform/unique_fd.h"

std::string shellQuote(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '\'';
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::string ConvertCore::scriptBasePath()
{
    const std::string appData = platform::appDataFolder();
    if (appData.empty())
        return {};
    const std::string folder = appData + "/Media Converter";
    if (!platform::makePrivateFolder(folder))
        return {};
    return folder + "/mconv" + std::to_string(platform::tickCount());
}

namespace {

bool writeAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string ConvertCore::writeScript(std::string_view source, std::optional<std::string_view> arguments,
                                     std::optional<std::string_view> destination)
{
    const std::string base = scriptBasePath();
    if (base.empty())
        return {};

    // Another engine (in this process or another) may take the same tick: the file is
    // created exclusively, and a taken name is retried with a suffix.
    std::string path;
    UniqueFd file(platform::createUniqueFile(base, ".sh", path));
    if (!file.valid())
        return {};

    // Five lines: the interpreter, an empty line, the encoder command, an empty line,
    // and the command that deletes the script and keeps the encoder's exit status.
    // Paths are single-quoted so a file name can never become shell syntax; the preset
    // arguments are options of our own and stand unquoted.
    std::string text = "#!/bin/sh\n\n";
    text += shellQuote(encoderPath);
    if (destination.has_value()) {
        text += " -y -i ";
        text += shellQuote(source);
        text += ' ';
        text += arguments.value_or(std::string_view());
        text += ' ';
        text += shellQuote(*destination);
    } else {
        text += " -i ";
        text += shellQuote(source);
    }
    text += "\n\nstatus=$?; rm -f -- " + shellQuote(path) + "; exit $status";

    if (!writeAll(file.get(), text)) {
        platform::traceCall("write");
        file.reset();
        platform::deleteFile(path);
        return {};
    }
    return path;
}
