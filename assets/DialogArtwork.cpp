// Draws the settings dialog's artwork, our own, and writes it into one folder. One palette runs
// through all of it and through the push button's faces: soft lavender greys with a slate blue
// for outlines and accents.
//   Background.png    394 x 400  the window: a slate title band with the program's name, a pale
//                                lavender field, soft frames around the two panels
//   HeadingPlate.png   95 x 22   a rounded lavender plate under each group's heading
//   RadioOff.png       12 x 12   an empty radio mark
//   RadioOn.png        12 x 12   the selected radio mark
//   Texture.bmp       556 x 20   the panels' linen texture, 24-bit; tiles top to bottom
//   WindowIcon.png     32 x 32   a glossy sphere inside a tilted ring, the scene in small
//   PointingHand.png   32 x 32   the link's pointer, fingertip at (12, 10)
// Text is drawn with the fonts the build machine has (IPA P Gothic for the Japanese line), on
// Qt's offscreen platform, so no display is needed.
//   quillaro_dialog_artwork <output folder>
#include "OutputFolder.h"
#include "common/Bmp24Writer.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

// The palette.
const QColor Slate{78, 88, 136};
const QColor SlateDark{52, 60, 100};
const QColor SlateLight{118, 128, 176};
const QColor Lavender{214, 216, 236};
const QColor LavenderPale{236, 237, 246};
const QColor FieldTop{226, 227, 238};
const QColor FieldBottom{198, 200, 218};

// Where the dialog puts what the background frames (pixels of the window).
const QRect PanelB{20, 48, 353, 113};
const QRect PanelC{20, 168, 353, 149};
constexpr int WindowWidth = 393; // the background's last column lies beyond it
constexpr int TitleBand = 40;

QImage canvas(int width, int height, QColor fill = Qt::transparent) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

// Small deterministic noise in -1 .. 1 for a pixel.
double grain(int x, int y) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xFFFF) / 32767.5 - 1.0;
}

// The sphere-in-a-ring of the icon, in a square of the given side at (x, y).
void drawEmblem(QPainter& p, QRectF box) {
    const QPointF c = box.center();
    const double s = box.width();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // The back half of the ring, behind the sphere.
    QPen ringPen(QColor(92, 108, 190), s * 0.11, Qt::SolidLine, Qt::RoundCap);
    p.translate(c);
    p.rotate(-18);
    const QRectF ring(-s * 0.44, -s * 0.17, s * 0.88, s * 0.34);
    p.setPen(ringPen);
    p.drawArc(ring, 0, 180 * 16);
    p.rotate(18);
    p.translate(-c);
    // The sphere, lit from the top left.
    QRadialGradient light(c + QPointF(-s * 0.12, -s * 0.14), s * 0.36);
    light.setColorAt(0.0, QColor(255, 255, 255));
    light.setColorAt(0.45, QColor(196, 200, 238));
    light.setColorAt(1.0, QColor(96, 102, 160));
    p.setPen(QPen(SlateDark, std::max(0.8, s * 0.03)));
    p.setBrush(light);
    p.drawEllipse(c, s * 0.27, s * 0.27);
    // The front half of the ring, over the sphere.
    p.translate(c);
    p.rotate(-18);
    QLinearGradient ringShade(0, -s * 0.2, 0, s * 0.2);
    ringShade.setColorAt(0, QColor(150, 170, 240));
    ringShade.setColorAt(1, QColor(58, 72, 150));
    ringPen.setBrush(ringShade);
    p.setPen(ringPen);
    p.drawArc(ring, 180 * 16, 180 * 16);
    p.restore();
}

