#include "Lumivane_P.h"

#include "Choosers.h"
#include "DialogDrawing.h"
#include "common/Utf8.h"
#include "graphics/EmbeddedPicture.h"
#include "graphics/PictureFile.h"
#include "platform/NativePixels.h"
#include "platform/Notices.h"
#include "platform/ProgramInfo.h"
#include "platform/QtFileChooser.h"
#include "platform/QtPointerProbe.h"
#include "platform/Twips.h"
#include "platform/XZoomEffect.h"
#include "settings/Conversions.h"
#include "settings/SettingsFile.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QUrl>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace quillaro {
namespace {

// Colours under the artwork.
constexpr QColor WindowColour{192, 192, 192};
constexpr Rgb PanelColour{224, 224, 224};
constexpr QColor White{255, 255, 255};
constexpr QColor LabelText{0, 0, 0};
constexpr QColor PathBorder{112, 120, 166};
// The empty holder the chosen picture is loaded into, before any picture has been.
constexpr int HolderWidth = 57;
constexpr int HolderHeight = 53;
constexpr Rgb HolderColour{212, 208, 200};

// The artwork, drawn by assets/DialogArtwork.cpp.
constexpr const char* BackgroundPicture = ":/dialog/Background.png";
constexpr const char* HeadingPlatePicture = ":/dialog/HeadingPlate.png";
constexpr const char* RadioPictures[] = {":/dialog/RadioOff.png", ":/dialog/RadioOn.png"};
constexpr const char* TexturePicture = ":/dialog/Texture.bmp";
constexpr const char* IconPicture = ":/dialog/WindowIcon.png";
constexpr const char* HandPicture = ":/dialog/PointingHand.png";
constexpr QPoint HandHotSpot{12, 10};

// Texts.
constexpr const char* PictureHeading = "写真の選択";
constexpr const char* CaptureTexts[] = {"ﾃﾞｽｸﾄｯﾌﾟ画面", "画像ﾌｧｲﾙを指定"};
constexpr const char* PreviewHeading = "<preview>";
constexpr const char* MusicHeading = "BGM";
constexpr const char* MusicTexts[] = {"なし", "音楽CD", "MP3、WAV"};
constexpr const char* RepeatText = "曲目をﾘﾋﾟｰﾄ";
constexpr const char* ChooseCaption = "...";
constexpr const char* SetCaption = "設定";
constexpr const char* CancelCaption = "ｷｬﾝｾﾙ";
constexpr const char* CreditText = "Quillaro Project  ver.1.0.0";
constexpr const char* LinkText = "Quillaro の CG ギャラリーへ";

// The chooser hands back at most this many characters; the settings file reads back more.
constexpr std::size_t MaxChosenPathCharacters = 254;

// The track box: the empty item, then 1 to 30.
constexpr int LastTrackItem = 30;
// The panel font of the music group (Tahoma 8.25 pt), which the track box takes.
constexpr const char* PanelFontFamily = "Tahoma";
constexpr int PanelFontPixels = 11;

enum Source { FromDesktop = 0, FromPictureFile = 1 };
enum Music { NoMusic = 0, MusicCd = 1, MusicFile = 2 };
constexpr int MusicKinds = 3;

int nearestPixel(long long twips) {
    return static_cast<int>(std::llround(static_cast<double>(twips) / TwipsPerPixel));
}

QString fromSettings(const std::string& text) {
    return QString::fromStdString(text);
}

// A number as the pattern "##" shows it: no leading zeros, nothing at all for 0.
QString trackText(int number) {
    return number == 0 ? QString() : QString::number(number);
}

// The track box's text as a track number: numeric text to the nearest integer (halves to the
// even one); anything else, the empty item included, and numbers beyond 16 bits, 0.
std::int16_t trackNumber(const QString& text) {
    const auto number = parseNumber(text.toStdString());
    if (!number)
        return 0;
    return roundToInt16(*number).value_or(0);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A path the settings file keeps and gives back unchanged: at most what the chooser hands back,
// on one line, without blanks at its ends or enclosing quotes, which reading strips.
bool settingsKeep(std::string_view path) {
    if (path.empty() || characterOffset(path, MaxChosenPathCharacters + 1) < path.size())
        return false;
    if (path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return false;
    if (isBlank(path.front()) || isBlank(path.back()))
        return false;
    const bool quoted = path.size() >= 2 && (path.front() == '"' || path.front() == '\'') &&
                        path.back() == path.front();
    return !quoted;
}

QFont labelFont() {
    return Command::CaptionFont();
}

// The pointer's position as the zoom keeps it, two 16-bit numbers; (0, 0) when it does not fit.
QPoint zoomPointFrom(QPoint pointer) {
    const auto fits = [](int v) {
        return v >= std::numeric_limits<std::int16_t>::min() &&
               v <= std::numeric_limits<std::int16_t>::max();
    };
    return fits(pointer.x()) && fits(pointer.y()) ? pointer : QPoint(0, 0);
}

} // namespace

void InitCommandButtons(QWidget& form, CommandButtonsSetup setup) {
    for (Command* button : form.findChildren<Command*>()) {
        if (setup == CommandButtonsSetup::Initialize)
            button->Initialize();
        else
            button->Enabled(setup == CommandButtonsSetup::Enable);
    }
}

QPoint Lumivane_P::placement(const QRect& screen) {
    const long long freeWidth = static_cast<long long>(screen.width()) * TwipsPerPixel - WidthTwips;
    const long long freeHeight =
        static_cast<long long>(screen.height()) * TwipsPerPixel - HeightTwips;
    // Whole twips, the remainder of the division dropped, then the nearest pixel.
    return screen.topLeft() + QPoint(nearestPixel(freeWidth / 2), nearestPixel(freeHeight / 3));
}

QUrl LinkTarget(std::string_view homePage, const std::string& readme) {
    if (!homePage.empty())
        return QUrl(QString::fromUtf8(homePage.data(), static_cast<qsizetype>(homePage.size())));
    if (!readme.empty())
        return QUrl::fromLocalFile(QFile::decodeName(readme.c_str()));
    return {};
}

Lumivane_P::Lumivane_P(Settings& settings, SettingsLocation location, Platform platform, QUrl link)
    : settings_(settings), location_(std::move(location)), platform_(platform),
      link_(std::move(link)),
      background_(BackgroundPicture), imgRa_{QPixmap(RadioPictures[0]), QPixmap(RadioPictures[1])},
      headingPlate_(HeadingPlatePicture), picDummy_(HolderWidth, HolderHeight, HolderColour),
      picMbl_(loadEmbeddedPicture(TexturePicture).value_or(Image24{})),
      picB_(this, "Pic_B", QColor(PanelColour.red, PanelColour.green, PanelColour.blue)),
      image1_1_(&picB_),
      lbl0_(&picB_, "lbl(0)"), imgCap_{{{&picB_, "Img_Cap(0)"}, {&picB_, "Img_Cap(1)"}}},
      lblCap_{{{&picB_, "lbl_Cap(0)"}, {&picB_, "lbl_Cap(1)"}}},
      cmdPic_(Command::StoredInstance(ChooseCaption, {29, 25}), &picB_, platform.pointer),
      lbl3_(&picB_, "lbl(3)"), display_(&picB_, "Display", White),
      lblPname_(&picB_, "lbl_Pname", PathBorder),
      picC_(this, "Pic_C", QColor(PanelColour.red, PanelColour.green, PanelColour.blue)),
      image1_0_(&picC_), lbl15_(&picC_, "lbl(15)"), imgBgm_{{{&picC_, "Img_BGM(0)"},
                                                             {&picC_, "Img_BGM(1)"},
                                                             {&picC_, "Img_BGM(2)"}}},
      lblBgm_{{{&picC_, "lbl_BGM(0)"}, {&picC_, "lbl_BGM(1)"}, {&picC_, "lbl_BGM(2)"}}},
      bgmRepeat_(&picC_), lbl14_(&picC_, "lbl(14)"),
      cmdFile_(Command::StoredInstance(ChooseCaption, {29, 25}), &picC_, platform.pointer),
      lblFname_(&picC_, "lbl_Fname", PathBorder),
      cmdSet_(Command::StoredInstance(SetCaption, {81, 25}), this, platform.pointer),
      cmdCan_(Command::StoredInstance(CancelCaption, {81, 25}), this, platform.pointer),
      lbl7_(this, "lbl(7)"), lblUrl_(this, "lbl_URL") {
    // The window: no frame, no caption bar, but a title all the same, which the single-instance
    // guard of other starts looks for.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(SettingsDialogTitle);
    setWindowIcon(QIcon(QPixmap(IconPicture)));
    setObjectName("Lumivane_P");
    setAttribute(Qt::WA_OpaquePaintEvent);

    // The picture group.
    picB_.setGeometry(20, 48, 353, 113);
    picB_.setPicture(Image24(353, 113, PanelColour));
    image1_1_.setObjectName("Image1(1)");
    image1_1_.setPixmap(headingPlate_);
    image1_1_.setGeometry(8, 16, 95, 22);
    placeLabel(lbl0_, 8, 20, 95, 13, PictureHeading);
    lbl0_.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    for (int i = 0; i < 2; ++i) {
        imgCap_[i].setGeometry(120, 20 + 16 * i, 13, 13);
        imgCap_[i].setAlignment(Qt::AlignLeft | Qt::AlignTop);
        placeLabel(lblCap_[i], 136, 20 + 16 * i, 0, 0, CaptureTexts[i]);
        connect(&imgCap_[i], &DialogLabel::Click, this, [this, i] { Img_Cap_Click(i); });
        connect(&lblCap_[i], &DialogLabel::Click, this, [this, i] { Img_Cap_Click(i); });
    }
    cmdPic_.setObjectName("Cmd_Pic");
    cmdPic_.move(236, 28);
    connect(&cmdPic_, &Command::Click, this, &Lumivane_P::Cmd_Pic_Click);
    placeLabel(lbl3_, 272, 16, 0, 0, PreviewHeading);
    display_.setGeometry(272, 32, 68, 68);
    placeLabel(lblPname_, 8, 56, 257, 45, "");

    // The music group.
    picC_.setGeometry(20, 168, 353, 149);
    picC_.setPicture(Image24(353, 149, PanelColour));
    QFont panelFont(PanelFontFamily);
    panelFont.setPixelSize(PanelFontPixels);
    picC_.setFont(panelFont);
    image1_0_.setObjectName("Image1(0)");
    image1_0_.setPixmap(headingPlate_);
    image1_0_.setGeometry(8, 16, 95, 22);
    placeLabel(lbl15_, 8, 20, 95, 13, MusicHeading);
    lbl15_.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    constexpr int markTops[MusicKinds] = {60, 44, 76}; // none, CD, file: the CD line is first
    for (int i = 0; i < MusicKinds; ++i) {
        imgBgm_[i].setGeometry(16, markTops[i], 13, 13);
        imgBgm_[i].setAlignment(Qt::AlignLeft | Qt::AlignTop);
        placeLabel(lblBgm_[i], 32, markTops[i], 0, 0, MusicTexts[i]);
        connect(&imgBgm_[i], &DialogLabel::MouseDown, this, [this, i] { Img_BGM_MouseDown(i); });
        connect(&lblBgm_[i], &DialogLabel::MouseDown, this, [this, i] { Img_BGM_MouseDown(i); });
    }
    bgmRepeat_.setObjectName("BGM_Repeat");
    bgmRepeat_.setEditable(true);
    bgmRepeat_.setInsertPolicy(QComboBox::NoInsert); // Enter adds nothing to the list
    bgmRepeat_.setCompleter(nullptr);                // the text is the user's, as typed
    bgmRepeat_.setGeometry(84, 40, 41, 20);
    QPalette white = bgmRepeat_.palette();
    white.setColor(QPalette::Base, White);
    bgmRepeat_.setPalette(white);
    placeLabel(lbl14_, 128, 44, 0, 0, RepeatText);
    cmdFile_.setObjectName("Cmd_File");
    cmdFile_.move(32, 92);
    connect(&cmdFile_, &Command::Click, this, &Lumivane_P::Cmd_File_Click);
    placeLabel(lblFname_, 64, 92, 277, 41, "");

    // The window's own controls.
    cmdSet_.setObjectName("Cmd_Set");
    cmdSet_.move(208, 328);
    connect(&cmdSet_, &Command::Click, this, &Lumivane_P::Cmd_Set_Click);
    cmdCan_.setObjectName("Cmd_Can");
    cmdCan_.move(292, 328);
    connect(&cmdCan_, &Command::Click, this, &Lumivane_P::Cmd_Can_Click);
    placeLabel(lbl7_, 20, 348, 0, 0, CreditText);
    placeLabel(lblUrl_, 20, 364, 0, 0, LinkText, true);
    lblUrl_.setCursor(QCursor(QPixmap(HandPicture), HandHotSpot.x(), HandHotSpot.y()));
    connect(&lblUrl_, &DialogLabel::Click, this, &Lumivane_P::lbl_URL_Click);
}

Lumivane_P::~Lumivane_P() = default;

// Labels with a size keep it; labels given none (0 x 0) size themselves to their text from
// their top-left corner.
void Lumivane_P::placeLabel(QLabel& label, int x, int y, int w, int h, const char* text,
                            bool underlined) {
    QFont font = labelFont();
    font.setUnderline(underlined);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, LabelText);
    label.setPalette(palette);
    label.setText(QString::fromUtf8(text));
    if (w > 0 && h > 0) {
        label.setGeometry(x, y, w, h);
    } else {
        label.move(x, y);
        label.adjustSize();
    }
}

void Lumivane_P::showModal(SaverServices& services) {
    XZoomEffect zoom;
    QtFileChooser files;
    Lumivane_P dialog(settings(), locateSettings(services.program.folder),
                      {QtPointerProbe::instance(), zoom, files},
                      LinkTarget(QUILLARO_HOME_PAGE, InstalledReadme(services.program.folder)));
    dialog.exec();
}

void Lumivane_P::exec() {
    Form_Load();
    setWindowModality(Qt::ApplicationModal);
    // The window itself holds the keyboard at first, so no button opens with the focused look;
    // a click still gives a button the focus.
    setFocus(Qt::OtherFocusReason);
    show();
    QEventLoop loop;
    connect(this, &Lumivane_P::unloaded, &loop, &QEventLoop::quit);
    loop.exec();
}

void Lumivane_P::Form_Load() {
    Settings& s = settings_;
    // 1, 2: the size, and the place on the primary screen.
    resize(nearestPixel(WidthTwips), nearestPixel(HeightTwips));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(placement(screen->geometry()));
    // 3
    InitCommandButtons(*this, CommandButtonsSetup::Initialize);
    // 4: drawn once, while the window is hidden; the panels keep it.
    textureTransfers_ = TileTexture(picB_.picture(), picMbl_);
    textureTransfers_ += TileTexture(picC_.picture(), picMbl_);
    picB_.update();
    picC_.update();
    // 5
    showPictureSource();
    // 6, 7, 8
    lblPname_.setText(fromSettings(s.ImageFile));
    ShowPreview();
    s.ImageFolder = ParentFolder(s.ImageFile);
    // 9, 10, 11, 12
    bgmRepeat_.setEnabled(false);
    for (DialogLabel& mark : imgBgm_)
        mark.setPixmap(imgRa_[0]);
    // A kind other than the three (a hand-edited file) selects no mark.
    if (s.BgmKind >= 0 && s.BgmKind < MusicKinds)
        imgBgm_[static_cast<std::size_t>(s.BgmKind)].setPixmap(imgRa_[1]);
    if (s.BgmKind == MusicCd)
        bgmRepeat_.setEnabled(true);
    cmdFile_.Enabled(s.BgmKind == MusicFile);
    // 13, 14: Qt makes the first item added the current one, which would replace the text.
    bgmRepeat_.setEditText(trackText(s.BgmRepeat));
    const QString shown = bgmRepeat_.currentText();
    for (int i = 0; i <= LastTrackItem; ++i)
        bgmRepeat_.addItem(trackText(i));
    bgmRepeat_.setEditText(shown);
    // 15
    lblFname_.setText(fromSettings(s.BgmFile));
    // 16
    zoomPoint_ = zoomPointFrom(nativePoint(platform_.pointer.position()));
    // 17, 18
    ZoomOpen();
    while (QGuiApplication::overrideCursor() != nullptr)
        QGuiApplication::restoreOverrideCursor();
}

void Lumivane_P::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    ZoomClose();
    emit unloaded();
}

