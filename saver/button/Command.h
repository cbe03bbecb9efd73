// The saver's own push button, which the settings dialog places instead of the toolkit's: a
// skinned face (a frame cut from one of six pictures over a two-colour vertical gradient) with a
// centred caption, and one event, Click, raised when a mouse button is released over it or after
// a press on it. Which face shows follows the pointer, the focus and the Enabled property:
//   - the pointer coming over the button (a move, the pointer entering it, the button appearing
//     under it, or a press landing on it with no move before) gives the hover faces;
//   - the pointer leaving is found by polling every 100 ms, never from a leave notification;
//   - a press holds the pointer for the button until the release (Qt's implicit grab);
//   - presses, moves and releases on the caption act as on the face (the caption lets them
//     through);
//   - focus arriving shows the selected face, or the pressed face while the pointer is over it;
//   - no key raises Click.
// Its properties are stored in a PropertyBag the host keeps; a button can be made from one.
#pragma once

#include "PropertyBag.h"
#include "graphics/Image24.h"
#include "platform/PointerProbe.h"
#include "platform/QtPointerProbe.h"

#include <QFont>
#include <QLabel>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>

namespace quillaro {

class Command : public QWidget {
    Q_OBJECT
public:
    // Which look the pointer and the focus call for.
    enum class FaceState : std::uint8_t {
        Unset = 0,           // Initialize not called yet: no hover looks
        Normal = 1,          // no focus, pointer not over the button
        HighLight = 2,       // no focus, pointer over the button
        Selected = 3,        // focused, pointer not over the button
        HighLightSelect = 4, // focused, pointer over the button
    };
    // The six face pictures; HighLight and HighLightSelect are the same picture.
    enum class FacePicture { Normal, HighLight, Pressed, Disable, Selected, HighLightSelect };

    static constexpr int MouseInterval = 100; // ms between two looks for the pointer
    static constexpr int TwipsPerPixel = 15;
    static constexpr int CaptionHeight = 13; // px, whatever the button's height

    // A fresh instance, as the toolkit creates it: disabled, never set up (its first read of
    // Enabled sets it up), caption "Command", hover polling off. The pointer is Qt's unless a
    // test hands in its own.
    explicit Command(QWidget* parent = nullptr, PointerProbe& pointer = QtPointerProbe::instance());
    // An instance made from its stored properties, as the host makes it: the properties are read,
    // then the button takes the size stored under "_extentx" and "_extenty" (0.01 mm) and paints
    // the face for its Enabled.
    explicit Command(const PropertyBag& stored, QWidget* parent = nullptr,
                     PointerProbe& pointer = QtPointerProbe::instance());

    // --- The control's interface, in its order ---

    // Starts hover looks and the pointer polling; the dialog calls it once per button at load.
    void Initialize();
    // 255 while the face is shown (opaque background), 0 while only the caption is; any non-zero
    // value shows the face again. Reading it while shown repaints the Normal face.
    std::uint8_t Visible();
    void Visible(std::uint8_t value);
    // The caption's colour as 0x00BBGGRR. Reading or writing it repaints the Normal face; a
    // value with a non-zero top byte is no colour and leaves the colour as it was.
    std::uint32_t FontColour();
    void FontColour(std::uint32_t colour);
    // Whether the button reacts to pointer and focus and raises Click. Reading it sets up a
    // fresh instance and repaints the face; writing it repaints the face without changing which
    // look the pointer and focus call for. Qt's own setEnabled on this widget writes it too.
    bool Enabled();
    void Enabled(bool value);
    // The caption's text; writing it does not repaint the face.
    QString Caption() const;
    void Caption(const QString& text);
    // The caption's font.
    QFont Font() const;
    void Font(const QFont& font);

signals:
    void Click();

public:
    // --- The host's side ---

    // Reads the stored properties in order ("Enabled", "Caption", "Font", "FirstRun",
    // "FontColour", "Visible"), each with its default; a value that does not fit is skipped.
    void ReadProperties(const PropertyBag& bag);
    // Writes them ("Enabled", "Caption", "FirstRun", "Font", "FontColour", "Visible"); values
    // equal to their defaults are left out. Clears propertiesChanged().
    void WriteProperties(PropertyBag& bag);
    // Whether a property was written since the properties were last saved.
    bool propertiesChanged() const { return PropertiesChanged_; }

    // The bag the settings dialog keeps for one of its buttons: caption, font and size.
    static PropertyBag StoredInstance(const QString& caption, QSize size,
                                      const QFont& font = CaptionFont());
    // The caption font of the dialog's buttons: IPA P Gothic at 13 pixels (9.75 points at
    // 96 dpi), normal weight, set in pixels so that the layout does not follow the user's font
    // settings.
    static QFont CaptionFont();
    // A length in pixels as the host stores it (0.01 mm at 15 twips per pixel), and back.
    static int extentFromPixels(int pixels);
    static int pixelsFromExtent(int extent);

    // --- What the face shows, for tests and demonstrations ---

    FaceState state() const { return State_; }
    FacePicture lastPainted() const { return LastPainted_; }
    bool gradientReversed() const { return GradientReversed_ != 0; }
    bool mouseIsDown() const { return MouseIsDown_ != 0; }
    // The face as last painted, one pixel per pixel of the button.
    const Image24& face() const { return Face_; }
    const QLabel& LblMsg() const { return LblMsg_; }
    const QTimer& TmrMouse() const { return TmrMouse_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The frame's layout in twips from the last painting; a number that would leave the 16-bit
    // range keeps its earlier value.
    struct FaceLayout {
        std::int16_t edgeWidth = 0;  // top and bottom edges: W - 2 * border
        std::int16_t edgeHeight = 0; // left and right edges: H - 2 * border
        std::int16_t right = 0;      // left side of the right-hand pieces: W - border
        std::int16_t bottom = 0;     // top side of the bottom pieces: H - border
    };

    void PaintFace(FacePicture picture);
    void FillGradient();
    void LeaveHover();
    void ApplyEnabled();
    void RefreshFace();
    void TmrMouse_Timer();
    // The pointer has come over the button: the move row of the state machine.
    void PointerArrived();
    bool pointerOverButton();
    void PropertyChanged();
    void showCaptionColour();
    QFont ambientFont() const;

    PointerProbe& pointer_;
    QLabel LblMsg_;
    QTimer TmrMouse_;
    std::array<Image24, 6> Pictures_;

    std::int16_t Enabled_ = 0; // Boolean: -1 true, 0 false
    std::uint8_t FirstRun_ = 0;
    FaceState State_ = FaceState::Unset;
    std::int16_t MouseIsDown_ = 0;
    std::int16_t GradientReversed_ = 0;
    std::uint8_t BackStyle_ = 1; // 1 opaque: the face shows; 0 transparent: only the caption
    std::uint32_t FontColour_ = 0;

    Image24 Face_;
    FaceLayout Layout_;
    FacePicture LastPainted_ = FacePicture::Normal;
    bool PropertiesChanged_ = false;
};

} // namespace quillaro
