#pragma once

#include <QFont>
#include <QRect>

// Places the controls of a dialog template. Templates give rectangles in dialog
// units: a quarter of the dialog font's average character width horizontally and an
// eighth of its character height vertically, so a template keeps its proportions
// whatever the font. The average width is that of the 52 Latin letters, rounded, as
// dialog managers measure it.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(int x, int y, int width, int height) const;

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

private:
    int baseX_;
    int baseY_;
};

// The font every dialog template names: "MS Shell Dlg" at 8 points. Where that
// family does not exist the font system substitutes its default sans-serif face.
QFont dialogTemplateFont();
