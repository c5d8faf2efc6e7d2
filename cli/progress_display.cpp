#include "progress_display.h"

#include <algorithm>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int barWidth = 20;

int terminalWidth(std::FILE* stream)
{
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

}  // namespace

std::string formatClock(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    const int hours = seconds / 3600;
    const int minutes = seconds / 60 % 60;
    const int rest = seconds % 60;
    char text[32];
    if (hours > 0)
        std::snprintf(text, sizeof text, "%d:%02d:%02d", hours, minutes, rest);
    else
        std::snprintf(text, sizeof text, "%d:%02d", minutes, rest);
    return text;
}

std::optional<int> estimateSecondsLeft(double elapsedSeconds, int permille)
{
    if (elapsedSeconds < 1.0 || permille < 10)
        return std::nullopt;
    if (permille >= 1000)
        return 0;
    const double left = elapsedSeconds * (1000 - permille) / permille;
    return static_cast<int>(std::min(left + 0.5, 359999.0));
}

std::string cutToColumns(const std::string& text, int columns)
{
    int count = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        // Every byte that does not continue a UTF-8 sequence starts a character.
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            if (count == columns)
                return text.substr(0, at);
            ++count;
        }
    }
    return text;
}

std::string progressRowText(const ProgressRow& row, int total, int width)
{
    const int percent = std::clamp(row.percent, 0, 100);
    const int filled = percent * barWidth / 100;
    char head[64];
    std::snprintf(head, sizeof head, "%3d / %d %4d%% [", row.number, total, percent);
    std::string text = head;
    text.append(static_cast<size_t>(filled), '#');
    text.append(static_cast<size_t>(barWidth - filled), '-');
    text += "] ";
    text += row.source;
    return cutToColumns(text, width);
}

std::string batchLineText(int batchPermille, std::optional<int> secondsLeft, int width)
{
    std::string text = "Batch " + std::to_string(std::clamp(batchPermille, 0, 1000) / 10) + "%";
    if (secondsLeft.has_value())
        text += ", about " + formatClock(*secondsLeft) + " left";
    return cutToColumns(text, width);
}

ProgressDisplay::ProgressDisplay(int total, bool terminal, bool quiet, std::FILE* out, std::FILE* err)
    : total(total), terminal(terminal), quiet(quiet), out(out), err(err)
{}

void ProgressDisplay::show(const std::vector<ProgressRow>& rows, int batchPermille, std::optional<int> secondsLeft)
{
    if (!drawsProgress())
        return;
    std::lock_guard<std::mutex> guard(mutex);
    std::vector<int> numbers;
    for (const ProgressRow& row : rows)
        numbers.push_back(row.number);
    const auto now = std::chrono::steady_clock::now();
    // A block taken away by a result line comes back at once.
    if (drawnLines != 0 && numbers == blockNumbers && now - lastDraw < std::chrono::milliseconds(200))
        return;
    // One column short of the width: a line that fills the last column makes some
    // terminals wrap, and the block would then climb up the screen.
    const int width = std::max(terminalWidth(out) - 1, 10);
    block.clear();
    for (const ProgressRow& row : rows)
        block.push_back(progressRowText(row, total, width));
    block.push_back(batchLineText(batchPermille, secondsLeft, width));
    blockNumbers = std::move(numbers);
    lastDraw = now;
    if (questionOpen)
        return;
    clearBlock();
    drawBlock();
    std::fflush(out);
}

void ProgressDisplay::fileLine(const std::string& text)
{
    if (quiet)
        return;
    std::lock_guard<std::mutex> guard(mutex);
    writeLine(false, text);
}

void ProgressDisplay::errorLine(const std::string& text)
{
    std::lock_guard<std::mutex> guard(mutex);
    writeLine(true, text);
}

void ProgressDisplay::writeLine(bool error, const std::string& text)
{
    if (questionOpen) {
        waiting.emplace_back(error, text);
        return;
    }
    clearBlock();
    std::fflush(out);
    std::FILE* stream = error ? err : out;
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
    // The block is drawn again by the next show(), with the file that ended gone.
}

void ProgressDisplay::finish()
{
    std::lock_guard<std::mutex> guard(mutex);
    clearBlock();
    block.clear();
    blockNumbers.clear();
    std::fflush(out);
}

void ProgressDisplay::beginQuestion()
{
    std::lock_guard<std::mutex> guard(mutex);
    questionOpen = true;
    clearBlock();
    std::fflush(out);
}

void ProgressDisplay::endQuestion()
{
    std::lock_guard<std::mutex> guard(mutex);
    questionOpen = false;
    std::vector<std::pair<bool, std::string>> lines;
    lines.swap(waiting);
    for (const auto& [error, text] : lines)
        writeLine(error, text);
    drawBlock();
    std::fflush(out);
}

void ProgressDisplay::clearBlock()
{
    if (drawnLines == 0)
        return;
    // The cursor stands at the end of the block's last line.
    std::fputs("\r\x1b[2K", out);
    for (int line = 1; line < drawnLines; ++line)
        std::fputs("\x1b[1A\x1b[2K", out);
    drawnLines = 0;
}

void ProgressDisplay::drawBlock()
{
    if (!drawsProgress() || block.empty() || drawnLines != 0)
        return;
    for (size_t line = 0; line < block.size(); ++line) {
        if (line > 0)
            std::fputc('\n', out);
        std::fputs(block[line].c_str(), out);
    }
    drawnLines = static_cast<int>(block.size());
}
