#include "Command.h"

#include "graphics/EmbeddedPicture.h"
#include "graphics/Raster.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <cmath>
#include <limits>
#include <optional>

namespace quillaro {
namespace {

constexpr std::int16_t True = -1;
constexpr std::int16_t False = 0;

// The face in twips: the picture's ring is 4 pixels wide, the picture 64 x 25 pixels.
constexpr int Border = 60;
constexpr int PictureWidth = 960;
constexpr int PictureHeight = 375;
constexpr int CaptionHeightTwips = Command::CaptionHeight * Command::TwipsPerPixel;
constexpr int CaptionGap = 20; // the caption sits this much above the face's middle

// The gradient's two colours as the program holds them: "&H", then red, green, blue in hex.
constexpr const char* GradientLight = "&HFFFFFF"; // white
constexpr const char* GradientShade = "&HC6C5D7"; // lavender grey
// Where nothing else is drawn (only ever under the frame): the face's own background.
constexpr Rgb BackColour{212, 208, 200};

// A disabled caption is drawn in the toolkit's disabled colour group; this grey keeps it
// readable on the light gradient (the style's own disabled grey nearly vanishes there).
constexpr QColor DisabledCaption{128, 128, 128};

constexpr const char* DesignCaption = "Command";
// A caption written as "Command" is not stored, and one not stored reads as "Command1".
constexpr const char* StoredCaptionDefault = "Command1";
constexpr const char* CaptionFamily = "IPAPGothic";
constexpr int CaptionPixelSize = 13;
constexpr int OpaqueBackground = 1;
constexpr int TransparentBackground = 0;

constexpr const char* PictureResources[] = {
    ":/button/faces/Normal.bmp",   ":/button/faces/HighLight.bmp",
    ":/button/faces/Pressed.bmp",  ":/button/faces/Disable.bmp",
    ":/button/faces/Selected.bmp", ":/button/faces/HighLight.bmp", // HighLightSelect
};

// One channel of a "&HRRGGBB" colour as a 16-bit intensity: the 8-bit value in the high byte.
std::uint16_t intensity(const char* text, int channel) {
    const QString digits = QString::fromLatin1(text + 2 + 2 * channel, 2);
    return static_cast<std::uint16_t>(digits.toUInt(nullptr, 16) << 8);
}

GradientVertex vertex(int x, int y, const char* colour) {
    return {x, y, intensity(colour, 0), intensity(colour, 1), intensity(colour, 2)};
}

// A layout number kept as 16-bit twips: a value outside the range leaves the old one.
void assignTwips(std::int16_t& number, long value) {
    if (value >= std::numeric_limits<std::int16_t>::min() &&
        value <= std::numeric_limits<std::int16_t>::max())
        number = static_cast<std::int16_t>(value);
}

std::optional<long long> wholeNumber(const QVariant& value) {
    bool ok = false;
    const long long number = value.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

std::optional<bool> boolean(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare("true", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare("false", Qt::CaseInsensitive) == 0)
            return false;
    }
    if (const auto number = wholeNumber(value))
        return *number != 0;
    return std::nullopt;
}

std::optional<QFont> storedFont(const QVariant& value) {
    if (value.typeId() == QMetaType::QFont)
        return value.value<QFont>();
    return std::nullopt;
}

bool isColour(long long value) {
    return value >= 0 && value <= 0xFFFFFF;
}

} // namespace

Command::Command(QWidget* parent, PointerProbe& pointer)
    : QWidget(parent), pointer_(pointer), LblMsg_(this), TmrMouse_(this) {
    for (std::size_t i = 0; i < Pictures_.size(); ++i)
        Pictures_[i] = loadEmbeddedPicture(PictureResources[i]).value_or(Image24{});

    LblMsg_.setText(DesignCaption);
    LblMsg_.setFont(CaptionFont());
    LblMsg_.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The caption is part of the face: the pointer's presses, moves and releases on it reach
    // the button, and the button's own area includes it.
    LblMsg_.setAttribute(Qt::WA_TransparentForMouseEvents);
    showCaptionColour();

    TmrMouse_.setInterval(MouseInterval);
    connect(&TmrMouse_, &QTimer::timeout, this, &Command::TmrMouse_Timer);

    setMouseTracking(true); // moves arrive without a button held
    setFocusPolicy(Qt::StrongFocus);
    resize(PictureWidth / TwipsPerPixel, PictureHeight / TwipsPerPixel);
}

Command::Command(const PropertyBag& stored, QWidget* parent, PointerProbe& pointer)
    : Command(parent, pointer) {
    ReadProperties(stored);
    // A size that is missing, not a number, or outside what a face can be keeps the default.
    const auto side = [&](const char* key) -> std::optional<int> {
        const auto extent = wholeNumber(stored.read(key, {}));
        if (!extent || *extent <= 0 || *extent > extentFromPixels(Image24::MaxSide))
            return std::nullopt;
        return pixelsFromExtent(static_cast<int>(*extent));
    };
    if (const auto w = side("_extentx"), h = side("_extenty"); w && h && *w > 0 && *h > 0)
        resize(*w, *h);
    // The host's sizing; a hidden widget hears of its size only when it is shown.
    ApplyEnabled();
}

// --- Public members ---

void Command::Initialize() {
    State_ = FaceState::Normal;
    TmrMouse_.start(MouseInterval);
}

std::uint8_t Command::Visible() {
    if (BackStyle_ != OpaqueBackground)
        return 0;
    RefreshFace();
    return 255;
}

void Command::Visible(std::uint8_t value) {
    if (value != 0) {
        BackStyle_ = OpaqueBackground;
        RefreshFace();
    } else {
        BackStyle_ = TransparentBackground;
    }
    update();
    PropertyChanged();
}

std::uint32_t Command::FontColour() {
    const std::uint32_t colour = FontColour_;
    RefreshFace();
    return colour;
}

void Command::FontColour(std::uint32_t colour) {
    if (!isColour(colour)) { // the colour cannot be set: the face is still refreshed
        RefreshFace();
        return;
    }
    FontColour_ = colour;
    showCaptionColour();
    RefreshFace();
    PropertyChanged();
}

bool Command::Enabled() {
    if (FirstRun_ == 0) { // a fresh instance is set up by its first read
        RefreshFace();
        FirstRun_ = 1;
        Enabled_ = True;
    }
    const bool enabled = Enabled_ != False;
    ApplyEnabled();
    return enabled;
}

void Command::Enabled(bool value) {
    Enabled_ = value ? True : False;
    PropertyChanged();
    ApplyEnabled();
}

QString Command::Caption() const {
    return LblMsg_.text();
}

void Command::Caption(const QString& text) {
    LblMsg_.setText(text);
    PropertyChanged();
}

QFont Command::Font() const {
    return LblMsg_.font();
}

void Command::Font(const QFont& font) {
    LblMsg_.setFont(font);
    PropertyChanged();
}

// --- Stored properties ---

void Command::ReadProperties(const PropertyBag& bag) {
    if (const auto enabled = boolean(bag.read("Enabled", true)))
        Enabled_ = *enabled ? True : False;
    if (const QVariant caption = bag.read("Caption", StoredCaptionDefault);
        caption.typeId() == QMetaType::QString)
        LblMsg_.setText(caption.toString());
    if (const auto stored = storedFont(bag.read("Font", ambientFont())))
        LblMsg_.setFont(*stored);
    if (const auto firstRun = wholeNumber(bag.read("FirstRun", 1));
        firstRun && *firstRun >= 0 && *firstRun <= 255)
        FirstRun_ = static_cast<std::uint8_t>(*firstRun);
    if (const auto colour = wholeNumber(bag.read("FontColour", 0)); colour && isColour(*colour)) {
        FontColour_ = static_cast<std::uint32_t>(*colour);
        showCaptionColour();
    }
    if (const auto style = wholeNumber(bag.read("Visible", OpaqueBackground));
        style && (*style == OpaqueBackground || *style == TransparentBackground)) {
        BackStyle_ = static_cast<std::uint8_t>(*style);
        update();
    }
    RefreshFace();
}

void Command::WriteProperties(PropertyBag& bag) {
    bag.write("Enabled", Enabled_ != False, true);
    bag.write("Caption", Caption(), DesignCaption);
    bag.write("FirstRun", int{FirstRun_}, 1);
    bag.write("Font", Font(), ambientFont());
    bag.write("FontColour", static_cast<qint64>(FontColour_), 0);
    bag.write("Visible", int{BackStyle_}, OpaqueBackground);
    PropertiesChanged_ = false;
    RefreshFace();
}

PropertyBag Command::StoredInstance(const QString& caption, QSize size, const QFont& font) {
    PropertyBag bag;
    bag.write("caption", caption, DesignCaption);
    bag.write("font", font, QVariant());
    bag.write("_extentx", extentFromPixels(size.width()), QVariant());
    bag.write("_extenty", extentFromPixels(size.height()), QVariant());
    return bag;
}

QFont Command::CaptionFont() {
    QFont font(CaptionFamily);
    font.setPixelSize(CaptionPixelSize);
    font.setWeight(QFont::Normal);
    return font;
}

// 1440 twips make an inch, 2540 hundredths of a millimetre too.
int Command::extentFromPixels(int pixels) {
    return static_cast<int>(std::lround(pixels * (TwipsPerPixel * 2540.0 / 1440.0)));
}

int Command::pixelsFromExtent(int extent) {
    return static_cast<int>(std::lround(extent * (1440.0 / 2540.0 / TwipsPerPixel)));
}

// --- Events of the state machine ---

void Command::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (!Enabled_)
        return;
    // Qt reports no move before a press that comes without one (the button appeared under a
    // resting pointer, or the click was made without moving); a press on the button means the
    // pointer is over it all the same.
    if (rect().contains(event->position().toPoint()))
        PointerArrived();
    if (event->button() == Qt::LeftButton) {
        MouseIsDown_ = True;
        PaintFace(FacePicture::Pressed);
    }
}

