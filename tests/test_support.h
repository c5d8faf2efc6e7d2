#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// A temporary folder for one test, removed with everything in it at the end. It also
// points XDG_DATA_HOME and XDG_CONFIG_HOME into itself, so nothing the test does
// reaches the real home folder; the previous values come back at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // The folder that scripts are written to.
    std::string scriptFolder() const { return path_ + "/data/Media Converter"; }

private:
    std::string path_;
    std::string savedData_;
    std::string savedConfig_;
    bool hadData_ = false;
    bool hadConfig_ = false;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
// Names of the entries of a folder (none for a missing folder), sorted.
std::vector<std::string> listFolder(const std::string& path);

// Waits until `condition` holds or the deadline passes; returns the last answer.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = std::chrono::seconds(20));
