// The push button's face, pixel by pixel: each look's own outline around the gradient, the frame
// fitted to the dialog's two button sizes, the caption's place, the gradient's direction in each
// look, Visible and FontColour. Also draws the dialog's four buttons in all six looks on a sheet,
// CommandLooks.png in the build folder, for people to look at.
#include "button/CommandFace.h"

#include "ButtonHarness.h"

#include <QImage>
#include <QPainter>

using namespace quillaro;
using namespace quillaro::test;
using Face = Command::FacePicture;

namespace {

constexpr Rgb NeverShown{255, 0, 255}; // the inside of every face picture
// The gradient's rows 4 and 20 of a 25-pixel face, white at the top and the other way round.
constexpr Rgb WhiteTopRow4{245, 245, 248}, WhiteTopRow20{207, 206, 221};

// The outermost ring of each look, our artwork's outline colour: HighLightSelect is HighLight.
constexpr std::pair<Face, Rgb> Outlines[] = {
    {Face::Normal, {92, 100, 136}},  {Face::HighLight, {56, 108, 204}},
    {Face::Pressed, {54, 60, 94}},   {Face::Disable, {166, 166, 172}},
    {Face::Selected, {36, 66, 146}}, {Face::HighLightSelect, {56, 108, 204}},
};

Rgb at(const QImage& image, int x, int y) {
    const QRgb c = image.pixel(x, y);
    return {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
            static_cast<std::uint8_t>(qBlue(c))};
}

class CommandFaceTest : public ButtonHarness {};

TEST_F(CommandFaceTest, GradientRunsByLookAndKeepsItsDirectionWhereTheLookLeavesIt) {
    Command& button = addButton();
    showWindow();
    const auto top = [&] { return button.face().pixel(4, 4); };
    EXPECT_EQ(top(), WhiteTopRow4); // Normal
    moveTo({60, 32});
    EXPECT_EQ(top(), WhiteTopRow20); // HighLight: lavender grey on top
    button.setFocus(Qt::TabFocusReason);
    ASSERT_EQ(button.lastPainted(), Face::Pressed);
    EXPECT_EQ(top(), WhiteTopRow20); // left over from HighLight
    moveTo(Outside);
    tick();
    ASSERT_EQ(button.lastPainted(), Face::Selected);
    EXPECT_EQ(top(), WhiteTopRow4);
    moveTo({60, 32});
    ASSERT_EQ(button.lastPainted(), Face::HighLightSelect);
    EXPECT_EQ(top(), WhiteTopRow4); // left over from Selected
}

TEST(CommandFace, EveryLookShowsItsOwnOutlineAroundARowByRowGradient) {
    for (const auto& [look, outline] : Outlines)
        for (const bool reversed : {false, true}) {
            const Image24 face = DrawCommandFace({81, 25}, LoadFacePicture(look), reversed).image;
            for (const QPoint at : {QPoint(40, 0), QPoint(40, 24), QPoint(0, 12), QPoint(80, 12)})
                EXPECT_EQ(face.pixel(at.x(), at.y()), outline) << int(look) << " at " << at.x();
            EXPECT_EQ(face.pixel(4, 4), reversed ? WhiteTopRow20 : WhiteTopRow4);
            EXPECT_EQ(face.pixel(76, 20), reversed ? WhiteTopRow4 : WhiteTopRow20);
            for (int y = 4; y < 21; ++y)
                for (int x = 4; x < 77; ++x) {
                    ASSERT_EQ(face.pixel(x, y), face.pixel(4, y)) << x << "," << y;
                    ASSERT_NE(face.pixel(x, y), NeverShown);
                }
        }
}

TEST(CommandFace, CornersKeepTheirSizeEdgesStretchAndTheCaptionFollowsTheSize) {
    const Image24 normal = LoadFacePicture(Face::Normal);
    for (int width : {29, 81}) {
        SCOPED_TRACE(width);
        const CommandFace face = DrawCommandFace({width, 25}, normal, false);
        ASSERT_EQ(face.image.width(), width);
        EXPECT_EQ(face.caption, QRect(0, 5, width, 13)); // 80 twips from the top
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 4; ++x) { // left and right columns, corners and edges alike
                EXPECT_EQ(face.image.pixel(x, y), normal.pixel(x, y)) << x << "," << y;
                EXPECT_EQ(face.image.pixel(width - 4 + x, y), normal.pixel(60 + x, y));
            }
        }
        // The top and bottom edges fill the width - 8 pixels between the corners, starting and
        // ending with the picture's first and last middle columns.
        for (int y : {0, 1, 2, 3, 21, 22, 23, 24}) {
            EXPECT_EQ(face.image.pixel(4, y), normal.pixel(4, y));
            EXPECT_EQ(face.image.pixel(width - 5, y), normal.pixel(59, y));
        }
    }
    EXPECT_EQ(DrawCommandFace({120, 40}, normal, false).caption, QRect(0, 13, 120, 13));

    for (int side : {1, 3, 5, 7}) {
        const Image24 face = DrawCommandFace({side, side}, normal, false).image;
        ASSERT_EQ(face.width(), side);
        // No edges; the corners overlap, the bottom-left one drawn last.
        EXPECT_EQ(face.pixel(0, side - 1), normal.pixel(0, 24));
        if (side > 4) {
            EXPECT_EQ(face.pixel(side - 1, 0), normal.pixel(63, 0));
        }
    }
}