void Lumivane_P::ShowPreview() {
    // The label shows ImageFile as text; the file is named by its bytes.
    const std::string& path = settings_.ImageFile;
    const bool named = !path.empty();
    const bool opens = FileExists(path);
    if (!(named && opens)) {
        display_.setPicture(Image24{});
        display_.resize(PreviewSide, PreviewSide);
        return;
    }
    // A file that is not a picture leaves the holder as it was.
    if (auto picture = loadPictureFile(path))
        picDummy_ = std::move(*picture);
    Thumbnail thumbnail = drawThumbnail(picDummy_);
    display_.resize(thumbnail.width, thumbnail.height);
    display_.setPicture(std::move(thumbnail.pixels));
}

// --- Handlers ---

void Lumivane_P::Img_Cap_Click(int index) {
    settings_.Capture = std::to_string(index);
    showPictureSource();
}

void Lumivane_P::Img_BGM_MouseDown(int index) {
    settings_.BgmKind = static_cast<std::int16_t>(index);
    cmdFile_.Enabled(false);
    bgmRepeat_.setEnabled(false);
    for (DialogLabel& mark : imgBgm_)
        mark.setPixmap(imgRa_[0]);
    imgBgm_[static_cast<std::size_t>(index)].setPixmap(imgRa_[1]);
    if (index == MusicCd)
        bgmRepeat_.setEnabled(true);
    if (index == MusicFile)
        cmdFile_.Enabled(true);
}

