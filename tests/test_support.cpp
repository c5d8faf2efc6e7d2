#include "test_support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "mconv-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
    if (const char* value = std::getenv("XDG_DATA_HOME")) {
        hadData_ = true;
        savedData_ = value;
    }
    if (const char* value = std::getenv("XDG_CONFIG_HOME")) {
        hadConfig_ = true;
        savedConfig_ = value;
    }
    fs::create_directories(path_ + "/data");
    fs::create_directories(path_ + "/config");
    ::setenv("XDG_DATA_HOME", (path_ + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (path_ + "/config").c_str(), 1);
}

TempFolder::~TempFolder()
{
    if (hadData_)
        ::setenv("XDG_DATA_HOME", savedData_.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    if (hadConfig_)
        ::setenv("XDG_CONFIG_HOME", savedConfig_.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    // Folders a test made unreadable must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> listFolder(const std::string& path)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(path, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
