#include "accepted_extension.h"

#include <string>
#include <vector>

namespace {

// The accepted fragments, split once from the ";"-separated list.
const std::vector<std::string>& acceptedFragments()
{
    static const std::vector<std::string> fragments = [] {
        std::vector<std::string> pieces;
        const std::string_view list = "mp4";
        size_t from = 0;
        while (from <= list.size()) {
            const size_t semicolon = list.find(';', from);
            const size_t end = semicolon == std::string_view::npos ? list.size() : semicolon;
            if (end > from)
                pieces.emplace_back(list.substr(from, end - from));
            if (semicolon == std::string_view::npos)
                break;
            from = semicolon + 1;
        }
        return pieces;
    }();
    return fragments;
}

}  // namespace

bool hasAcceptedExtension(std::string_view path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string tail(path.substr(dot));
    for (char& c : tail) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    for (const std::string& fragment : acceptedFragments()) {
        if (tail.find(fragment) != std::string::npos)
            return true;
    }
    return false;
}