void Lumivane_P::Cmd_Pic_Click() {
    const std::optional<std::string> path = chooseFile(PictureChoice(
        settings_.ImageFile, settings_.ImageFolder, UserFolder(QStandardPaths::PicturesLocation),
        QImageReader::supportedImageFormats()));
    if (!path)
        return;
    settings_.ImageFile = *path;
    lblPname_.setText(fromSettings(settings_.ImageFile));
    settings_.ImageFolder = ParentFolder(settings_.ImageFile);
    ShowPreview();
}

void Lumivane_P::Cmd_File_Click() {
    const std::optional<std::string> path = chooseFile(MusicChoice(
        settings_.BgmFile, settings_.BgmFolder, UserFolder(QStandardPaths::MusicLocation)));
    if (!path)
        return;
    settings_.BgmFile = *path;
    lblFname_.setText(fromSettings(settings_.BgmFile));
    settings_.BgmFolder = ParentFolder(settings_.BgmFile);
}

// The path the user confirmed in a fresh chooser; nothing when the chooser was cancelled or the
// path is one the settings file could not keep.
std::optional<std::string> Lumivane_P::chooseFile(const FileChoice& choice) {
    std::optional<std::string> chosen = platform_.files.chooseFile(this, choice);
    if (!chosen || !settingsKeep(*chosen))
        return std::nullopt;
    return chosen;
}

