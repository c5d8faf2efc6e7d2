#include "output_folder.h"

#include <climits>
#include <memory>

#include <QDesktopServices>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include "app_state.h"
#include "control_ids.h"
#include "dialog_seams.h"
#include "main_dialog.h"
#include "media_preset.h"

namespace {

const QString organisation = QStringLiteral("Orvane Media Converter");
const QString valueName = QStringLiteral("out_dir");

// A longer text cannot name a folder: the system refuses paths of PATH_MAX bytes and more.
constexpr qsizetype maxFolderBytes = PATH_MAX - 1;

QString applicationName()
{
    return presetCatalogue != nullptr ? QString::fromUtf8(presetCatalogue->outputExtension(0)) : QString();
}

std::unique_ptr<QSettings> openSettings()
{
#if defined(Q_OS_WIN)
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation,
                                       applicationName());
#else
    // The same file QSettings(organisation, application) uses, but with the configuration
    // folder looked up on every use rather than once per process.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::make_unique<QSettings>(folder + QLatin1Char('/') + settingsKeyPath() + QStringLiteral(".conf"),
                                       QSettings::NativeFormat);
#endif
}

QLineEdit* folderField()
{
    return findControlAs<QLineEdit>(mainDialog, IDC_OUTPUT_FOLDER);
}

}  // namespace

QString settingsKeyPath()
{
    return organisation + QLatin1Char('/') + applicationName();
}

QString loadOutputFolder()
{
    const std::unique_ptr<QSettings> settings = openSettings();
    const QVariant value = settings->value(valueName);
    // A list, a number, binary data or a missing value is not a folder text.
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return {};
    QString text = value.toString();
    if (text.toUtf8().size() > maxFolderBytes)
        return {};
    // Another tool may have stored the text with its terminating null.
    const qsizetype null = text.indexOf(QChar(u'\0'));
    if (null >= 0)
        text.truncate(null);
    return text;
}

bool saveOutputFolder(const QString& text)
{
    const std::unique_ptr<QSettings> settings = openSettings();
    settings->setValue(valueName, text);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

QString getOutputFolderText()
{
    const QLineEdit* field = folderField();
    return field != nullptr ? field->text() : QString();
}

QString browseForFolder(const QString& start, QWidget* owner)
{
    return dialogs::getExistingDirectory(owner, QStringLiteral("Select a folder"), start);
}

void onBrowseFolder()
{
    const QString chosen = browseForFolder(getOutputFolderText(), mainDialog);
    if (chosen.isEmpty())
        return;
    if (QLineEdit* field = folderField())
        field->setText(chosen);
}

void onOpenFolder()
{
    const QString folder = getOutputFolderText();
    if (folder.isEmpty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
