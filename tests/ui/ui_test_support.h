#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include "main_dialog.h"
#include "progress_dialog.h"
#include "test_support.h"

// What the progress dialog of a batch showed the last time the test looked at it.
struct ProgressSeen {
    bool opened = false;
    QString title;
    QString total;
    QString file;
    bool barVisible = false;
    bool stopVisible = false;
    bool closeVisible = false;
    int barMaximum = 0;
    int barValue = 0;
};
ProgressSeen look(ProgressDialog* dialog);

// One main window for one test, in its own temporary folder (XDG_DATA_HOME and
// XDG_CONFIG_HOME inside it), with every standard dialog answered by the script
// instead of a person. The window is shown, started the way the program starts it.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the main window (again) from the catalogue's template.
    void openWindow();
    // Closes it through the close sequence, if it is still open.
    void closeWindow();

    QListWidget* list() const;
    QLineEdit* folderField() const;
    QComboBox* presetChooser() const;
    QWidget* dropArea() const;
    QStringList entries() const;
    QStringList selectedEntries() const;
    // Selects exactly the entries at these rows.
    void selectRows(std::initializer_list<int> rows);

    // A file in the test's folder, created with `text`; its full path.
    QString makeFile(const std::string& name, const std::string& text = {});
    // The stored output folder, read straight from the settings file.
    QVariant storedFolder() const;
    QString settingsFile() const;

    // --- conversions ---
    // A source for the test encoder (key=value lines) in the sources folder; its path.
    QString source(const std::string& name, const std::string& settings = "");
    // The output folder of the test (made by SetUp) and a file in it.
    QString outFolder() const;
    std::string output(const std::string& name) const;
    // Lines the test encoder logged, one per run ("probe SOURCE", "convert SOURCE DESTINATION").
    std::vector<std::string> encoderRuns() const;
    // Presses Convert and returns when the command has ended. While a progress dialog
    // is open, `watch` is called with it every 10 ms (from the dialog's own event loop);
    // without one, the dialog is closed with Close once it shows the end of the batch.
    // A batch still running after two minutes is terminated and the test fails.
    void pressConvert(const std::function<void(ProgressDialog*)>& watch = {});
    // Closes a finished batch's dialog with Close (what pressConvert does by default).
    void closeWhenComplete(ProgressDialog* dialog);

    ProgressSeen seen;
    std::unique_ptr<TempFolder> temp;
    std::unique_ptr<MainDialog> window;
};

// Text of a Qt string for assertions.
inline std::string s(const QString& text)
{
    return text.toStdString();
}
