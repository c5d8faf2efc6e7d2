#include "ui_test_support.h"

#include <QApplication>
#include <QSettings>

#include "app_state.h"
#include "control_ids.h"
#include "dialog_seams.h"

void WindowTest::SetUp()
{
    temp = std::make_unique<TempFolder>();
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
