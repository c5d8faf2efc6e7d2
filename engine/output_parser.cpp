#include "convert_core.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

// Reads a decimal number the way strtod does in the "C" locale (leading blanks, a
// sign, digits, a fraction, an exponent), whatever locale the program runs in.
// A field without a number reads as 0.
double readNumber(std::string_view field)
{
    size_t at = 0;
    while (at < field.size() && (field[at] == ' ' || (field[at] >= '\t' && field[at] <= '\r')))
        ++at;
    bool negative = false;
    if (at < field.size() && (field[at] == '+' || field[at] == '-')) {
        negative = field[at] == '-';
        ++at;
    }
    // from_chars takes no sign of its own after ours, and no hexadecimal form here.
    if (at < field.size() && (field[at] == '+' || field[at] == '-'))
        return 0.0;
    double value = 0.0;
    const char* first = field.data() + at;
    const auto result = std::from_chars(first, field.data() + field.size(), value, std::chars_format::general);
    if (result.ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

}  // namespace

int parseClock(std::string_view text)
{
    // Fields as a line reader with ':' as delimiter yields them: a trailing ':' makes
    // no empty last field, an empty text no field at all.
    std::vector<std::string_view> fields;
    size_t from = 0;
    while (from < text.size()) {
        const size_t colon = text.find(':', from);
        if (colon == std::string_view::npos) {
            fields.push_back(text.substr(from));
            break;
        }
        fields.push_back(text.substr(from, colon - from));
        from = colon + 1;
    }
    if (fields.size() != 3)
        return 0;
    const double seconds = readNumber(fields[0]) * 3600.0 + readNumber(fields[1]) * 60.0 + readNumber(fields[2]) + 0.5;
    if (!std::isfinite(seconds) || seconds >= 2147483647.0 || seconds <= -2147483648.0)
        return 0;
    return static_cast<int>(seconds);
}

void ConvertCore::parseProgress(std::string_view chunk)
{
    const size_t nul = chunk.find('\0');
    if (nul != std::string_view::npos)
        chunk = chunk.substr(0, nul);

    int32_t duration = 0;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (currentIndex >= 0 && currentIndex < static_cast<int32_t>(jobs.size()))
            duration = jobs[static_cast<size_t>(currentIndex)]->duration;
    }
    if (duration == 0)
        return;

    progressText.append(chunk);
    if (progressText.empty())
        return;
    const char last = progressText.back();
    if (last != '\r' && last != '\n')
        return;

    // Only the first position of the examined text counts.
    const size_t marker = progressText.find("time=");
    if (marker != std::string::npos) {
        const size_t blank = progressText.find(' ', marker + 5);
        if (blank != std::string::npos) {
            const int position = parseClock(std::string_view(progressText).substr(marker + 5, blank - marker - 5));
            if (position != 0) {
                // Clamped before the conversion only to keep it defined; setPercent clamps to 0..100.
                const double percent = std::clamp(std::trunc(position * 100.0 / duration), -1.0, 101.0);
                setPercent(currentIndex, static_cast<int32_t>(percent));
            }
        }
    }
    progressText.clear();
}
