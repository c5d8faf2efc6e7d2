#include "cli_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"

extern char** environ;

CliProcess::CliProcess(const std::string& workFolder, const std::vector<std::string>& args, CliInput input)
    : outPath_(workFolder + "/cli-stdout.txt"), errPath_(workFolder + "/cli-stderr.txt")
{
    std::vector<std::string> argv{MP4AVI_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Default signal handling and an empty mask, whatever the test runner had.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigfillset(&defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;

    int childEnd = -1;
    if (input == CliInput::Terminal) {
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
            const char* slaveName = ::ptsname(master);
            childEnd = slaveName != nullptr ? ::open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
            inputFd_ = master;
            ::fcntl(master, F_SETFL, O_NONBLOCK);
        }
        terminal_ = true;
        posix_spawn_file_actions_adddup2(&actions, childEnd, 0);
        posix_spawn_file_actions_adddup2(&actions, childEnd, 1);
        posix_spawn_file_actions_adddup2(&actions, childEnd, 2);
    } else {
        if (input == CliInput::Pipe) {
            int ends[2];
            if (::pipe2(ends, O_CLOEXEC) == 0) {
                childEnd = ends[0];
                inputFd_ = ends[1];
            }
            posix_spawn_file_actions_adddup2(&actions, childEnd, 0);
        } else {
            posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        }
        posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    posix_spawn_file_actions_addchdir_np(&actions, workFolder.c_str());
    posix_spawnattr_setflags(&attributes, flags);

    if (::posix_spawn(&pid_, argv[0].c_str(), &actions, &attributes, pointers.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (childEnd >= 0)
        ::close(childEnd);
}

CliProcess::~CliProcess()
{
    if (pid_ > 0 && status_ == -1000) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (inputFd_ >= 0)
        ::close(inputFd_);
}

void CliProcess::write(const std::string& text)
{
    size_t done = 0;
    while (inputFd_ >= 0 && done < text.size()) {
        const ssize_t n = ::write(inputFd_, text.data() + done, text.size() - done);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
}

void CliProcess::closeInput()
{
    if (inputFd_ >= 0)
        ::close(inputFd_);
    inputFd_ = -1;
}

void CliProcess::signal(int number)
{
    if (pid_ > 0 && status_ == -1000)
        ::kill(pid_, number);
}

bool CliProcess::running()
{
    if (pid_ <= 0 || status_ != -1000)
        return false;
    drainTerminal();
    int raw = 0;
    const pid_t ended = ::waitpid(pid_, &raw, WNOHANG);
    if (ended != pid_)
        return true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
    drainTerminal();
    return false;
}

int CliProcess::wait(std::chrono::milliseconds deadline)
{
    waitFor([this] { return !running(); }, deadline);
    return status_;
}

void CliProcess::drainTerminal()
{
    // The terminal's master side must be read while the program runs: a full
    // terminal would hold the program's writes.
    if (!terminal_ || inputFd_ < 0)
        return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(inputFd_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        terminalText_.append(buffer, static_cast<size_t>(n));
    }
}

std::string CliProcess::out()
{
    drainTerminal();
    return terminal_ ? terminalText_ : readFile(outPath_);
}

std::string CliProcess::err()
{
    return readFile(errPath_);
}

CliResult runCli(const std::string& workFolder, const std::vector<std::string>& args)
{
    CliProcess process(workFolder, args);
    CliResult result;
    result.status = process.wait();
    result.out = process.out();
    result.err = process.err();
    return result;
}

std::vector<pid_t> processesMentioning(const std::string& text)
{
    std::vector<pid_t> found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = static_cast<pid_t>(std::atoi(name.c_str()));
        if (pid == ::getpid())
            continue;
        std::string commandLine = readFile(entry.path().string() + "/cmdline");
        for (char& c : commandLine) {
            if (c == '\0')
                c = ' ';
        }
        if (commandLine.find(text) != std::string::npos)
            found.push_back(pid);
    }
    return found;
}
