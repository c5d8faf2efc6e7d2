// Draws the program's pictures: the four tool-button pictures, the "Drag and Drop
// Here" banner and the application icon in every size. Everything is drawn from the
// shapes below, so the PNGs under res/ can be made again at any time with
// res/make_pictures.sh; the build itself only uses the committed PNGs.
//
// Usage: make_pictures OUTPUT_FOLDER   (run on Qt's offscreen platform)

#include <cmath>
#include <cstdio>

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

namespace {

QImage blank(int width, int height)
{
    // Painted premultiplied, so that anti-aliased edges blend towards the shape's own colour
    // and not towards black; the PNG writer stores plain RGBA.
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

bool save(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A gear centred at `centre`: `teeth` trapezoid teeth between the root and tip radii,
// with a round hole in the middle (odd-even fill leaves the hole empty).
QPainterPath gearPath(QPointF centre, double tipRadius, double rootRadius, int teeth, double holeRadius,
                      double turn)
{
    QPainterPath path;
    const double step = 2.0 * M_PI / teeth;
    for (int i = 0; i < teeth; ++i) {
        const double a = turn + i * step;
        // Root, flank up, tip, flank down: the tip is narrower than the root.
        const double angles[4] = {a - step * 0.30, a - step * 0.16, a + step * 0.16, a + step * 0.30};
        const double radii[4] = {rootRadius, tipRadius, tipRadius, rootRadius};
        for (int k = 0; k < 4; ++k) {
            const QPointF p(centre.x() + radii[k] * std::cos(angles[k]), centre.y() + radii[k] * std::sin(angles[k]));
            if (i == 0 && k == 0)
                path.moveTo(p);
            else
                path.lineTo(p);
        }
        // The stretch of root circle to the next tooth.
        const double next = a + step * 0.70;
        path.lineTo(centre.x() + rootRadius * std::cos(next), centre.y() + rootRadius * std::sin(next));
    }
    path.closeSubpath();
    path.addEllipse(centre, holeRadius, holeRadius);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

void fillShape(QPainter& painter, const QPainterPath& path, QColor light, QColor dark, QColor outline, double width)
{
    const QRectF box = path.boundingRect();
    QLinearGradient gradient(box.topLeft(), box.bottomRight());
    gradient.setColorAt(0.0, light);
    gradient.setColorAt(1.0, dark);
    painter.setBrush(gradient);
    painter.setPen(QPen(outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
}

QImage convertPicture()
{
    QImage image = blank(32, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    fillShape(painter, gearPath(QPointF(12.0, 12.0), 11.0, 8.2, 8, 3.2, 0.0), QColor(0x9a, 0xae, 0xc4),
              QColor(0x4a, 0x5d, 0x75), QColor(0x2c, 0x3a, 0x4b), 1.0);
    fillShape(painter, gearPath(QPointF(23.0, 22.5), 8.0, 5.9, 7, 2.3, 0.2), QColor(0xf7, 0xc0, 0x5a),
              QColor(0xd0, 0x7a, 0x12), QColor(0x7a, 0x45, 0x05), 1.0);
    return image;
}

QImage removePicture()
{
    QImage image = blank(32, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath bar;
    bar.addRoundedRect(QRectF(3.5, 11.5, 25.0, 9.0), 2.0, 2.0);
    fillShape(painter, bar, QColor(0xf2, 0x5c, 0x4f), QColor(0xb8, 0x1d, 0x12), QColor(0x86, 0x12, 0x0b), 1.0);
    return image;
}

QImage addPicture()
{
    QImage image = blank(32, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath across;
    across.addRoundedRect(QRectF(3.5, 11.5, 25.0, 9.0), 2.0, 2.0);
    QPainterPath down;
    down.addRoundedRect(QRectF(11.5, 3.5, 9.0, 25.0), 2.0, 2.0);
    fillShape(painter, across.united(down), QColor(0x6f, 0xd6, 0x7c), QColor(0x1f, 0x8a, 0x33),
              QColor(0x12, 0x5c, 0x20), 1.0);
    return image;
}

QImage clearPicture()
{
    QImage image = blank(32, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath bar;
    bar.addRoundedRect(QRectF(-15.0, -4.5, 30.0, 9.0), 2.0, 2.0);
    QTransform one;
    one.translate(16.0, 16.0).rotate(45.0);
    QTransform other;
    other.translate(16.0, 16.0).rotate(-45.0);
    const QPainterPath cross = one.map(bar).united(other.map(bar));
    fillShape(painter, cross, QColor(0xf2, 0x5c, 0x4f), QColor(0xb8, 0x1d, 0x12), QColor(0x86, 0x12, 0x0b), 1.0);
    return image;
}

QImage dropHerePicture()
{
    QImage image = blank(280, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(21);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    painter.setFont(font);
    painter.setPen(QColor(0xc8, 0xc8, 0xc8));
    painter.drawText(QRect(0, 0, 280, 32), Qt::AlignCenter, QStringLiteral("Drag and Drop Here"));
    return image;
}

// The application icon, drawn on a 256-unit square and scaled to `size` pixels: a blue
// tile with a strip of film and an orange arrow leading out of it.
QImage appIcon(int size)
{
    QImage image = blank(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);

    QPainterPath tile;
    tile.addRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
    QLinearGradient blue(0, 8, 0, 248);
    blue.setColorAt(0.0, QColor(0x4f, 0x9c, 0xf0));
    blue.setColorAt(1.0, QColor(0x1c, 0x4f, 0xa8));
    painter.setPen(QPen(QColor(0x12, 0x36, 0x7a), 6));
    painter.setBrush(blue);
    painter.drawPath(tile);

    // The film: a white frame with sprocket holes above and below the picture window.
    QPainterPath film;
    film.addRoundedRect(QRectF(40, 56, 130, 144), 12, 12);
    QPainterPath window;
    window.addRoundedRect(QRectF(56, 92, 98, 72), 6, 6);
    film = film.subtracted(window);
    if (size >= 32) {
        for (int i = 0; i < 4; ++i) {
            QPainterPath hole;
            hole.addRoundedRect(QRectF(54 + i * 28, 66, 16, 14), 3, 3);
            hole.addRoundedRect(QRectF(54 + i * 28, 176, 16, 14), 3, 3);
            film = film.subtracted(hole);
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xff, 0xff, 235));
    painter.drawPath(film);

    QPainterPath arrow;
    arrow.moveTo(120, 112);
    arrow.lineTo(176, 112);
    arrow.lineTo(176, 84);
    arrow.lineTo(228, 128);
    arrow.lineTo(176, 172);
    arrow.lineTo(176, 144);
    arrow.lineTo(120, 144);
    arrow.closeSubpath();
    QLinearGradient orange(120, 84, 228, 172);
    orange.setColorAt(0.0, QColor(0xff, 0xc2, 0x4d));
    orange.setColorAt(1.0, QColor(0xf0, 0x7b, 0x0c));
    painter.setPen(QPen(QColor(0x8a, 0x40, 0x00), size >= 48 ? 5 : 8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(orange);
    painter.drawPath(arrow);
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("pictures")) || !out.mkpath(QStringLiteral("icons")))
        return 1;
    bool ok = save(convertPicture(), out.filePath(QStringLiteral("pictures/convert.png")));
    ok = save(removePicture(), out.filePath(QStringLiteral("pictures/remove.png"))) && ok;
    ok = save(addPicture(), out.filePath(QStringLiteral("pictures/add.png"))) && ok;
    ok = save(clearPicture(), out.filePath(QStringLiteral("pictures/clear.png"))) && ok;
    ok = save(dropHerePicture(), out.filePath(QStringLiteral("pictures/drop_here.png"))) && ok;
    for (const int size : {16, 32, 48, 64, 128, 256})
        ok = save(appIcon(size), out.filePath(QStringLiteral("icons/mp4avi-%1.png").arg(size))) && ok;
    return ok ? 0 : 1;
}
