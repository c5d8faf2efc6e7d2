#pragma once

// The owner-drawn buttons of the main dialog (Add, Remove, Clear, Convert and the
// drop area): they show their picture from buttonImages instead of a caption, and the
// four tool buttons name themselves in tooltips. User-interface thread only.

#include <QAbstractButton>
#include <QPalette>
#include <QRect>

class QPainter;

// What one paint of an owner-drawn button needs.
struct DrawItem {
    QPainter* painter = nullptr;
    int controlId = 0;
    QRect rect;
    bool selected = false;  // the button is held down
    QPalette palette;
};

// Paints the button's picture centred on its fill colour, one pixel right and down
// while the button is held down. The drop area is filled with the colour of the list
// it lies over, every other button with the button-face colour. Nothing else is
// drawn: no caption, no border, no focus mark, and a disabled button looks like an
// enabled one. A button without a picture is not painted at all.
void drawToolButton(const DrawItem& item);

// Gives the main dialog's tool buttons their tooltips from toolButtons; the drop area
// has none. Controls missing from the dialog are skipped.
void createToolTips();

// A button that leaves all its painting to drawToolButton. Its text is the caption of
// the template (read by accessibility tools) and is never drawn.
class ToolButton : public QAbstractButton {
    Q_OBJECT
public:
    ToolButton(int controlId, const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
