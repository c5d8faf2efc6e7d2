#include "convert_command.h"

#include <algorithm>
#include <mutex>

#include <QComboBox>
#include <QEventLoop>
#include <QListWidget>
#include <QTimer>

#include "app_state.h"
#include "control_ids.h"
#include "convert_core.h"
#include "dialog_seams.h"
#include "main_dialog.h"
#include "media_preset.h"
#include "output_folder.h"
#include "platform/platform.h"
#include "progress_dialog.h"

namespace {

bool refuse(const char* text)
{
    dialogs::message(mainDialog, QString::fromUtf8(text), QMessageBox::Ok);
    return false;
}

int chosenPreset()
{
    if (presetCatalogue == nullptr || presetCatalogue->presetCount() <= 1)
        return 0;
    const auto* chooser = findControlAs<QComboBox>(mainDialog, IDC_PRESET);
    const int index = chooser != nullptr ? chooser->currentIndex() : -1;
    return index < 0 ? 0 : index;
}

}  // namespace

bool convertCommand()
{
    auto* list = findControlAs<QListWidget>(mainDialog, IDC_SOURCE_LIST);
    if (list == nullptr || coreEngine == nullptr)
        return false;
    if (list->count() == 0)
        return refuse("Please add source files.");
    const QString folder = getOutputFolderText();
    if (folder.isEmpty())
        return refuse("Please select output folder.");
    if (!platform::isDirectory(folder.toStdString()))
        return refuse("The output folder doesn't exist.");
    const int preset = chosenPreset();
    const QString encoder = encoderToolPath();
    if (encoder.isEmpty() || !platform::fileExists(encoder.toStdString()))
        return refuse("There isn't a core file.");

    ConvertCore* engine = coreEngine;
    // A stopped batch may still be finishing its file; the engine is not touched before.
    waitForWorkerKeepingPainted(engine);
    engine->encoderPath = encoder.toStdString();
    engine->outputFolder = folder.toStdString();
    engine->outputExt = presetCatalogue != nullptr ? presetCatalogue->outputExtension(preset) : "";
    engine->presetArgs = presetCatalogue != nullptr ? presetCatalogue->presetArguments(preset) : "";
    engine->clearJobs();
    for (int row = 0; row < list->count(); ++row) {
        const QString source = list->item(row)->text();
        if (!source.isEmpty())
            engine->addJob(source.toStdString());
    }
    if (engine->jobCount() == 0)
        return false;

    {
        ProgressDialog dialog(mainDialog);
        dialog.run();
        // After a stop the dialog has gone while the worker may still finish its file.
        // The dialog outlives the worker: a question on its way to it is still answered.
        waitForWorkerKeepingPainted(engine);
    }
    markCompletedSources();
    return true;
}

QString encoderToolPath()
{
    const QString program = QString::fromStdString(platform::executablePath());
    if (program.isEmpty())
        return {};
    const qsizetype slash = program.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash >= 0 ? program.left(slash) : program;
    return folder + QStringLiteral("/core/") + QStringLiteral("quentrel");
}

void markCompletedSources()
{
    auto* list = findControlAs<QListWidget>(mainDialog, IDC_SOURCE_LIST);
    if (list == nullptr || list->count() == 0 || coreEngine == nullptr)
        return;
    ConvertCore* engine = coreEngine;
    const int count = std::min<int>(list->count(), engine->jobCount());
    std::lock_guard<std::mutex> guard(engine->lock);
    for (int row = 0; row < count; ++row)
        list->item(row)->setSelected(engine->jobs[static_cast<size_t>(row)]->percent == 100);
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