void Lumivane_P::Cmd_Set_Click() {
    if (unloaded_) // a click that was waiting while the dialog closed
        return;
    Settings& s = settings_;
    s.BgmRepeat = trackNumber(bgmRepeat_.currentText());
    const std::string kind = std::to_string(s.BgmKind);
    const std::string repeat = std::to_string(s.BgmRepeat);
    // All five, whatever was chosen, in one replacement of the file. The picture path is the
    // one on show, which is ImageFile.
    const IniEntry entries[] = {
        {KeyCapture, s.Capture}, {KeyImageFile, s.ImageFile}, {KeyBgmKind, kind},
        {KeyBgmRepeat, repeat},  {KeyBgmFile, s.BgmFile},
    };
    auto saved = prepareSettingsFolder(location_);
    if (saved)
        saved = WriteIniStrings(SettingsSection, entries, location_.writeFile);
    if (!saved) // the user asked for this save: a failure is always told, not only when verbose
        reportProblem("the settings are not saved, the file stays as it was: " +
                      saved.error().message());
    close();
}

void Lumivane_P::Cmd_Can_Click() {
    close();
}

void Lumivane_P::lbl_URL_Click() {
    if (link_.isEmpty())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The desktop's opener (xdg-open on X11); a test catches it with setUrlHandler.
    QDesktopServices::openUrl(link_);
    QGuiApplication::restoreOverrideCursor();
}

// --- Drawing and the window ---

// The zoom draws on the root window, so both ends are in the server's pixels.
void Lumivane_P::ZoomOpen() {
    platform_.zoom.zoom(QRect(zoomPoint_, QSize(0, 0)), nativeRect(frameGeometry(), screen()));
}

void Lumivane_P::ZoomClose() {
    platform_.zoom.zoom(nativeRect(frameGeometry(), screen()), QRect(zoomPoint_, QSize(0, 0)));
}

// The mark of Capture's choice shows selected and the other one not; a Capture that is neither
// "0" nor "1" (a hand-edited file) selects no mark.
void Lumivane_P::showPictureSource() {
    const std::string& capture = settings_.Capture;
    const int chosen = capture == "0" ? FromDesktop : capture == "1" ? FromPictureFile : -1;
    for (int i = 0; i < 2; ++i)
        imgCap_[static_cast<std::size_t>(i)].setPixmap(imgRa_[i == chosen ? 1 : 0]);
}

void Lumivane_P::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), WindowColour);
    painter.drawPixmap(0, 0, background_);
}

void Lumivane_P::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}

} // namespace quillaro
