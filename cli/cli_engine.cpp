#include "cli_engine.h"

#include <unistd.h>

#include "overwrite_question.h"

namespace {

// The engine's callback: the asking engine comes back as the user value.
int32_t askOverwrite(int32_t reason, void* userValue)
{
    auto* engine = static_cast<CliEngine*>(userValue);
    if (engine == nullptr || reason != 1)
        return 0;
    return engine->question.answer(*engine);
}

}  // namespace

CliEngine::CliEngine(int wakeFd, OverwriteQuestion& question) : question(question), wakeFd(wakeFd)
{
    overwrite.ask = askOverwrite;
    overwrite.userValue = this;
}

void CliEngine::onRunEnd()
{
    runEnded = true;
    if (wakeFd >= 0) {
        const char byte = 'e';
        // A full pipe has woken the main thread already.
        [[maybe_unused]] const ssize_t ignored = ::write(wakeFd, &byte, 1);
    }
}
