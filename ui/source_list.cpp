#include "source_list.h"

#include <QListWidget>
#include <QStringList>

#include "accepted_extension.h"
#include "app_state.h"
#include "control_ids.h"
#include "convert_core.h"
#include "dialog_seams.h"
#include "main_dialog.h"

namespace {

// Orders entries alphabetically without regard to letter case, as a sorted list box
// does; names that differ only in case keep a fixed order (code units) between them.
class SourceItem : public QListWidgetItem {
public:
    explicit SourceItem(const QString& path) : QListWidgetItem(path) {}
    bool operator<(const QListWidgetItem& other) const override
    {
        const int folded = text().compare(other.text(), Qt::CaseInsensitive);
        if (folded != 0)
            return folded < 0;
        return text() < other.text();
    }
};

QListWidget* sourceList()
{
    return findControlAs<QListWidget>(mainDialog, IDC_SOURCE_LIST);
}

}  // namespace

bool hasAcceptedExtension(const QString& path)
{
    const QByteArray utf8 = path.toUtf8();
    return ::hasAcceptedExtension(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

bool isSourceListed(const QString& path)
{
    QListWidget* list = sourceList();
    if (list == nullptr)
        return false;
    for (int row = 0; row < list->count(); ++row) {
        const QString entry = list->item(row)->text();
        if (!entry.isEmpty() && entry == path)
            return true;
    }
    return false;
}

int addSourceFile(const QString& path)
{
    QListWidget* list = sourceList();
    if (list == nullptr)
        return -1;
    if (isSourceListed(path))
        return -1;
    if (!hasAcceptedExtension(path))
        return -1;
    auto* item = new SourceItem(path);
    list->addItem(item);
    const int index = list->row(item);
    refreshListState();
    return index;
}

void refreshListState()
{
    QListWidget* list = sourceList();
    const int count = list != nullptr ? list->count() : -1;
    if (list != nullptr)
        list->setEnabled(count > 0);
    if (QWidget* dropArea = findControl(mainDialog, IDC_DROP_AREA))
        dropArea->setVisible(count == 0);
}

void onAddFiles()
{
    const QStringList paths =
        dialogs::getOpenFileNames(mainDialog, QStringLiteral("Select Files"), QStringLiteral("Media Files (*.mp4)"));
    for (const QString& path : paths)
        addSourceFile(path);
}

void onRemoveFiles()
{
    QListWidget* list = sourceList();
    if (list == nullptr)
        return;
    for (int row = list->count() - 1; row >= 0; --row) {
        if (list->item(row)->isSelected())
            delete list->takeItem(row);
    }
    refreshListState();
}

void onClearFiles()
{
    QListWidget* list = sourceList();
    if (list == nullptr)
        return;
    for (int row = list->count() - 1; row >= 0; --row)
        delete list->takeItem(row);
    refreshListState();
}

void onDropFiles(const QList<QUrl>& urls)
{
    // Also while a stopped batch's worker still finishes its file: Convert marks the
    // converted entries by their place in the list once it has ended.
    if (coreEngine != nullptr && (coreEngine->state.load() == Running || coreEngine->workerActive()))
        return;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            addSourceFile(url.toLocalFile());
    }
}
