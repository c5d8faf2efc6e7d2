#pragma once

#include <memory>
#include <string>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include "main_dialog.h"
#include "test_support.h"

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

    std::unique_ptr<TempFolder> temp;
    std::unique_ptr<MainDialog> window;
};

// Text of a Qt string for assertions.
inline std::string s(const QString& text)
{
    return text.toStdString();
}