TEST_F(CommandFaceTest, VisibleHidesOnlyTheFaceAndFontColourColoursTheCaption) {
    window.setAutoFillBackground(true);
    window.setPalette(QPalette(QColor(10, 120, 10)));
    Command& button = addButton();
    showWindow();
    EXPECT_EQ(button.Visible(), 255);
    button.Visible(0);
    EXPECT_EQ(button.Visible(), 0);
    const QImage hidden = window.grab().toImage();
    EXPECT_EQ(at(hidden, 22, 22), (Rgb{10, 120, 10}));
    bool captionShown = false;
    for (int x = 20; x < 101; ++x)
        captionShown |= at(hidden, x, 31).green < 60;
    EXPECT_TRUE(captionShown);
    button.Visible(7);
    EXPECT_EQ(button.Visible(), 255);
    EXPECT_NE(at(window.grab().toImage(), 22, 22), (Rgb{10, 120, 10}));

    button.setFocus(Qt::TabFocusReason);
    moveTo({60, 32});
    EXPECT_EQ(button.FontColour(), 0u); // a plain read paints nothing
    EXPECT_EQ(button.lastPainted(), Face::HighLightSelect);
    EXPECT_EQ(button.readFontColour(), 0u); // the host's read: Normal, whatever the state
    EXPECT_EQ(look(button), Look(Face::Normal, Command::FaceState::HighLightSelect));
    EXPECT_EQ(button.LblMsg().geometry(), QRect(0, 5, 81, 13));
    button.FontColour(0x0000FF);   // red
    button.FontColour(0x01000000); // no colour: nothing changes
    EXPECT_EQ(button.FontColour(), 0x0000FFu);
    int red = 0;
    const QImage shown = button.grab().toImage();
    for (int y = 5; y < 18; ++y)
        for (int x = 0; x < 81; ++x)
            red += at(shown, x, y).red > 150 && at(shown, x, y).green < 100;
    EXPECT_GT(red, 10);
}

// The dialog's four buttons in each look, as the state machine brings them about: one row per
// look, written to CommandLooks.png (and 4 times as large, CommandLooks-x4.png).
TEST_F(CommandFaceTest, DialogButtonsInEveryLookShowTheirOutlinesOnASheet) {
    const std::pair<QString, QSize> dialogButtons[] = {
        {"...", {29, 25}}, {"...", {29, 25}}, {"設定", {81, 25}}, {"ｷｬﾝｾﾙ", {81, 25}}};
    const char* looks[] = {"Normal",  "HighLight", "Pressed",
                           "Disable", "Selected",  "HighLightSelect"};
    showWindow();
    QImage sheet(360, 6 * 33 + 8, QImage::Format_RGB32);
    sheet.fill(QColor(224, 224, 224));
    QPainter painter(&sheet);
    painter.setFont(QFont("DejaVu Sans", 8));
    for (int look = 0; look < 6; ++look) {
        painter.setPen(Qt::black);
        painter.drawText(8, 8 + look * 33 + 17, looks[look]);
        int x = 112;
        for (const auto& [caption, size] : dialogButtons) {
            Command& button = addButton(size);
            button.Caption(caption);
            button.show();
            button.raise();
            const QPoint middle = button.geometry().center();
            switch (static_cast<Face>(look)) {
            case Face::Normal:
                break;
            case Face::HighLight:
                moveTo(middle);
                break;
            case Face::Pressed:
                moveTo(middle);
                press(middle);
                break;
            case Face::Disable:
                button.Enabled(false);
                break;
            case Face::Selected:
                button.setFocus(Qt::TabFocusReason);
                break;
            case Face::HighLightSelect:
                button.setFocus(Qt::TabFocusReason);
                moveTo(middle);
                break;
            }
            EXPECT_EQ(button.lastPainted(), static_cast<Face>(look)) << looks[look];
            EXPECT_EQ(button.face().pixel(size.width() / 2, 0), Outlines[look].second);
            painter.drawImage(x, 8 + look * 33, button.grab().toImage());
            x += size.width() + 8;
            if (static_cast<Face>(look) == Face::Pressed)
                release(middle);
            moveTo(Outside);
            button.hide();
        }
    }
    painter.end();
    ASSERT_TRUE(sheet.save(SHEET_FOLDER "/CommandLooks.png"));
    ASSERT_TRUE(sheet.scaled(sheet.size() * 4).save(SHEET_FOLDER "/CommandLooks-x4.png"));
}

} // namespace
