// A stand-in for the encoder tool, following the same command lines and console
// markers as FFmpeg. How it behaves comes from the source file's own text (lines of
// key=value), so that every file of a batch can behave differently:
//   duration=S   media length in seconds (default 2)
//   speed=X      media seconds converted per real second (default 20)
//   exit=N       exit status at the end; without partial=1 no destination is made
//   partial=1    with exit=N: a partial destination is left behind
//   crash=1      die by SIGSEGV half way
//   silent=1     print no progress
//   ignore_q=1   never read standard input
//   ignore_term=1  ignore SIGTERM (only SIGKILL ends it)
//   flood=BYTES  print that many extra bytes of console text while converting
//   probe_fail=1 the description has no Duration line
// TEST_ENCODER_LOG, when set, names a file that gets one line per run.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

std::map<std::string, std::string> readSettings(const std::string& path)
{
    std::map<std::string, std::string> settings;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            settings[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return settings;
}

double number(const std::map<std::string, std::string>& settings, const char* key, double fallback)
{
    const auto it = settings.find(key);
    return it == settings.end() ? fallback : std::atof(it->second.c_str());
}

std::string clock(double seconds)
{
    char text[64];
    const bool negative = seconds < 0;
    if (negative)
        seconds = -seconds;
    const long whole = static_cast<long>(seconds);
    std::snprintf(text, sizeof text, "%s%02ld:%02ld:%02ld.%02ld", negative ? "-" : "", whole / 3600, whole / 60 % 60,
                  whole % 60, static_cast<long>((seconds - whole) * 100) % 100);
    return text;
}

void logRun(const std::string& line)
{
    if (const char* log = std::getenv("TEST_ENCODER_LOG")) {
        std::ofstream out(log, std::ios::app);
        out << line << '\n';
    }
}

void writeErr(const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

bool fileExists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

bool quitRequested()
{
    pollfd entry{STDIN_FILENO, POLLIN, 0};
    if (::poll(&entry, 1, 0) <= 0 || (entry.revents & POLLIN) == 0)
        return false;
    char byte = 0;
    return ::read(STDIN_FILENO, &byte, 1) == 1 && byte == 'q';
}

void crash()
{
    // Sanitizer runtimes catch SIGSEGV themselves; this must die by the signal.
    ::signal(SIGSEGV, SIG_DFL);
    rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::raise(SIGSEGV);
    std::_Exit(139);
}

int probe(const std::string& source)
{
    logRun("probe " + source);
    writeErr("quentrel version test-encoder Copyright (c) the authors\n");
    if (!fileExists(source)) {
        writeErr(source + ": No such file or directory\n");
        return 1;
    }
    const auto settings = readSettings(source);
    writeErr("Input #0, mov,mp4,m4a,3gp,3g2,mj2, from '" + source + "':\n  Metadata:\n    major_brand     : isom\n");
    if (settings.count("probe_fail") == 0) {
        writeErr("  Duration: " + clock(number(settings, "duration", 2)) +
                 ", start: 0.000000, bitrate: 1000 kb/s\n"
                 "  Stream #0:0(und): Video: h264 (High), yuv420p, 320x240, 25 fps\n");
    }
    writeErr("At least one output file must be specified\n");
    return 1;
}

int convert(const std::string& source, const std::string& destination)
{
    logRun("convert " + source + " " + destination);
    if (!fileExists(source)) {
        writeErr(source + ": No such file or directory\n");
        return 1;
    }
    const auto settings = readSettings(source);
    const double duration = number(settings, "duration", 2);
    const double speed = number(settings, "speed", 20);
    const int exitStatus = static_cast<int>(number(settings, "exit", 0));
    const bool partial = settings.count("partial") != 0;
    const bool crashes = settings.count("crash") != 0;
    const bool silent = settings.count("silent") != 0;
    const bool ignoreQuit = settings.count("ignore_q") != 0;
    long long flood = static_cast<long long>(number(settings, "flood", 0));
    if (settings.count("ignore_term") != 0)
        ::signal(SIGTERM, SIG_IGN);

    if (exitStatus != 0 && !partial) {
        writeErr("Error opening output files: Invalid argument\n");
        return exitStatus;
    }
    // As FFmpeg with -y: the destination is created (or emptied) before encoding.
    std::ofstream out(destination, std::ios::binary | std::ios::trunc);
    if (!out) {
        writeErr(destination + ": Permission denied\n");
        return 1;
    }
    writeErr("Output #0, avi, to '" + destination + "':\n");

    const std::string floodLine(199, 'x');
    const auto started = std::chrono::steady_clock::now();
    int frame = 0;
    for (;;) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const double position = std::min(duration, elapsed * speed);
        if (!ignoreQuit && quitRequested()) {
            writeErr("\n[q] command received. Exiting.\n");
            out << "stopped\n";
            return 0;
        }
        if (crashes && position >= duration / 2)
            crash();
        if (exitStatus != 0 && position >= duration / 2) {
            out << "partial\n";
            out.close();
            writeErr("\nav_interleaved_write_frame(): No space left on device\nConversion failed!\n");
            return exitStatus;
        }
        while (flood > 0) {
            const std::string piece = floodLine + "\n";
            writeErr(piece);
            flood -= static_cast<long long>(piece.size());
            if (!ignoreQuit && flood % (1 << 20) < 200 && quitRequested()) {
                out << "stopped\n";
                return 0;
            }
        }
        frame += 1;
        if (!silent) {
            char line[256];
            std::snprintf(line, sizeof line,
                          "frame=%5d fps= 25 q=2.0 size=%8dkB time=%s bitrate= 512.0kbits/s speed=%.1fx    \r", frame,
                          frame * 4, clock(position).c_str(), speed);
            writeErr(line);
        }
        if (position >= duration)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    out << "converted from " << source << "\n";
    writeErr("\nvideo:100kB audio:10kB\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "-i")
        return probe(args[1]);
    if (args.size() >= 4 && args[0] == "-y" && args[1] == "-i")
        return convert(args[2], args.back());
    writeErr("usage: test_encoder -i SOURCE | -y -i SOURCE [ARGS...] DESTINATION\n");
    return 2;
}
