// The owner-drawn buttons: their pictures, tooltips and painting.

#include <filesystem>

#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "app_state.h"
#include "control_ids.h"
#include "tool_button.h"
#include "ui_test_support.h"

namespace {

// The box around the pixels of `image` that differ from `background`.
QRect changedPixels(const QImage& image, QRgb background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// The box around the visible (not fully transparent) pixels of a picture.
QRect opaquePixels(const QImage& picture)
{
    QRect box;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(picture.pixel(x, y)) != 0)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

QImage grabbed(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

using ToolButtons = WindowTest;

TEST_F(ToolButtons, EveryButtonHasItsPictureDecodedOnce)
{
    const std::pair<int, QSize> pictures[] = {
        {IDC_ADD, {32, 32}}, {IDC_REMOVE, {32, 32}}, {IDC_CLEAR, {32, 32}},
        {IDC_CONVERT, {32, 32}}, {IDC_DROP_AREA, {280, 32}},
    };
    ASSERT_EQ(buttonImages.size(), 5u);
    for (const auto& [id, size] : pictures) {
        ASSERT_TRUE(buttonImages.count(id)) << id;
        const QImage& picture = *buttonImages.at(id);
        EXPECT_EQ(picture.size(), size) << id;
        EXPECT_TRUE(picture.hasAlphaChannel()) << id;
        // Transparent around the drawing, something drawn in the middle.
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << id;
        EXPECT_FALSE(opaquePixels(picture).isEmpty()) << id;
    }
}

TEST_F(ToolButtons, MissingPictureLeavesOnlyItsButtonWithoutOne)
{
    const std::string root = temp->path() + "/res/";
    std::filesystem::create_directories(root + "png");
    for (const int image : {IDB_ADD, IDB_REMOVE, IDB_CLEAR, IDB_CONVERT}) {
        QFile::copy(QString(":/png/%1.png").arg(image), QString::fromStdString(root + "png/") + QString::number(image) + ".png");
    }
    writeFile(root + "png/150.png", "not a picture");
    exitApplication();
    EXPECT_TRUE(buttonImages.empty());
    loadButtonImages(QString::fromStdString(root));
    EXPECT_EQ(buttonImages.count(IDC_DROP_AREA), 0u);
    for (const int id : {IDC_ADD, IDC_REMOVE, IDC_CLEAR, IDC_CONVERT})
        EXPECT_EQ(buttonImages.count(id), 1u) << id;
    std::filesystem::remove(root + "png/150.png");
    exitApplication();
    loadButtonImages(QString::fromStdString(root));
    EXPECT_EQ(buttonImages.size(), 4u);
    // Painting the drop area then looks nothing up into existence.
    window->repaint();
    grabbed(dropArea());
    EXPECT_EQ(buttonImages.count(IDC_DROP_AREA), 0u);
}

TEST_F(ToolButtons, ToolButtonsNameThemselvesAndTheDropAreaDoesNot)
{
    const std::pair<int, const char*> tips[] = {
        {IDC_ADD, "Add"}, {IDC_REMOVE, "Remove"}, {IDC_CLEAR, "Clear"}, {IDC_CONVERT, "Convert"}};
    for (const auto& [id, tip] : tips) {
        QWidget* button = findControl(window.get(), id);
        EXPECT_EQ(s(button->toolTip()), tip);
        // Resting the mouse on it shows the tip.
        QHelpEvent rest(QEvent::ToolTip, button->rect().center(), button->mapToGlobal(button->rect().center()));
        QApplication::sendEvent(button, &rest);
        EXPECT_EQ(s(QToolTip::text()), tip) << id;
        QToolTip::hideText();
    }
    EXPECT_EQ(s(dropArea()->toolTip()), "");
    EXPECT_TRUE(window->testAttribute(Qt::WA_AlwaysShowToolTips));
}

// Each owner-drawn button shows its picture centred on its fill colour, moved one
// pixel right and down while held down, and nothing else: no caption, border or focus.
class Painting : public WindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(Painting, PictureIsCentredOnTheFillColour)
{
    const int id = GetParam();
    if (id == IDC_DROP_AREA) {
        ASSERT_TRUE(dropArea()->isVisible());
    }
    auto* button = qobject_cast<ToolButton*>(findControl(window.get(), id));
    ASSERT_NE(button, nullptr);
    const QColor fill = id == IDC_DROP_AREA ? button->palette().color(QPalette::Active, QPalette::Base)
                                            : button->palette().color(QPalette::Active, QPalette::Button);
    const QImage& picture = *buttonImages.at(id);
    const QRect drawn = opaquePixels(picture);

    const QImage up = grabbed(button);
    EXPECT_EQ(up.pixel(0, 0), fill.rgb());
    EXPECT_EQ(up.pixel(up.width() - 1, up.height() - 1), fill.rgb());
    const QPoint offset((button->width() - picture.width()) / 2, (button->height() - picture.height()) / 2);
    EXPECT_EQ(changedPixels(up, fill.rgb()), drawn.translated(offset));

    if (id != IDC_DROP_AREA) {
        button->setFocus();
        button->setDown(true);
        const QImage down = grabbed(button);
        EXPECT_EQ(changedPixels(down, fill.rgb()), drawn.translated(offset + QPoint(1, 1)));
        button->setDown(false);
        // Focused, disabled or not, the resting button looks the same.
        EXPECT_EQ(grabbed(button), up);
        button->setEnabled(false);
        EXPECT_EQ(grabbed(button), up);
        button->setEnabled(true);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryButton, Painting,
                         ::testing::Values(IDC_ADD, IDC_REMOVE, IDC_CLEAR, IDC_CONVERT, IDC_DROP_AREA));

TEST(DrawToolButton, PictureLargerThanItsButtonIsCentredAndClipped)
{
    QImage picture(40, 40, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x)
            picture.setPixel(x, y, qRgb(x * 6, y * 6, 100));
    }
    constexpr int testId = 9999;
    buttonImages[testId] = std::make_unique<QImage>(picture);
    QImage target(31, 31, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        painter.setClipRect(target.rect());
        DrawItem item;
        item.painter = &painter;
        item.controlId = testId;
        item.rect = target.rect();
        drawToolButton(item);
    }
    buttonImages.erase(testId);
    // (31 - 40) / 2 truncates to -4: the button's corner shows the picture's (4, 4).
    EXPECT_EQ(target.pixel(0, 0), picture.pixel(4, 4));
    EXPECT_EQ(target.pixel(30, 30), picture.pixel(34, 34));
}

TEST(DrawToolButton, ButtonWithoutPictureIsNotPainted)
{
    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(Qt::black);
    const size_t before = buttonImages.size();
    {
        QPainter painter(&target);
        DrawItem item;
        item.painter = &painter;
        item.controlId = 4242;
        item.rect = target.rect();
        drawToolButton(item);
    }
    EXPECT_EQ(buttonImages.size(), before);
    EXPECT_EQ(changedPixels(target, qRgb(0, 0, 0)), QRect());
}