void Command::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    PointerArrived();
}

void Command::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (!Enabled_)
        return;
    if (event->button() == Qt::LeftButton) {
        MouseIsDown_ = False;
        if (State_ == FaceState::HighLight)
            PaintFace(FacePicture::Normal);
        if (State_ == FaceState::HighLightSelect)
            PaintFace(FacePicture::HighLightSelect);
    }
    // Last: the host may close its window, and this button with it, on Click.
    if (State_ != FaceState::Selected && Enabled_ == True)
        emit Click();
}

void Command::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    PointerArrived();
}

void Command::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (!Enabled_)
        return;
    // Qt gives the focus before it delivers the press that brought it; the window system the
    // button follows had always reported the pointer over the button by then.
    if (event->reason() == Qt::MouseFocusReason)
        PointerArrived();
    if (State_ != FaceState::HighLight) {
        State_ = FaceState::Selected;
        PaintFace(FacePicture::Selected);
    } else {
        State_ = FaceState::HighLightSelect;
        PaintFace(FacePicture::Pressed);
    }
}

void Command::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (!Enabled_)
        return;
    if (State_ != FaceState::Normal) {
        State_ = FaceState::Normal;
        PaintFace(FacePicture::Normal);
    }
}

void Command::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyEnabled();
}

void Command::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A button that appears under the pointer has the pointer over it, moved or not.
    if (pointerOverButton())
        PointerArrived();
}

