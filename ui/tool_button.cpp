#include "tool_button.h"

#include <QPainter>

#include "app_state.h"
#include "control_ids.h"
#include "main_dialog.h"

void drawToolButton(const DrawItem& item)
{
    if (item.painter == nullptr)
        return;
    const auto found = buttonImages.find(item.controlId);
    if (found == buttonImages.end() || !found->second)
        return;
    const QImage& image = *found->second;
    const QRect& r = item.rect;
    // Integer division truncates toward zero, also for a picture larger than its button.
    int dx = (r.width() - image.width()) / 2;
    int dy = (r.height() - image.height()) / 2;
    if (item.selected) {
        dx += 1;
        dy += 1;
    }
    // The colours of the active group whatever the button's state, so that a disabled
    // button (the drop area always is one) looks like an enabled one.
    const QPalette::ColorRole role = item.controlId == IDC_DROP_AREA ? QPalette::Base : QPalette::Button;
    item.painter->fillRect(r, item.palette.brush(QPalette::Active, role));
    item.painter->drawImage(QPoint(r.left() + dx, r.top() + dy), image);
}

void createToolTips()
{
    for (const ToolButtonEntry* row = toolButtons; row->controlId != 0; ++row) {
        QWidget* control = findControl(mainDialog, row->controlId);
        if (control == nullptr)
            continue;
        control->setToolTip(row->tooltip != nullptr ? QString::fromUtf8(row->tooltip) : QString());
    }
}

ToolButton::ToolButton(int id, const QString& text, QWidget* parent) : QAbstractButton(parent)
{
    setControlId(this, id);
    setText(text);
}

void ToolButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawItem item;
    item.painter = &painter;
    item.controlId = controlId(this);
    item.rect = rect();
    item.selected = isDown();
    item.palette = palette();
    drawToolButton(item);
}
