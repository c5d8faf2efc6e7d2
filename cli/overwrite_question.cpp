#include "overwrite_question.h"

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "convert_core.h"
#include "progress_display.h"

OverwriteQuestion::OverwriteQuestion(OverwriteMode mode, ProgressDisplay& display, int inputFd, std::FILE* prompt)
    : mode(mode), display(display), inputFd(inputFd), inputIsTerminal(::isatty(inputFd) == 1), prompt(prompt)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        cancelRead.reset(ends[0]);
        cancelWrite.reset(ends[1]);
    }
}

void OverwriteQuestion::cancel()
{
    if (cancelled.exchange(true))
        return;
    if (cancelWrite.valid()) {
        const char byte = 'c';
        [[maybe_unused]] const ssize_t ignored = ::write(cancelWrite.get(), &byte, 1);
    }
}

int32_t OverwriteQuestion::answer(ConvertCore& engine)
{
    if (mode == OverwriteMode::Yes)
        return 1;
    if (mode == OverwriteMode::No)
        return 0;

    std::lock_guard<std::mutex> turn(questionLock);
    // A stop that came while this engine waited for its turn: nobody is asked any more.
    if (cancelled.load() || engine.state.load() != Running)
        return 0;
    ConvertJob job;
    if (!engine.currentJob(job))
        return 0;

    display.beginQuestion();
    const std::string text = "'" + job.destination + "' already exists.\nDo you want to replace it? [y/N] ";
    std::fputs(text.c_str(), prompt);
    std::fflush(prompt);

    std::string line;
    const bool answered = !inputEnded && readAnswer(engine, line);
    if (!inputIsTerminal || !answered) {
        // The terminal echoes what the user typed; anything else gets the answer
        // written after the question, so the record reads as a dialogue.
        std::fputs(answered ? (line + "\n").c_str() : "\n", prompt);
        std::fflush(prompt);
    }
    display.endQuestion();

    size_t first = line.find_first_not_of(" \t\r");
    const std::string word = first == std::string::npos ? std::string() : line.substr(first);
    return (word.rfind("y", 0) == 0 || word.rfind("Y", 0) == 0) ? 1 : 0;
}

bool OverwriteQuestion::readAnswer(ConvertCore& engine, std::string& line)
{
    for (;;) {
        const size_t newline = pendingInput.find('\n');
        if (newline != std::string::npos) {
            line = pendingInput.substr(0, newline);
            pendingInput.erase(0, newline + 1);
            return true;
        }
        if (cancelled.load() || engine.state.load() != Running)
            return false;

        pollfd watched[2] = {{inputFd, POLLIN, 0}, {cancelRead.get(), POLLIN, 0}};
        // The time-out only catches a stop of this engine that came without cancel().
        const int ready = ::poll(watched, cancelRead.valid() ? 2 : 1, 200);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0 || (watched[0].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
            continue;

        char buffer[256];
        const ssize_t count = ::read(inputFd, buffer, sizeof buffer);
        if (count < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (count <= 0) {
            inputEnded = true;
            // A last line without its line end still counts.
            line = pendingInput;
            pendingInput.clear();
            return !line.empty();
        }
        pendingInput.append(buffer, static_cast<size_t>(count));
    }
}
