#include "Command.h"

#include "CommandProperties.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <cmath>

namespace quillaro {
namespace {

// A disabled caption is drawn in the toolkit's disabled colour group; this grey keeps it
// readable on the light gradient (the style's own disabled grey nearly vanishes there).
constexpr QColor DisabledCaption{128, 128, 128};

constexpr const char* CaptionFamily = "IPAPGothic";
constexpr int CaptionPixelSize = 13;

} // namespace

Command::Command(QWidget* parent, PointerProbe& pointer)
    : QWidget(parent), pointer_(pointer), LblMsg_(this), TmrMouse_(this) {
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
    resize(FacePictureSize);
}

Command::Command(const PropertyBag& stored, QWidget* parent, PointerProbe& pointer)
    : Command(parent, pointer) {
    ReadProperties(stored);
    // A size that is missing, not a number, or outside what a face can be keeps the default.
    const auto side = [&](const char* key) -> std::optional<int> {
        const auto extent = storedWholeNumber(stored.read(key, {}));
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
    state_.face = FaceState::Normal;
    TmrMouse_.start(MouseInterval);
}

void Command::Visible(std::uint8_t value) {
    opaque_ = value != 0;
    if (opaque_)
        RefreshFace();
    update();
    propertiesChanged_ = true;
}

void Command::FontColour(std::uint32_t colour) {
    if (!isCaptionColour(colour)) { // the colour cannot be set: the face is still refreshed
        RefreshFace();
        return;
    }
    fontColour_ = colour;
    showCaptionColour();
    RefreshFace();
    propertiesChanged_ = true;
}

void Command::Enabled(bool value) {
    state_.enabled = value;
    propertiesChanged_ = true;
    ApplyEnabled();
}

QString Command::Caption() const {
    return LblMsg_.text();
}

void Command::Caption(const QString& text) {
    LblMsg_.setText(text);
    propertiesChanged_ = true;
}

QFont Command::Font() const {
    return LblMsg_.font();
}

void Command::Font(const QFont& font) {
    LblMsg_.setFont(font);
    propertiesChanged_ = true;
}

std::uint8_t Command::readVisible() {
    if (opaque_)
        RefreshFace();
    return Visible();
}

std::uint32_t Command::readFontColour() {
    RefreshFace();
    return FontColour();
}

bool Command::readEnabled() {
    if (firstRun_ == 0) { // a fresh instance is set up by its first read
        RefreshFace();
        firstRun_ = 1;
        state_.enabled = true;
    }
    ApplyEnabled();
    return Enabled();
}

// --- Stored properties ---

void Command::ReadProperties(const PropertyBag& bag) {
    CommandProperties stored = properties();
    stored.read(bag, ambientFont());
    state_.enabled = stored.enabled;
    LblMsg_.setText(stored.caption);
    LblMsg_.setFont(stored.font);
    firstRun_ = stored.firstRun;
    fontColour_ = stored.fontColour;
    showCaptionColour();
    opaque_ = stored.opaque;
    update();
    RefreshFace();
}

void Command::WriteProperties(PropertyBag& bag) {
    properties().write(bag, ambientFont());
    propertiesChanged_ = false;
    RefreshFace();
}

CommandProperties Command::properties() const {
    return {state_.enabled, Caption(), Font(), firstRun_, fontColour_, opaque_};
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

// --- Qt's events, turned into the state machine's ---

void Command::handle(CommandEvent event) {
    const CommandStep step = CommandBehaviour(state_, event);
    state_ = step.next;
    if (step.paint)
        PaintFace(*step.paint);
    // Last: the host may close its window, and this button with it, on Click.
    if (step.click)
        emit Click();
}

void Command::mousePressEvent(QMouseEvent* event) {
    event->accept();
    // Qt reports no move before a press that comes without one (the button appeared under a
    // resting pointer, or the click was made without moving); a press on the button means the
    // pointer is over it all the same.
    if (rect().contains(event->position().toPoint()))
        handle(CommandEvent::PointerOver);
    handle(event->button() == Qt::LeftButton ? CommandEvent::LeftPress : CommandEvent::OtherPress);
}

void Command::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    handle(CommandEvent::PointerOver);
}

void Command::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    handle(event->button() == Qt::LeftButton ? CommandEvent::LeftRelease
                                             : CommandEvent::OtherRelease);
}

void Command::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    handle(CommandEvent::PointerOver);
}

void Command::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // Qt gives the focus before it delivers the press that brought it; the window system the
    // button follows had always reported the pointer over the button by then.
    if (event->reason() == Qt::MouseFocusReason)
        handle(CommandEvent::PointerOver);
    handle(CommandEvent::FocusIn);
}

void Command::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    handle(CommandEvent::FocusOut);
}

void Command::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyEnabled();
}

void Command::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A button that appears under the pointer has the pointer over it, moved or not.
    if (pointerOverButton())
        handle(CommandEvent::PointerOver);
}

void Command::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // QWidget::setEnabled on this button itself (not on a parent) is taken as the property.
    if (event->type() == QEvent::EnabledChange) {
        const bool wanted = !testAttribute(Qt::WA_ForceDisabled);
        if (wanted != state_.enabled)
            Enabled(wanted);
    }
}

void Command::paintEvent(QPaintEvent*) {
    if (!opaque_ || face_.empty())
        return;
    const QImage view(face_.bytes().data(), face_.width(), face_.height(),
                      static_cast<qsizetype>(face_.rowBytes()), QImage::Format_RGB888);
    QPainter painter(this);
    painter.drawImage(0, 0, view);
}

void Command::TmrMouse_Timer() {
    if (!state_.enabled) // a disabled button does not even look
        return;
    if (!pointerOverButton())
        handle(CommandEvent::PointerGone);
}

// --- Internal operations ---

bool Command::pointerOverButton() {
    // Over the caption counts as over the button: it is part of the button's own area.
    QWidget* under = pointer_.widgetAt(pointer_.position());
    return under == this || (under != nullptr && isAncestorOf(under));
}

void Command::ApplyEnabled() {
    PaintFace(state_.enabled ? FacePicture::Normal : FacePicture::Disable);
    LblMsg_.setEnabled(state_.enabled);
}

void Command::RefreshFace() {
    if (!state_.enabled)
        return;
    LblMsg_.setEnabled(true);
    if (firstRun_ == 0) {
        fontColour_ = 0;
        showCaptionColour();
    }
    PaintFace(FacePicture::Normal);
}

void Command::PaintFace(FacePicture picture) {
    gradientReversed_ = gradientReversedFor(state_.face, gradientReversed_);
    layout_ = FaceLayout::fitted(size(), layout_);
    CommandFace painted =
        DrawCommandFace(size(), LoadFacePicture(picture), gradientReversed_, layout_);
    face_ = std::move(painted.image);
    update(); // one presentation per painting
    LblMsg_.setGeometry(painted.caption);
    lastPainted_ = picture;
}

void Command::showCaptionColour() {
    const QColor colour(static_cast<int>(fontColour_ & 0xFF),
                        static_cast<int>((fontColour_ >> 8) & 0xFF),
                        static_cast<int>((fontColour_ >> 16) & 0xFF));
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
