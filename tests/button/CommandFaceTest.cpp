// The push button's face, pixel by pixel: the gradient's rows in each look, the frame cut from
// the face picture and fitted to the dialog's two button sizes, the caption's place, a button
// too small for edges, the Visible and FontColour properties. Also draws the sheet of the
// dialog's four buttons in all six looks, CommandLooks.png, for people to look at.
#include "ButtonHarness.h"
#include "graphics/EmbeddedPicture.h"

#include <QImage>
#include <QPainter>

using namespace quillaro;
using namespace quillaro::test;
using Face = Command::FacePicture;

namespace {

constexpr Rgb NeverShown{255, 0, 255}; // the inside of every face picture
// The gradient's rows 4 and 20 of a 25-pixel face, white at the top and the other way round.
constexpr Rgb WhiteTopRow4{245, 245, 248}, WhiteTopRow20{207, 206, 221};

Image24 picture(const char* name) {
    auto image = loadEmbeddedPicture(std::string(":/button/faces/") + name + ".bmp");
    EXPECT_TRUE(image.has_value()) << name;
    return image.value_or(Image24{});
}

Rgb at(const QImage& image, int x, int y) {
    const QRgb c = image.pixel(x, y);
    return {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
            static_cast<std::uint8_t>(qBlue(c))};
}

class CommandFaceTest : public ButtonHarness {
protected:
    // Every pixel inside the ring is the gradient: one colour per row, first and last as given.
    void expectGradient(const Command& button, Rgb row4, Rgb row20) {
        const Image24& face = button.face();
        ASSERT_EQ(face.height(), 25);
        EXPECT_EQ(face.pixel(4, 4), row4);
        EXPECT_EQ(face.pixel(face.width() - 5, 20), row20);
        for (int y = 4; y < 21; ++y)
            for (int x = 4; x < face.width() - 4; ++x) {
                ASSERT_EQ(face.pixel(x, y), face.pixel(4, y)) << x << "," << y;
                ASSERT_NE(face.pixel(x, y), NeverShown);
            }
    }
};

TEST_F(CommandFaceTest, GradientRunsByLookAndKeepsItsDirectionWhereTheLookLeavesIt) {
    Command& button = addButton();
    showWindow();
    expectGradient(button, WhiteTopRow4, WhiteTopRow20); // Normal
    moveTo({60, 32});
    expectGradient(button, WhiteTopRow20, WhiteTopRow4); // HighLight: lavender grey on top
    button.setFocus(Qt::TabFocusReason);
    ASSERT_EQ(button.lastPainted(), Face::Pressed);
    expectGradient(button, WhiteTopRow20, WhiteTopRow4); // left over from HighLight
    moveTo(Outside);
    tick();
    ASSERT_EQ(button.lastPainted(), Face::Selected);
    expectGradient(button, WhiteTopRow4, WhiteTopRow20);
    moveTo({60, 32});
    ASSERT_EQ(button.lastPainted(), Face::HighLightSelect);
    expectGradient(button, WhiteTopRow4, WhiteTopRow20); // left over from Selected
    button.Enabled(false);
    expectGradient(button, WhiteTopRow4, WhiteTopRow20);
}

TEST_F(CommandFaceTest, FrameCornersKeepTheirSizeAndOnlyTheTopAndBottomEdgesStretch) {
    const Image24 normal = picture("Normal");
    for (int width : {29, 81}) {
        SCOPED_TRACE(width);
        Command& button = addButton({width, 25});
        const Image24& face = button.face();
        ASSERT_EQ(face.width(), width);
        for (int y = 0; y < 25; ++y) {
            for (int x = 0; x < 4; ++x) { // left and right columns, corners and edges alike
                EXPECT_EQ(face.pixel(x, y), normal.pixel(x, y)) << x << "," << y;
                EXPECT_EQ(face.pixel(width - 4 + x, y), normal.pixel(60 + x, y)) << x << "," << y;
            }
        }
        // The top and bottom edges fill the width - 8 pixels between the corners, starting and
        // ending with the picture's first and last middle columns.
        for (int y : {0, 1, 2, 3, 21, 22, 23, 24}) {
            EXPECT_EQ(face.pixel(4, y), normal.pixel(4, y));
            EXPECT_EQ(face.pixel(width - 5, y), normal.pixel(59, y));
        }
    }
}

TEST_F(CommandFaceTest, CaptionFollowsTheSizeAndTinyButtonsGetCornersOnly) {
    Command& button = addButton();
    showWindow();
    EXPECT_EQ(button.LblMsg().geometry(), QRect(0, 5, 81, 13)); // 80 twips from the top
    button.resize(120, 40);
    EXPECT_EQ(button.LblMsg().geometry(), QRect(0, 13, 120, 13)); // 192.5 twips
    EXPECT_EQ(button.face().width(), 120);

    const Image24 normal = picture("Normal");
    for (int side : {1, 3, 5, 7}) {
        button.resize(side, side);
        const Image24& face = button.face();
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
    button.FontColour(0x0000FF);                   // red
    EXPECT_EQ(button.lastPainted(), Face::Normal); // whatever the state
    EXPECT_EQ(button.state(), Command::FaceState::HighLightSelect);
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
TEST_F(CommandFaceTest, DialogButtonsInEveryLookMakeASheetOfDistinctRows) {
    const std::pair<QString, QSize> dialogButtons[] = {
        {"...", {29, 25}}, {"...", {29, 25}}, {"設定", {81, 25}}, {"ｷｬﾝｾﾙ", {81, 25}}};
    const char* looks[] = {"Normal",  "HighLight", "Pressed",
                           "Disable", "Selected",  "HighLightSelect"};
    showWindow();
    QImage sheet(360, 6 * 33 + 8, QImage::Format_RGB32);
    sheet.fill(QColor(224, 224, 224));
    QPainter painter(&sheet);
    painter.setFont(QFont("DejaVu Sans", 8));
    std::vector<QImage> rows;
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
            painter.drawImage(x, 8 + look * 33, button.grab().toImage());
            x += size.width() + 8;
            if (static_cast<Face>(look) == Face::Pressed)
                release(middle);
            moveTo(Outside);
            button.hide();
        }
        rows.push_back(sheet.copy(112, 8 + look * 33, 240, 25));
    }
    painter.end();
    ASSERT_TRUE(sheet.save("CommandLooks.png"));
    ASSERT_TRUE(sheet.scaled(sheet.size() * 4).save("CommandLooks-x4.png"));
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = i + 1; j < rows.size(); ++j)
            EXPECT_NE(rows[i], rows[j]) << looks[i] << " and " << looks[j];
}

} // namespace
