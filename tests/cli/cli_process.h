#pragma once

// Runs the real mp4avi-cli as a child process for the tests: standard output and
// standard error go to files in the test's folder (so a test can watch them while
// the program runs), standard input comes from /dev/null, a pipe the test writes,
// or a pseudo-terminal that stands for all three.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

enum class CliInput { Null, Pipe, Terminal };

class CliProcess {
public:
    // Starts `MP4AVI_CLI args...` in `workFolder`; output files are made there too.
    CliProcess(const std::string& workFolder, const std::vector<std::string>& args, CliInput input = CliInput::Null);
    // Kills the program if it still runs, so a failing test leaves nothing behind.
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }

    // Writes to the program's standard input (pipe or terminal).
    void write(const std::string& text);
    // Closes the input pipe: the program reads its end.
    void closeInput();
    void signal(int number);

    // Waits for the program to end. Its exit status, or -(signal) when a signal ended
    // it, or -1000 when it did not end before the deadline.
    int wait(std::chrono::milliseconds deadline = std::chrono::seconds(60));
    bool running();

    std::string out();  // standard output so far (with a terminal: everything it printed)
    std::string err();  // standard error so far (empty with a terminal)

private:
    void drainTerminal();

    pid_t pid_ = -1;
    int status_ = -1000;
    int inputFd_ = -1;  // the pipe's write end or the terminal's master side
    bool terminal_ = false;
    std::string outPath_;
    std::string errPath_;
    std::string terminalText_;
};

// Runs the program to its end with its input from /dev/null.
struct CliResult {
    int status = -1000;
    std::string out;
    std::string err;
};
CliResult runCli(const std::string& workFolder, const std::vector<std::string>& args);

// Processes, other than this test, whose command line mentions `text`.
std::vector<pid_t> processesMentioning(const std::string& text);