void Command::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // QWidget::setEnabled on this button itself (not on a parent) is taken as the property.
    if (event->type() == QEvent::EnabledChange) {
        const bool wanted = !testAttribute(Qt::WA_ForceDisabled);
        if (wanted != (Enabled_ != False))
            Enabled(wanted);
    }
}

void Command::paintEvent(QPaintEvent*) {
    if (BackStyle_ != OpaqueBackground || Face_.empty())
        return;
    const QImage view(Face_.bytes().data(), Face_.width(), Face_.height(),
                      static_cast<qsizetype>(Face_.rowBytes()), QImage::Format_RGB888);
    QPainter painter(this);
    painter.drawImage(0, 0, view);
}

void Command::TmrMouse_Timer() {
    if (!Enabled_)
        return;
    if (!pointerOverButton())
        LeaveHover();
}

// --- Internal operations ---

void Command::PointerArrived() {
    if (!Enabled_)
        return;
    if (State_ == FaceState::Normal) {
        State_ = FaceState::HighLight;
        PaintFace(FacePicture::HighLight);
    } else if (State_ == FaceState::Selected && !MouseIsDown_) {
        State_ = FaceState::HighLightSelect;
        PaintFace(FacePicture::HighLightSelect);
    }
}

bool Command::pointerOverButton() {
    // Over the caption counts as over the button: it is part of the button's own area.
    QWidget* under = pointer_.widgetAt(pointer_.position());
    return under == this || (under != nullptr && isAncestorOf(under));
}

void Command::LeaveHover() {
    if (!Enabled_)
        return;
    if (State_ == FaceState::HighLight) {
        State_ = FaceState::Normal;
        PaintFace(FacePicture::Normal);
    } else if (State_ == FaceState::HighLightSelect) {
        State_ = FaceState::Selected;
        PaintFace(FacePicture::Selected);
    }
}

