#include "app_state.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QVariant>
#include <QWidget>

#include "control_ids.h"
#include "convert_core.h"
#include "main_dialog.h"
#include "media_preset.h"

const ToolButtonEntry toolButtons[] = {
    {IDC_ADD, IDB_ADD, "Add"},
    {IDC_REMOVE, IDB_REMOVE, "Remove"},
    {IDC_CLEAR, IDB_CLEAR, "Clear"},
    {IDC_CONVERT, IDB_CONVERT, "Convert"},
    {IDC_DROP_AREA, IDB_DROP_HERE, nullptr},
    {0, 0, nullptr},
};

QString appInstance;
MainDialog* mainDialog = nullptr;
QIcon appIcon;
ConvertCore* coreEngine = nullptr;
MediaPreset* presetCatalogue = nullptr;
std::map<int32_t, std::unique_ptr<QImage>> buttonImages;

namespace {

const char* const controlIdProperty = "controlId";

}  // namespace

bool initApplication()
{
    appInstance.clear();
    mainDialog = nullptr;
    appIcon = QIcon();
    coreEngine = nullptr;
    // The catalogue lives as long as the process; nothing ever replaces it.
    static Mp4Avi catalogue;
    presetCatalogue = &catalogue;
    return true;
}

std::unique_ptr<QImage> loadPngResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return nullptr;
    auto image = std::make_unique<QImage>();
    if (!image->loadFromData(bytes, "PNG"))
        return nullptr;
    // Decoded once into the form painting blends fastest.
    *image = image->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return image;
}

bool loadButtonImages(const QString& root)
{
    appInstance = root;
    for (const ToolButtonEntry* row = toolButtons; row->controlId != 0; ++row) {
        std::unique_ptr<QImage> image = loadPngResource(root + QStringLiteral("png/%1.png").arg(row->imageId));
        if (image)
            buttonImages[row->controlId] = std::move(image);
    }
    return true;
}

void exitApplication()
{
    buttonImages.clear();
    appIcon = QIcon();
}

void fillPresetCombo()
{
    auto* chooser = findControlAs<QComboBox>(mainDialog, IDC_PRESET);
    if (chooser == nullptr || presetCatalogue == nullptr)
        return;
    for (int index = 0; index < presetCatalogue->presetCount(); ++index) {
        const std::string label = presetCatalogue->presetLabel(index);
        if (!label.empty())
            chooser->addItem(QString::fromStdString(label));
    }
    chooser->setCurrentIndex(0);
}

int chooseMainTemplate()
{
    return presetCatalogue != nullptr && presetCatalogue->presetCount() > 1 ? IDD_MAIN : IDD_MAIN_NO_PRESET;
}

int runApplication()
{
    initApplication();
    loadButtonImages();
    {
        MainDialog dialog(chooseMainTemplate());
        dialog.exec();
    }
    exitApplication();
    return 0;
}

void setControlId(QWidget* control, int id)
{
    control->setProperty(controlIdProperty, id);
    control->setObjectName(QStringLiteral("control%1").arg(id));
}

int controlId(const QWidget* control)
{
    const QVariant id = control->property(controlIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

QWidget* findControl(const QWidget* dialog, int id)
{
    if (dialog == nullptr)
        return nullptr;
    const QList<QWidget*> children = dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (controlId(child) == id)
            return child;
    }
    return nullptr;
}