QImage background() {
    QImage image = canvas(WindowWidth + 1, 400);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The field: a quiet vertical gradient with a little grain.
    QLinearGradient field(0, TitleBand, 0, 400);
    field.setColorAt(0, FieldTop);
    field.setColorAt(1, FieldBottom);
    p.fillRect(image.rect(), field);

    // Large soft circles, barely there, for depth.
    p.setPen(Qt::NoPen);
    const struct {
        double x, y, r;
        int alpha;
    } glows[] = {{330, 380, 120, 36}, {40, 330, 90, 28}, {360, 120, 80, 22}};
    for (const auto& g : glows) {
        QRadialGradient glow(QPointF(g.x, g.y), g.r);
        glow.setColorAt(0, QColor(255, 255, 255, g.alpha));
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(glow);
        p.drawEllipse(QPointF(g.x, g.y), g.r, g.r);
    }

    // The title band: slate, lighter at its top, with a thin highlight along its lower edge.
    QLinearGradient band(0, 0, 0, TitleBand);
    band.setColorAt(0, SlateLight);
    band.setColorAt(1, Slate);
    p.fillRect(QRect(0, 0, image.width(), TitleBand), band);
    p.fillRect(QRect(0, TitleBand, image.width(), 1), QColor(255, 255, 255, 150));
    p.fillRect(QRect(0, TitleBand + 1, image.width(), 1), QColor(60, 66, 110, 60));

    drawEmblem(p, QRectF(12, 5, 30, 30));
    QFont title("DejaVu Serif");
    title.setPixelSize(21);
    title.setItalic(true);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(40, 46, 84, 120)); // a soft shadow
    p.drawText(QPointF(49, 28), "Quillaro");
    p.setPen(Qt::white);
    p.drawText(QPointF(48, 27), "Quillaro");
    QFont subtitle("IPAPGothic");
    subtitle.setPixelSize(12);
    p.setFont(subtitle);
    p.setPen(QColor(226, 228, 250));
    const QRectF subtitleBox(150, 0, WindowWidth - 150 - 14, TitleBand);
    p.drawText(subtitleBox, Qt::AlignRight | Qt::AlignVCenter, "スクリーンセーバーの設定");

    // Soft shadows and a fine outline around the panels, which cover their own area.
    for (const QRect& panel : {PanelB, PanelC}) {
        for (int i = 3; i >= 1; --i) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(60, 64, 110, 14 * (4 - i)));
            p.drawRoundedRect(QRectF(panel).adjusted(-i + 1, -i + 2, i + 1, i + 2), 3 + i, 3 + i);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(140, 146, 186), 1));
        p.drawRect(QRectF(panel).adjusted(-0.5, -0.5, 0.5, 0.5));
    }

    // A line above the buttons and the credits.
    p.fillRect(QRect(20, 322, 353, 1), QColor(150, 154, 190));
    p.fillRect(QRect(20, 323, 353, 1), QColor(255, 255, 255, 160));

    // The frame of the borderless window, its right edge on the window's last column.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(SlateDark);
    p.drawRect(0, 0, WindowWidth - 1, 399);
    p.setPen(QColor(255, 255, 255, 90));
    p.drawLine(1, TitleBand + 2, 1, 398);
    p.end();

    // Grain, so the field does not look flat.
    for (int y = TitleBand + 2; y < image.height() - 1; ++y)
        for (int x = 1; x < image.width() - 1; ++x) {
            const QColor c = image.pixelColor(x, y);
            const int d = static_cast<int>(std::lround(grain(x, y) * 2.0));
            image.setPixelColor(x, y,
                                QColor(std::clamp(c.red() + d, 0, 255),
                                       std::clamp(c.green() + d, 0, 255),
                                       std::clamp(c.blue() + d, 0, 255)));
        }
    return image;
}

QImage headingPlate() {
    QImage image = canvas(95, 22);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plate(0.5, 0.5, 94, 21);
    QLinearGradient fill(0, 0, 0, 22);
    fill.setColorAt(0, QColor(246, 246, 252));
    fill.setColorAt(0.5, Lavender);
    fill.setColorAt(1, QColor(190, 193, 222));
    p.setPen(QPen(QColor(120, 128, 172), 1));
    p.setBrush(fill);
    p.drawRoundedRect(plate, 5, 5);
    // A highlight along the top, as on the buttons.
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.drawLine(QPointF(5, 1.5), QPointF(90, 1.5));
    // A small slate bar at the left marks the group.
    p.setPen(Qt::NoPen);
    p.setBrush(Slate);
    p.drawRoundedRect(QRectF(4, 6, 3, 10), 1.5, 1.5);
    return image;
}

QImage radioMark(bool selected) {
    QImage image = canvas(12, 12);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(6, 6);
    QLinearGradient well(0, 0, 0, 12);
    well.setColorAt(0, QColor(200, 203, 226));
    well.setColorAt(1, Qt::white);
    p.setPen(QPen(QColor(84, 94, 144), 1));
    p.setBrush(well);
    p.drawEllipse(c, 5.4, 5.4);
    if (selected) {
        QRadialGradient dot(QPointF(5, 4.8), 3.6);
        dot.setColorAt(0, QColor(150, 170, 245));
        dot.setColorAt(1, QColor(44, 58, 140));
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(c, 3.1, 3.1);
    }
    return image;
}

