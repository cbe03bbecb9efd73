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
// The widget only turns Qt's events into CommandBehaviour's events and paints the faces that
// DrawCommandFace draws; CommandProperties reads and writes the stored properties.
#pragma once

#include "CommandBehaviour.h"
#include "CommandFace.h"
#include "PropertyBag.h"
#include "graphics/Image24.h"
#include "platform/PointerProbe.h"
#include "platform/QtPointerProbe.h"

#include <QFont>
#include <QLabel>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>

namespace quillaro {

struct CommandProperties;

class Command : public QWidget {
    Q_OBJECT
public:
    using FaceState = quillaro::FaceState;
    using FacePicture = quillaro::FacePicture;

    static constexpr int MouseInterval = 100; // ms between two looks for the pointer

    // A fresh instance, as the toolkit creates it: disabled, never set up (its first read of
    // Enabled by the host sets it up), caption "Command", hover polling off. The pointer is the
    // program's unless a test hands in its own.
    explicit Command(QWidget* parent = nullptr, PointerProbe& pointer = QtPointerProbe::instance());
    // An instance made from its stored properties, as the host makes it: the properties are read,
    // then the button takes the size stored under "_extentx" and "_extenty" (0.01 mm) and paints
    // the face for its Enabled.
    explicit Command(const PropertyBag& stored, QWidget* parent = nullptr,
                     PointerProbe& pointer = QtPointerProbe::instance());

    // --- The control's interface, in its order; the getters only read ---

    // Starts hover looks and the pointer polling; the dialog calls it once per button at load.
    void Initialize();
    // 255 while the face is shown (opaque background), 0 while only the caption is; any non-zero
    // value shows the face again.
    std::uint8_t Visible() const { return opaque_ ? 255 : 0; }
    void Visible(std::uint8_t value);
    // The caption's colour as 0x00BBGGRR. Writing it repaints the Normal face; a value with a
    // non-zero top byte is no colour and leaves the colour as it was.
    std::uint32_t FontColour() const { return fontColour_; }
    void FontColour(std::uint32_t colour);
    // Whether the button reacts to pointer and focus and raises Click. Writing it repaints the
    // face without changing which look the pointer and focus call for. Qt's own setEnabled on
    // this widget writes it too.
    bool Enabled() const { return state_.enabled; }
    void Enabled(bool value);
    // The caption's text; writing it does not repaint the face.
    QString Caption() const;
    void Caption(const QString& text);
    // The caption's font.
    QFont Font() const;
    void Font(const QFont& font);

    // --- The same properties read the way the host reads them: these reads repaint ---

    // Visible(), repainting the Normal face while the face is shown.
    std::uint8_t readVisible();
    // FontColour(), then the Normal face repainted whatever the look.
    std::uint32_t readFontColour();
    // Enabled(); the first read sets up a fresh instance (enabled from then on), and every read
    // repaints the face for Enabled.
    bool readEnabled();

signals:
    void Click();

public:
    // --- The host's side ---

    // Reads the stored properties (see CommandProperties::read), then repaints the Normal face.
    void ReadProperties(const PropertyBag& bag);
    // Writes them (see CommandProperties::write) and clears propertiesChanged().
    void WriteProperties(PropertyBag& bag);
    // Whether a property was written since the properties were last saved.
    bool propertiesChanged() const { return propertiesChanged_; }

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

    FaceState state() const { return state_.face; }
    FacePicture lastPainted() const { return lastPainted_; }
    bool gradientReversed() const { return gradientReversed_; }
    bool mouseIsDown() const { return state_.mouseIsDown; }
    // The face as last painted, one pixel per pixel of the button.
    const Image24& face() const { return face_; }
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
    // One event through the state machine: the new state, its face, then Click.
    void handle(CommandEvent event);
    void PaintFace(FacePicture picture);
    void ApplyEnabled();
    void RefreshFace();
    void TmrMouse_Timer();
    bool pointerOverButton();
    void showCaptionColour();
    QFont ambientFont() const;
    // The stored properties' values as the button holds them now.
    CommandProperties properties() const;

    PointerProbe& pointer_;
    QLabel LblMsg_;
    QTimer TmrMouse_;

    CommandState state_;
    std::uint8_t firstRun_ = 0;
    bool gradientReversed_ = false;
    bool opaque_ = true; // the face shows; else only the caption
    std::uint32_t fontColour_ = 0;

    Image24 face_;
    FaceLayout layout_;
    FacePicture lastPainted_ = FacePicture::Normal;
    bool propertiesChanged_ = false;
};

} // namespace quillaro
