#include "dialog_units.h"

#include <QFontMetrics>

namespace {

// Rounds a * b / c to the nearest integer (halves away from zero), as MulDiv does.
int mulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>(product >= 0 ? (product + c / 2) / c : (product - c / 2) / c);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (letters / 26 + 1) / 2;
    baseY_ = metrics.height();
    if (baseX_ < 1)
        baseX_ = 1;
    if (baseY_ < 1)
        baseY_ = 1;
}

int DialogUnits::toPixelsX(int units) const
{
    return mulDiv(units, baseX_, 4);
}

int DialogUnits::toPixelsY(int units) const
{
    return mulDiv(units, baseY_, 8);
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const
{
    // Both edges are mapped, so that neighbouring controls meet without gaps.
    const int left = toPixelsX(x);
    const int top = toPixelsY(y);
    return QRect(left, top, toPixelsX(x + width) - left, toPixelsY(y + height) - top);
}

QFont dialogTemplateFont()
{
    QFont font(QStringLiteral("MS Shell Dlg"), 8);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