// Linen: fine horizontal threads and a little grain over pale lavender. Every row depends only
// on y, so row 20 would equal row 0 and the tiles meet without a seam.
QImage texture() {
    QImage image(556, 20, QImage::Format_RGB888);
    const double tau = 6.283185307179586;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 556; ++x) {
            const double thread =
                2.4 * std::sin(tau * y / 4.0) + 1.4 * std::sin(tau * y / 10.0 + 1);
            const double weave = 1.4 * std::sin(tau * x / 6.0 + y % 2 * 3.1);
            const double n = thread + weave + 1.8 * grain(x, y);
            const int base[] = {237, 238, 246};
            const int r = std::clamp(static_cast<int>(std::lround(base[0] + n)), 0, 255);
            const int g = std::clamp(static_cast<int>(std::lround(base[1] + n)), 0, 255);
            const int b = std::clamp(static_cast<int>(std::lround(base[2] + n * 0.7)), 0, 255);
            image.setPixelColor(x, y, QColor(r, g, b));
        }
    return image;
}

QImage windowIcon() {
    QImage image = canvas(32, 32);
    QPainter p(&image);
    drawEmblem(p, QRectF(0, 0, 32, 32));
    return image;
}

// An upright hand with the index finger up; the fingertip's top middle is the hot spot (12, 10).
QImage pointingHand() {
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    auto finger = [](double left, double top, double width, double bottom) {
        QPainterPath path;
        path.addRoundedRect(QRectF(left, top, width, bottom - top), width / 2, width / 2);
        return path;
    };
    QPainterPath hand = finger(9.8, 9.5, 4.6, 22);   // index
    hand = hand.united(finger(14.2, 15.5, 4.2, 22)); // middle
    hand = hand.united(finger(18.2, 16.5, 4.0, 23)); // ring
    hand = hand.united(finger(22.0, 18.0, 3.6, 24)); // little
    QPainterPath palm;
    palm.addRoundedRect(QRectF(8.5, 19, 17.1, 10.5), 3.5, 3.5);
    hand = hand.united(palm);
    QPainterPath thumb;
    thumb.moveTo(10.5, 24.5);
    thumb.lineTo(6.2, 19.6);
    thumb.cubicTo(4.6, 17.8, 3.2, 20.0, 4.2, 21.4);
    thumb.lineTo(9.5, 28.5);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();

    p.setPen(QPen(Qt::black, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    // Where the fingers part.
    p.setPen(QPen(QColor(0, 0, 0, 200), 0.9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14.3, 18.5), QPointF(14.3, 22.5));
    p.drawLine(QPointF(18.3, 19.0), QPointF(18.3, 23.0));
    p.drawLine(QPointF(22.1, 20.5), QPointF(22.1, 23.5));
    // A cuff at the wrist.
    p.setPen(QPen(Qt::black, 1.0));
    p.setBrush(Lavender);
    p.drawRoundedRect(QRectF(9.5, 28.5, 15.5, 3), 1, 1);
    return image;
}

bool writeBmp(const QImage& picture, const std::filesystem::path& file) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(rgb.width()) * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y)
        pixels.insert(pixels.end(), rgb.constScanLine(y), rgb.constScanLine(y) + rgb.width() * 3);
    return quillaro::bmp24::writeFile(
               file, quillaro::bmp24::encode(static_cast<std::uint32_t>(rgb.width()),
                                             static_cast<std::uint32_t>(rgb.height()), pixels))
        .ok();
}

bool writePng(const QImage& picture, const std::filesystem::path& file) {
    return picture.convertToFormat(QImage::Format_ARGB32)
        .save(QString::fromStdString(file.string()), "PNG");
}

} // namespace

int main(int argc, char** argv) {
    const auto out = quillaro::outputFolder(argc, argv);
    if (!out)
        return 2;
    const std::filesystem::path& folder = *out;
    // Fonts need the toolkit; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int toolkitArgc = 1;
    QGuiApplication app(toolkitArgc, argv);

    const bool written = writePng(background(), folder / "Background.png") &&
                         writePng(headingPlate(), folder / "HeadingPlate.png") &&
                         writePng(radioMark(false), folder / "RadioOff.png") &&
                         writePng(radioMark(true), folder / "RadioOn.png") &&
                         writeBmp(texture(), folder / "Texture.bmp") &&
                         writePng(windowIcon(), folder / "WindowIcon.png") &&
                         writePng(pointingHand(), folder / "PointingHand.png");
    if (!written) {
        std::fprintf(stderr, "%s: cannot write the artwork into %s\n", argv[0], folder.c_str());
        return 1;
    }
    return 0;
}
