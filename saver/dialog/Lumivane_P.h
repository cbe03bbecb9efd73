// The settings dialog: the saver's one window of any size, opened by /c. Borderless and modal,
// it wears its own artwork (a background, two textured panels, picture radio marks, the skinned
// Command buttons) and lets the user choose
//   - the picture: the desktop, or a picture file chosen with a file chooser and shown as a
//     68-pixel thumbnail;
//   - the music: none, an audio CD with a track to repeat, or an MP3 or WAV file.
// Every choice goes straight into the Settings record. "設定" saves all five settings in one
// replacement of the settings file and closes; "ｷｬﾝｾﾙ", or a close request from the window
// manager, closes without writing. It zooms out of the pointer's position when it opens and
// back into it when it closes. Escape and Enter do nothing: it has no default or cancel button.
#pragma once

#include "DialogLabel.h"
#include "PathLabel.h"
#include "PictureBox.h"
#include "button/Command.h"
#include "graphics/Image24.h"
#include "platform/FileChooser.h"
#include "platform/PointerProbe.h"
#include "platform/SaverServices.h"
#include "platform/ZoomEffect.h"
#include "settings/Settings.h"
#include "settings/SettingsLocation.h"

#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QUrl>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillaro {

// The dialog's title, never drawn, by which other instances know that it is open.
inline constexpr const char* SettingsDialogTitle = "<Quillaro>";
// What the link label opens: the home page when the build names one (a web address), else the
// README installed with the program as a local file; nothing when neither is known.
QUrl LinkTarget(std::string_view homePage, const std::string& readme);

class Lumivane_P : public QWidget {
    Q_OBJECT
public:
    // What the dialog asks of its platform, each behind its own seam.
    struct Platform {
        PointerProbe& pointer; // where the zoom starts; the buttons' hover polling
        ZoomEffect& zoom;
        FileChooser& files;
    };

    // The window's outer size in twips, and where it goes on the screen.
    static constexpr int WidthTwips = 5900;
    static constexpr int HeightTwips = 6000;
    // The top-left corner, in pixels, of the dialog on a screen of the given geometry: centred
    // across, a third of the free height down, reckoned in twips.
    static QPoint placement(const QRect& screen);

    // Creates every control, hidden; Form_Load fills them from the settings. The link label
    // opens link.
    Lumivane_P(Settings& settings, SettingsLocation location, Platform platform, QUrl link = {});
    ~Lumivane_P() override;

    // How Main hands the configuration over: the dialog on the real platform over the settings
    // LoadSettings filled, loaded and shown modally. Returns once it has been unloaded.
    static void showModal(SaverServices& services);
    // Loads the dialog, shows it modally and returns once it has been unloaded.
    void exec();

    void Form_Load();
    bool isUnloaded() const { return unloaded_; }

    // Draws the thumbnail of the file named by lbl_Pname into Display.
    void ShowPreview();

    // --- What a test looks at; every control also carries its name as its object name ---
    // In the X server's pixels, as the zoom takes it.
    const QPoint& ZoomPoint() const { return zoomPoint_; }
    const QPixmap& Img_Ra(int index) const { return imgRa_.at(static_cast<std::size_t>(index)); }
    const Image24& Pic_Dummy() const { return picDummy_; }
    const Image24& Pic_Mbl() const { return picMbl_; }
    const PictureBox& Display() const { return display_; }
    int textureTransfers() const { return textureTransfers_; }

signals:
    // The dialog has been unloaded.
    void unloaded();

protected:
    void paintEvent(QPaintEvent* event) override;
    // A close request from the window manager (or close()) unloads the dialog like "ｷｬﾝｾﾙ".
    void closeEvent(QCloseEvent* event) override;

private:
    // Plays the closing zoom; runs once, whatever closes the dialog.
    void Form_Unload();
    void Img_Cap_Click(int index);
    void Img_BGM_MouseDown(int index);
    void Cmd_Pic_Click();
    void Cmd_File_Click();
    void Cmd_Set_Click();
    void Cmd_Can_Click();
    void lbl_URL_Click();

    std::optional<std::string> chooseFile(const FileChoice& choice);
    void ZoomOpen();
    void ZoomClose();
    void showPictureSource();
    void placeLabel(QLabel& label, int x, int y, int w, int h, const char* text,
                    bool underlined = false);

    Settings& settings_;
    SettingsLocation location_;
    Platform platform_;
    QUrl link_;

    // Pictures the dialog draws with, kept off the screen.
    QPixmap background_;
    std::array<QPixmap, 2> imgRa_; // radio marks: 0 unselected, 1 selected
    QPixmap headingPlate_;
    Image24 picDummy_; // the chosen picture, as last loaded
    Image24 picMbl_;   // the panels' texture

    // The controls; a panel comes before its children, which it outlives.
    PictureBox picB_;
    QLabel image1_1_;
    DialogLabel lbl0_;
    std::array<DialogLabel, 2> imgCap_;
    std::array<DialogLabel, 2> lblCap_;
    Command cmdPic_;
    DialogLabel lbl3_;
    PictureBox display_;
    PathLabel lblPname_;

    PictureBox picC_;
    QLabel image1_0_;
    DialogLabel lbl15_;
    std::array<DialogLabel, 3> imgBgm_;
    std::array<DialogLabel, 3> lblBgm_;
    QComboBox bgmRepeat_;
    DialogLabel lbl14_;
    Command cmdFile_;
    PathLabel lblFname_;

    Command cmdSet_;
    Command cmdCan_;
    DialogLabel lbl7_;
    DialogLabel lblUrl_;

    QPoint zoomPoint_;
    int textureTransfers_ = 0;
    bool unloaded_ = false;
};

// What InitCommandButtons does to each Command button of a form.
enum class CommandButtonsSetup { Initialize, Enable, Disable };
// Walks the form's controls: each Command button gets Initialize, or its Enabled set. Other
// controls are left alone.
void InitCommandButtons(QWidget& form, CommandButtonsSetup setup);

} // namespace quillaro
