#include "convert_command.h"

#include <QEventLoop>
#include <QTimer>

#include "app_state.h"
#include "convert_core.h"

bool convertCommand()
{
    // The conversion from the window follows with the engine's process runner.
    return false;
}

void waitForWorkerKeepingPainted(ConvertCore* engine)
{
    if (engine == nullptr)
        return;
    if (engine->workerActive()) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!engine->workerActive())
                loop.quit();
        });
        poll.start(20);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    engine->waitForWorker();
}

void waitForWorkerKeepingPainted()
{
    waitForWorkerKeepingPainted(coreEngine);
}
