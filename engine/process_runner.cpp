#include "convert_core.h"

// Placeholder runners; the POSIX process runner replaces these.
bool ConvertCore::runProcess(const std::string&)
{
    return false;
}

bool ConvertCore::runProcess2(const std::string&, std::string&)
{
    return false;
}

int ConvertCore::probeDuration(const std::string&)
{
    return 0;
}