void Command::ApplyEnabled() {
    if (Enabled_) {
        PaintFace(FacePicture::Normal);
        LblMsg_.setEnabled(true);
    } else {
        PaintFace(FacePicture::Disable);
        LblMsg_.setEnabled(false);
    }
}

void Command::RefreshFace() {
    if (!Enabled_)
        return;
    LblMsg_.setEnabled(true);
    if (FirstRun_ == 0) {
        FontColour_ = 0;
        showCaptionColour();
    }
    PaintFace(FacePicture::Normal);
}

void Command::PaintFace(FacePicture picture) {
    // The gradient's direction follows the look; the focus-and-hover look and the unset state
    // keep whatever the last painting left.
    switch (State_) {
    case FaceState::Normal:
    case FaceState::Selected:
        GradientReversed_ = False;
        break;
    case FaceState::HighLight:
        GradientReversed_ = True;
        break;
    case FaceState::Unset:
    case FaceState::HighLightSelect:
        break;
    }

    const long w = long{width()} * TwipsPerPixel;
    const long h = long{height()} * TwipsPerPixel;
    assignTwips(Layout_.edgeWidth, w - 2 * Border);
    assignTwips(Layout_.edgeHeight, h - 2 * Border);
    assignTwips(Layout_.right, w - Border);
    assignTwips(Layout_.bottom, h - Border);

    Face_ = Image24(width(), height(), BackColour);
    FillGradient();

    // The frame: corners at their own size, edges stretched along their length only. Edges
    // that would be empty or turned inside out (a button under 8 pixels a side) are left out.
    struct Piece {
        int sx, sy, sw, sh; // in the picture
        int dx, dy, dw, dh; // on the face
    };
    const int b = Border, pw = PictureWidth, ph = PictureHeight;
    const int right = Layout_.right, bottom = Layout_.bottom;
    const int edgeW = Layout_.edgeWidth, edgeH = Layout_.edgeHeight;
    const Piece pieces[] = {
        {0, 0, b, b, 0, 0, b, b},                        // top-left corner
        {b, 0, pw - 2 * b, b, b, 0, edgeW, b},           // top edge
        {pw - b, 0, b, b, right, 0, b, b},               // top-right corner
        {pw - b, b, b, ph - 2 * b, right, b, b, edgeH},  // right edge
        {pw - b, ph - b, b, b, right, bottom, b, b},     // bottom-right corner
        {b, ph - b, pw - 2 * b, b, b, bottom, edgeW, b}, // bottom edge
        {0, ph - b, b, b, 0, bottom, b, b},              // bottom-left corner
        {0, b, b, ph - 2 * b, 0, b, b, edgeH},           // left edge
    };
    const Image24& source = Pictures_[static_cast<std::size_t>(picture)];
    const int px = TwipsPerPixel;
    for (const Piece& p : pieces) {
        if (p.dw <= 0 || p.dh <= 0)
            continue;
        StretchBlt(Face_, p.dx / px, p.dy / px, p.dw / px, p.dh / px, source, p.sx / px, p.sy / px,
                   p.sw / px, p.sh / px);
    }
    update(); // one presentation per painting

    // The caption keeps its one-line height and spans the face, a little above its middle.
    const double top = (static_cast<double>(h) - CaptionHeightTwips - CaptionGap) / 2.0;
    LblMsg_.setGeometry(0, static_cast<int>(std::lround(top / TwipsPerPixel)), width(),
                        CaptionHeight);
    LastPainted_ = picture;
}

void Command::FillGradient() {
    // The two vertices are the face's corners in pixels; the rectangle between them leaves the
    // last row and column to the frame. No presentation of its own: the painting that called
    // it presents the face once it is complete.
    const bool reversed = GradientReversed_ != False;
    const GradientVertex first = vertex(0, 0, reversed ? GradientShade : GradientLight);
    const GradientVertex second =
        vertex(width() - 1, height() - 1, reversed ? GradientLight : GradientShade);
    GradientFill(Face_, first, second);
}

void Command::PropertyChanged() {
    PropertiesChanged_ = true;
}

void Command::showCaptionColour() {
    const QColor colour(static_cast<int>(FontColour_ & 0xFF),
                        static_cast<int>((FontColour_ >> 8) & 0xFF),
                        static_cast<int>((FontColour_ >> 16) & 0xFF));
    QPalette palette = LblMsg_.palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, DisabledCaption);
    LblMsg_.setPalette(palette);
}

QFont Command::ambientFont() const {
    return parentWidget() != nullptr ? parentWidget()->font() : QWidget::font();
}

} // namespace quillaro
