#include "convert_core.h"

ConvertCore::ConvertCore() = default;

ConvertCore::~ConvertCore()
{
    // A worker that has ended but was never joined would abort the program when its
    // std::thread is destroyed; join it. Callers never destroy a running engine.
    waitForWorker();
    clearJobs();
}

bool ConvertCore::isReady()
{
    return true;
}

bool ConvertCore::clearJobs()
{
    std::lock_guard<std::mutex> guard(lock);
    jobs.clear();
    jobsByPath.clear();
    currentIndex = -1;
    return true;
}

bool ConvertCore::hasJob(const std::string& path) const
{
    return jobsByPath.find(path) != jobsByPath.end();
}

bool ConvertCore::addJob(const std::string& path)
{
    if (hasJob(path))
        return false;
    std::lock_guard<std::mutex> guard(lock);
    auto job = std::make_unique<ConvertJob>();
    job->index = static_cast<int32_t>(jobs.size());
    job->source = path;
    jobsByPath.emplace(path, job.get());
    jobs.push_back(std::move(job));
    return true;
}

bool ConvertCore::currentJob(ConvertJob& out)
{
    std::lock_guard<std::mutex> guard(lock);
    if (currentIndex < 0 || currentIndex >= static_cast<int32_t>(jobs.size()))
        return false;
    out = *jobs[static_cast<size_t>(currentIndex)];
    return true;
}

bool ConvertCore::jobAt(int32_t index, ConvertJob& out)
{
    std::lock_guard<std::mutex> guard(lock);
    if (index < 0 || index >= static_cast<int32_t>(jobs.size()))
        return false;
    out = *jobs[static_cast<size_t>(index)];
    return true;
}

void ConvertCore::setPercent(int32_t index, int32_t value)
{
    if (index < 0 || index >= jobCount())
        return;
    if (value < 0)
        value = 0;
    if (value > 100)
        value = 100;
    std::lock_guard<std::mutex> guard(lock);
    jobs[static_cast<size_t>(index)]->percent = value;
}

int32_t ConvertCore::finishedCount()
{
    std::lock_guard<std::mutex> guard(lock);
    int32_t count = 0;
    for (const auto& job : jobs) {
        if (job->percent == 100)
            ++count;
    }
    return count;
}
