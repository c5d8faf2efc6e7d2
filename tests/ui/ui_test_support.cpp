#include "ui_test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QTimer>

#include "app_state.h"
#include "control_ids.h"
#include "convert_core.h"
#include "dialog_seams.h"

void WindowTest::SetUp()
{
    temp = std::make_unique<TempFolder>();
    std::filesystem::create_directories(temp->path() + "/sources");
    std::filesystem::create_directories(temp->path() + "/out");
    ::setenv("TEST_ENCODER_LOG", (temp->path() + "/encoder-runs.log").c_str(), 1);
    dialogs::resetScript();
    dialogs::setScripted(true);
    initApplication();
    loadButtonImages();
    openWindow();
}

void WindowTest::TearDown()
{
    closeWindow();
    window.reset();
    exitApplication();
    dialogs::resetScript();
    ::unsetenv("TEST_ENCODER_LOG");
    temp.reset();
}

void WindowTest::openWindow()
{
    window.reset();
    window = std::make_unique<MainDialog>(chooseMainTemplate());
    window->show();
    QApplication::processEvents();
}

void WindowTest::closeWindow()
{
    if (window && window->isVisible())
        window->reject();
    QApplication::processEvents();
}

QListWidget* WindowTest::list() const
{
    return findControlAs<QListWidget>(window.get(), IDC_SOURCE_LIST);
}

QLineEdit* WindowTest::folderField() const
{
    return findControlAs<QLineEdit>(window.get(), IDC_OUTPUT_FOLDER);
}

QComboBox* WindowTest::presetChooser() const
{
    return findControlAs<QComboBox>(window.get(), IDC_PRESET);
}

QWidget* WindowTest::dropArea() const
{
    return findControl(window.get(), IDC_DROP_AREA);
}

QStringList WindowTest::entries() const
{
    QStringList texts;
    for (int row = 0; row < list()->count(); ++row)
        texts << list()->item(row)->text();
    return texts;
}

QStringList WindowTest::selectedEntries() const
{
    QStringList texts;
    for (int row = 0; row < list()->count(); ++row) {
        if (list()->item(row)->isSelected())
            texts << list()->item(row)->text();
    }
    return texts;
}

void WindowTest::selectRows(std::initializer_list<int> rows)
{
    list()->clearSelection();
    for (const int row : rows)
        list()->item(row)->setSelected(true);
}

QString WindowTest::makeFile(const std::string& name, const std::string& text)
{
    const std::string path = temp->file(name);
    writeFile(path, text);
    return QString::fromStdString(path);
}

QString WindowTest::settingsFile() const
{
    return QString::fromStdString(temp->path() + "/config/Orvane Media Converter/avi.conf");
}

QVariant WindowTest::storedFolder() const
{
    QSettings settings(settingsFile(), QSettings::IniFormat);
    return settings.value(QStringLiteral("out_dir"));
}

QString WindowTest::source(const std::string& name, const std::string& settings)
{
    const std::string path = temp->path() + "/sources/" + name;
    writeFile(path, settings);
    return QString::fromStdString(path);
}

QString WindowTest::outFolder() const
{
    return QString::fromStdString(temp->path() + "/out");
}

std::string WindowTest::output(const std::string& name) const
{
    return temp->path() + "/out/" + name;
}

std::vector<std::string> WindowTest::encoderRuns() const
{
    std::vector<std::string> lines;
    std::ifstream in(temp->path() + "/encoder-runs.log");
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

ProgressSeen look(ProgressDialog* dialog)
{
    ProgressSeen seen;
    seen.opened = true;
    seen.title = dialog->windowTitle();
    if (auto* line = findControlAs<QLabel>(dialog, IDC_TOTAL_LINE))
        seen.total = line->text();
    if (auto* line = findControlAs<QLabel>(dialog, IDC_FILE_LINE))
        seen.file = line->text();
    if (auto* bar = findControlAs<QProgressBar>(dialog, IDC_PROGRESS_BAR)) {
        seen.barVisible = bar->isVisible();
        seen.barMaximum = bar->maximum();
        seen.barValue = bar->value();
    }
    if (QWidget* stop = findControl(dialog, IDC_STOP))
        seen.stopVisible = stop->isVisible();
    if (QWidget* close = findControl(dialog, IDC_CLOSE))
        seen.closeVisible = close->isVisible();
    return seen;
}

void WindowTest::closeWhenComplete(ProgressDialog* dialog)
{
    if (coreEngine == nullptr || coreEngine->state.load() != Finished)
        return;
    auto* close = findControlAs<QAbstractButton>(dialog, IDC_CLOSE);
    if (close != nullptr && close->isVisible())
        close->click();
}

void WindowTest::pressConvert(const std::function<void(ProgressDialog*)>& watch)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    bool gaveUp = false;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        auto* dialog = window->findChild<ProgressDialog*>();
        if (dialog == nullptr || !dialog->isVisible())
            return;
        seen = look(dialog);
        if (!gaveUp && std::chrono::steady_clock::now() > deadline) {
            gaveUp = true;
            ADD_FAILURE() << "the batch did not end in time";
            coreEngine->terminateNow();
            dialog->onCommand(IDC_CLOSE);
            return;
        }
        if (watch)
            watch(dialog);
        else
            closeWhenComplete(dialog);
    });
    ticker.start();
    auto* convert = findControlAs<QAbstractButton>(window.get(), IDC_CONVERT);
    ASSERT_NE(convert, nullptr);
    convert->click();
}
