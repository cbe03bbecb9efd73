// The settings dialog driven as a user drives it, through its window on Qt's offscreen platform:
// clicks and presses on the radio marks and their captions, the track box, the buttons and the
// link, keys, and the window manager's close. Fakes stand in for the zoom, the file choosers,
// the URL opener and the pointer. Each test looks at what the user would see (marks, enabled
// controls, texts, the thumbnail) and at the settings file's bytes.
#include "dialog/Lumivane_P.h"

#include "FileText.h"
#include "TempDir.h"
#include "dialog/Choosers.h"
#include "dialog/DialogDrawing.h"
#include "graphics/QtImageConversion.h"
#include "platform/Notices.h"
#include "platform/ProgramInfo.h"
#include "platform/QtFileChooser.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <deque>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace quillaro;
using namespace quillaro::test;
namespace fs = std::filesystem;

namespace {

struct FakeZoom : ZoomEffect {
    std::vector<std::pair<QRect, QRect>> zooms;
    void zoom(const QRect& from, const QRect& to) override { zooms.emplace_back(from, to); }
};

// Answers each chooser with the next answer queued (nothing: cancelled) and keeps what it showed.
struct FakeChooser : FileChooser {
    std::vector<FileChoice> shown;
    std::deque<std::optional<std::string>> answers;
    std::optional<std::string> chooseFile(QWidget*, const FileChoice& choice) override {
        shown.push_back(choice);
        if (answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Takes the desktop's place for web addresses while it lives, and keeps the addresses and the
// application's pointer at the moment each was opened.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QString> opened;
    std::vector<Qt::CursorShape> pointerMeanwhile;
    UrlCatcher() {
        for (const char* scheme : {"https", "file"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlCatcher() override {
        for (const char* scheme : {"https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
public slots:
    void open(const QUrl& url) {
        opened.push_back(url.toString(QUrl::FullyEncoded));
        const QCursor* cursor = QGuiApplication::overrideCursor();
        pointerMeanwhile.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
    }
};

struct FakePointer : PointerProbe {
    QPoint at{500, 400};
    QWidget* under = nullptr;
    QPoint position() override { return at; }
    QWidget* widgetAt(QPoint) override { return under; }
};

fs::path picture(const fs::path& folder, const std::string& name, int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(colour);
    const fs::path file = folder / name;
    if (!image.save(QString::fromStdString(file.string())))
        throw std::runtime_error("cannot write " + file.string());
    return file;
}

std::string fiveKeys(const std::string& capture, const std::string& image, int kind, int repeat,
                     const std::string& music) {
    return "ｷｬﾌﾟﾁｬｰ=" + capture + "\n画像ﾌｧｲﾙ=" + image + "\nBGM区分=" + std::to_string(kind) +
           "\nBGMﾘﾋﾟｰﾄ=" + std::to_string(repeat) + "\nBGMﾌｧｲﾙ=" + music + "\n";
}

std::int64_t modifiedNanoseconds(const fs::path& file) {
    struct stat info {};
    stat(file.c_str(), &info);
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

class Dialog : public ::testing::Test {
protected:
    TempDir dir;
    fs::path ini = dir / "Quillaro.ini";
    Settings s; // as LoadSettings leaves it without a settings file
    FakeZoom zoom;
    FakeChooser files;
    FileChooser* chooser = &files; // the one the next open() gives the dialog
    UrlCatcher urls;
    FakePointer pointer;
    QUrl link;
    std::unique_ptr<Lumivane_P> dialog;

    void SetUp() override {
        s.Capture = "0";
        s.ImageFolder = s.BgmFolder = dir.path().string();
    }

    Lumivane_P& open(SettingsLocation location = {}) {
        if (location.writeFile.empty())
            location.readFile = location.writeFile = ini.string();
        // The widget the pointer was over belongs to the dialog this one replaces.
        dialog.reset();
        pointer.under = nullptr;
        dialog = std::make_unique<Lumivane_P>(s, location,
                                              Lumivane_P::Platform{pointer, zoom, *chooser}, link);
        dialog->Form_Load();
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            throw std::runtime_error("the dialog never showed");
        return *dialog;
    }

    template <class T = QWidget> T& control(const char* name) {
        T* found = dialog->findChild<T*>(name);
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return *found;
    }
    QPoint middleOf(const char* name) {
        QWidget& w = control(name);
        return w.mapTo(dialog.get(), w.rect().center());
    }
    // A press and release at the middle of a control, through the window as the user's pointer
    // gives it; the buttons' hover polling finds the pointer where Qt does.
    void click(const char* name, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint at = middleOf(name);
        pointer.under = dialog->childAt(at);
        QTest::mouseClick(dialog->windowHandle(), button, {}, at);
    }
    void press(const char* name, Qt::MouseButton button) {
        const QPoint at = middleOf(name);
        QTest::mousePress(dialog->windowHandle(), button, {}, at);
        QTest::mouseRelease(dialog->windowHandle(), button, {}, QPoint(2, 2)); // off the control
    }
    // Which mark of a group shows the selected picture: -1 for none, -2 for several.
    int selectedMark(const char* group, int count) {
        int selected = -1;
        for (int i = 0; i < count; ++i) {
            const std::string name = std::string(group) + "(" + std::to_string(i) + ")";
            const QPixmap shown = control<QLabel>(name.c_str()).pixmap();
            const bool on = shown.cacheKey() == dialog->Img_Ra(1).cacheKey();
            if (!on && shown.cacheKey() != dialog->Img_Ra(0).cacheKey())
                return -3; // neither picture
            if (on)
                selected = selected == -1 ? i : -2;
        }
        return selected;
    }
    bool musicChooserEnabled() { return control<Command>("Cmd_File").Enabled(); }
    bool trackBoxEnabled() { return control<QComboBox>("BGM_Repeat").isEnabled(); }
    QString displayed(const char* label) { return control<QLabel>(label).text(); }
    QSize preview() { return dialog->Display().size(); }
};

} // namespace

TEST_F(Dialog, LaysOutEveryControlWithItsTextAndFont) {
    Lumivane_P& d = open();
    EXPECT_EQ(d.windowTitle(), "<Quillaro>");
    EXPECT_TRUE(d.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(d.size(), QSize(393, 400));
    EXPECT_EQ(d.windowIcon().pixmap(32, 32).size(), QSize(32, 32));

    // The rules the layout keeps: each control inside its parent, no two siblings overlapping
    // (but a heading's text on its plate), every label whole in the dialog's font.
    const std::map<std::string, const char*> texts = {{"lbl(0)", "写真の選択"},
                                                      {"lbl_Cap(0)", "ﾃﾞｽｸﾄｯﾌﾟ画面"},
                                                      {"lbl_Cap(1)", "画像ﾌｧｲﾙを指定"},
                                                      {"lbl(3)", "<preview>"},
                                                      {"lbl(15)", "BGM"},
                                                      {"lbl_BGM(1)", "音楽CD"},
                                                      {"lbl(14)", "曲目をﾘﾋﾟｰﾄ"},
                                                      {"lbl_BGM(0)", "なし"},
                                                      {"lbl_BGM(2)", "MP3、WAV"}};
    std::vector<QWidget*> placed;
    for (QWidget* w : d.findChildren<QWidget*>()) {
        const std::string name = w->objectName().toStdString();
        const QWidget* parent = w->parentWidget();
        if (name.empty() ||
            (parent != &d && parent->objectName() != "Pic_B" && parent->objectName() != "Pic_C"))
            continue; // a part of a Qt control, not one of the dialog's
        SCOPED_TRACE(name);
        EXPECT_TRUE(parent->rect().contains(w->geometry()));
        for (const QWidget* other : placed) {
            const bool heading =
                name.starts_with("lbl(") && other->objectName().startsWith("Image1");
            if (other->parentWidget() == parent && !heading) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << other->objectName().toStdString();
            }
        }
        placed.push_back(w);
        if (auto* label = qobject_cast<QLabel*>(w); label && name[0] == 'l') {
            if (texts.count(name)) {
                EXPECT_EQ(label->text(), QString::fromUtf8(texts.at(name)));
            }
            if (!label->wordWrap()) {
                EXPECT_GE(label->width(), label->sizeHint().width()); // its text fits
            }
            EXPECT_EQ(label->font().family(), "IPAPGothic");
            EXPECT_EQ(label->font().pixelSize(), 13);
            EXPECT_FALSE(label->autoFillBackground()); // the panel shows through
            EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        }
    }
    EXPECT_EQ(placed.size(), 28u);
    EXPECT_TRUE(control<QLabel>("lbl(7)").text().endsWith("ver.1.0.0"));
    for (const char* heading : {"lbl(0)", "lbl(15)"})
        EXPECT_EQ(control<QLabel>(heading).alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    for (const char* path : {"lbl_Pname", "lbl_Fname"})
        EXPECT_TRUE(control<QLabel>(path).wordWrap());
    const QLabel& link = control<QLabel>("lbl_URL");
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(link.cursor().hotSpot(), QPoint(12, 10));
    EXPECT_EQ(link.cursor().pixmap().size(), QSize(32, 32));
    for (const char* button : {"Cmd_Pic", "Cmd_File", "Cmd_Set", "Cmd_Can"})
        EXPECT_EQ(control<Command>(button).Font().pixelSize(), 13) << button;
    EXPECT_EQ(control<Command>("Cmd_Set").Caption(), "設定");
    EXPECT_EQ(control<Command>("Cmd_Can").Caption(), "ｷｬﾝｾﾙ");
    EXPECT_EQ(control<Command>("Cmd_Pic").Caption(), "...");
}

TEST_F(Dialog, StandsCentredAcrossAndAThirdDownReckonedInTwips) {
    EXPECT_EQ(Lumivane_P::placement({0, 0, 1024, 768}), QPoint(315, 123)); // 4730, 1840 twips
    EXPECT_EQ(Lumivane_P::placement({0, 0, 1920, 1080}), QPoint(763, 227));
    EXPECT_EQ(Lumivane_P::placement({1920, 0, 800, 600}), QPoint(1920 + 203, 67));
    EXPECT_EQ(Lumivane_P::placement({0, 0, 320, 240}), QPoint(-37, -53)); // a screen too small
}

TEST_F(Dialog, LoadShowsTheSettingsAndZoomsOutOfThePointer) {
    const fs::path photo = picture(dir.path(), "photo.png", 640, 480, QColor(200, 30, 40));
    s.Capture = "1";
    s.ImageFile = photo.string();
    s.BgmKind = 1;
    s.BgmRepeat = 7;
    s.BgmFile = "/music/a.mp3";
    QGuiApplication::setOverrideCursor(Qt::WaitCursor); // left over from before: cleared
    pointer.at = {640, 480};
    Lumivane_P& d = open();

    EXPECT_EQ(selectedMark("Img_Cap", 2), 1);
    EXPECT_EQ(displayed("lbl_Pname"), QString::fromStdString(photo.string()));
    EXPECT_EQ(preview(), QSize(68, 51));
    EXPECT_EQ(d.Display().picture().pixel(30, 30), (Rgb{200, 30, 40}));
    EXPECT_EQ(s.ImageFolder, dir.path().string());
    EXPECT_EQ(selectedMark("Img_BGM", 3), 1);
    EXPECT_TRUE(trackBoxEnabled());
    EXPECT_FALSE(musicChooserEnabled());
    const QComboBox& track = control<QComboBox>("BGM_Repeat");
    EXPECT_EQ(track.currentText(), "7");
    ASSERT_EQ(track.count(), 31);
    EXPECT_EQ(track.itemText(0), "");
    EXPECT_EQ(track.itemText(1), "1");
    EXPECT_EQ(track.itemText(30), "30");
    EXPECT_EQ(displayed("lbl_Fname"), "/music/a.mp3");

    // Both panels wear the texture from their top-left corner: 14 and 18 copies.
    EXPECT_EQ(d.textureTransfers(), 32);
    for (const char* panel : {"Pic_B", "Pic_C"}) {
        const Image24& pixels = control<PictureBox>(panel).picture();
        EXPECT_EQ(pixels.pixel(300, 47), d.Pic_Mbl().pixel(300, 7)) << panel;
    }
    EXPECT_EQ(d.ZoomPoint(), QPoint(640, 480));
    ASSERT_EQ(zoom.zooms.size(), 1u);
    EXPECT_EQ(zoom.zooms[0], std::make_pair(QRect(640, 480, 0, 0), d.frameGeometry()));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Runs in Lumivane_PTestAtScaleTwo, where Qt's pixels are two of the X server's each way.
TEST_F(Dialog, AtScaleTwoZoomsBetweenThePointerAndTheFrameInTheServersPixels) {
    if (qApp->devicePixelRatio() != 2)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    pointer.at = {100, 50};
    Lumivane_P& d = open();
    const QRect frame = d.frameGeometry();
    const QRect onServer(frame.topLeft() * 2, frame.size() * 2);
    ASSERT_EQ(zoom.zooms.size(), 1u);
    EXPECT_EQ(zoom.zooms[0], std::make_pair(QRect(200, 100, 0, 0), onServer));
    click("Cmd_Can");
    ASSERT_EQ(zoom.zooms.size(), 2u);
    EXPECT_EQ(zoom.zooms[1], std::make_pair(onServer, QRect(200, 100, 0, 0)));
}

TEST_F(Dialog, DesktopAndNoMusicShowABlankPreviewAndAnEmptyTrackBox) {
    s.ImageFile = "";
    s.BgmKind = 0;
    pointer.at = {70000, 10}; // beyond 16 bits: the zoom starts at the corner
    Lumivane_P& d = open();
    EXPECT_EQ(selectedMark("Img_Cap", 2), 0);
    EXPECT_EQ(displayed("lbl_Pname"), "");
    EXPECT_EQ(preview(), QSize(68, 68));
    EXPECT_TRUE(d.Display().picture().empty()); // white box, nothing drawn
    EXPECT_EQ(d.Display().background(), QColor(Qt::white));
    EXPECT_EQ(s.ImageFolder, ""); // the folder of no picture
    EXPECT_EQ(selectedMark("Img_BGM", 3), 0);
    EXPECT_FALSE(trackBoxEnabled());
    EXPECT_FALSE(musicChooserEnabled());
    EXPECT_EQ(control<QComboBox>("BGM_Repeat").currentText(), "");
    EXPECT_EQ(d.ZoomPoint(), QPoint(0, 0));
}

TEST_F(Dialog, HandEditedChoicesSelectNoMarkAndEnableNothing) {
    for (const char* capture : {"5", "-1", "", "01"}) {
        for (std::int16_t kind : {std::int16_t{3}, std::int16_t{-1}, std::int16_t{32767}}) {
            SCOPED_TRACE(std::string(capture) + " / " + std::to_string(kind));
            s.Capture = capture;
            s.BgmKind = kind;
            open();
            EXPECT_EQ(selectedMark("Img_Cap", 2), -1);
            EXPECT_EQ(selectedMark("Img_BGM", 3), -1);
            EXPECT_FALSE(trackBoxEnabled());
            EXPECT_FALSE(musicChooserEnabled());
        }
    }
    // A mark chosen by hand then works as always.
    click("lbl_Cap(1)");
    EXPECT_EQ(selectedMark("Img_Cap", 2), 1);
    EXPECT_EQ(s.Capture, "1");
}

TEST_F(Dialog, PictureRadiosAnswerALeftClickMusicRadiosAnyPress) {
    open();
    click("lbl_Cap(1)", Qt::RightButton); // not a click
    EXPECT_EQ(s.Capture, "0");
    press("Img_Cap(1)", Qt::LeftButton); // released elsewhere: no click
    EXPECT_EQ(s.Capture, "0");
    click("lbl_Cap(1)");
    EXPECT_EQ(s.Capture, "1");
    EXPECT_EQ(selectedMark("Img_Cap", 2), 1);
    click("Img_Cap(0)");
    EXPECT_EQ(s.Capture, "0");
    EXPECT_EQ(selectedMark("Img_Cap", 2), 0);

    // The music radios take the press of any button, wherever it is released; exactly one of
    // the track box and the music chooser is usable, or neither.
    press("lbl_BGM(1)", Qt::RightButton);
    EXPECT_EQ(s.BgmKind, 1);
    EXPECT_EQ(selectedMark("Img_BGM", 3), 1);
    EXPECT_TRUE(trackBoxEnabled());
    EXPECT_FALSE(musicChooserEnabled());
    press("Img_BGM(2)", Qt::MiddleButton);
    EXPECT_EQ(s.BgmKind, 2);
    EXPECT_EQ(selectedMark("Img_BGM", 3), 2);
    EXPECT_FALSE(trackBoxEnabled());
    EXPECT_TRUE(musicChooserEnabled());
    press("lbl_BGM(0)", Qt::LeftButton);
    EXPECT_EQ(s.BgmKind, 0);
    EXPECT_EQ(selectedMark("Img_BGM", 3), 0);
    EXPECT_FALSE(trackBoxEnabled());
    EXPECT_FALSE(musicChooserEnabled());
}

TEST_F(Dialog, PictureChooserReplacesThePreviewAndCancellingChangesNothing) {
    Lumivane_P& d = open();
    // A file that is no picture, before any picture: drawn from the empty 57 x 53 holder.
    const fs::path notes = dir / "notes.jpg";
    writeFile(notes, "not a picture");
    files.answers = {notes.string()};
    click("Cmd_Pic");
    EXPECT_EQ(preview(), QSize(68, 63));
    EXPECT_EQ(d.Pic_Dummy().width(), 57);

    const fs::path tall = picture(dir.path(), "tall.jpg", 480, 640, QColor(10, 200, 10));
    files.answers = {tall.string()};
    click("Cmd_Pic");
    ASSERT_EQ(files.shown.size(), 2u);
    EXPECT_EQ(files.shown[0].title, "ﾌｧｲﾙを開く");
    EXPECT_EQ(files.shown[0].filters.at(0).name, "画像ﾌｧｲﾙ (BMP JPG)");
    EXPECT_EQ(files.shown[0].initialFolder,
              UserFolder(QStandardPaths::PicturesLocation).toStdString());
    EXPECT_EQ(files.shown[1].initialFolder, dir.path().string());
    EXPECT_EQ(s.ImageFile, tall.string());
    EXPECT_EQ(displayed("lbl_Pname"), QString::fromStdString(tall.string()));
    EXPECT_EQ(preview(), QSize(51, 68));
    EXPECT_EQ(s.Capture, "0"); // choosing a file does not choose the file as the source
    EXPECT_EQ(selectedMark("Img_Cap", 2), 0);

    // A second picture replaces the first, enlarged; a file that is no picture is drawn from
    // the picture before it.
    const fs::path sub = dir / "sub";
    fs::create_directories(sub);
    const fs::path wide = picture(sub, "wide.bmp", 34, 17, QColor(0, 0, 250));
    const fs::path text = sub / "notes.JPG";
    writeFile(text, "not a picture");
    files.answers = {wide.string(), text.string()};
    click("Cmd_Pic");
    EXPECT_EQ(preview(), QSize(68, 34));
    EXPECT_EQ(s.ImageFolder, sub.string());
    const Image24 wideThumbnail = d.Display().picture();
    click("Cmd_Pic");
    EXPECT_EQ(files.shown[3].initialFolder, sub.string());
    EXPECT_EQ(s.ImageFile, text.string());
    EXPECT_EQ(preview(), QSize(68, 34));
    EXPECT_EQ(d.Display().picture(), wideThumbnail);

    // Cancelled: path, label, folder and preview stay.
    click("Cmd_Pic");
    EXPECT_EQ(files.shown.size(), 5u);
    EXPECT_EQ(s.ImageFile, text.string());
    EXPECT_EQ(displayed("lbl_Pname"), QString::fromStdString(text.string()));
    EXPECT_EQ(s.ImageFolder, sub.string());
    EXPECT_EQ(d.Display().picture(), wideThumbnail);

    // A name that does not exist is taken as chosen: the preview is the blank box.
    files.answers = {(sub / "new.jpg").string()};
    click("Cmd_Pic");
    EXPECT_EQ(s.ImageFile, (sub / "new.jpg").string());
    EXPECT_EQ(preview(), QSize(68, 68));
    EXPECT_TRUE(d.Display().picture().empty());
}

namespace {

// Picks the entry the next chooser lists as text, as a user would by keyboard: the list takes
// the focus, the entry becomes current, Enter confirms. Escape when it is not listed.
void pickFromNextChooser(const QString& text) {
    QTimer::singleShot(0, [text] {
        QWidget* chooser = QApplication::activeModalWidget();
        ASSERT_NE(chooser, nullptr);
        auto* list = chooser->findChild<QListWidget*>("fileList");
        QList<QListWidgetItem*> found;
        if (!list || !QTest::qWaitFor([&] {
                return !(found = list->findItems(text, Qt::MatchExactly)).isEmpty();
            })) {
            ADD_FAILURE() << "the chooser does not list " << text.toStdString();
            QTest::keyClick(chooser, Qt::Key_Escape);
            return;
        }
        list->setFocus();
        list->setCurrentItem(found.front());
        QTest::keyClick(list, Qt::Key_Return);
    });
}

} // namespace

TEST_F(Dialog, APictureNamedInLatin1IsPickedInTheChooserSavedAndLoadedByteForByte) {
    const fs::path folder = dir / "f\xf6to";
    fs::create_directories(folder);
    const fs::path raw = folder / "caf\xe9.jpg";
    fs::rename(picture(dir.path(), "made.jpg", 40, 20, QColor(200, 10, 10)), raw);
    // The chooser opens in the folder of the picture chosen before, whose name is no UTF-8 either.
    s.ImageFile = (folder / "gone.jpg").string();
    s.ImageFolder = folder.string();
    QtFileChooser real;
    chooser = &real;

    open();
    pickFromNextChooser(QString::fromUtf8("caf\uFFFD.jpg"));
    click("Cmd_Pic");
    EXPECT_EQ(s.ImageFile, raw.string());
    EXPECT_EQ(s.ImageFolder, folder.string());
    EXPECT_EQ(preview(), QSize(68, 34)); // the picture, not the blank box of a missing file
    click("lbl_Cap(1)");
    click("Cmd_Set");
    EXPECT_NE(readFile(ini).find("\n画像ﾌｧｲﾙ=" + raw.string() + "\n"), std::string::npos);

    // The next load reads it back as it is; SaverRunTest runs such a file.
    LoadSettings(dir.path().string());
    EXPECT_EQ(settings().ImageFile, raw.string());
    EXPECT_EQ(settings().Capture, "1");
}

TEST_F(Dialog, PathsTheSettingsFileCouldNotGiveBackCountAsCancelled) {
    s.BgmKind = 2;
    s.BgmFile = "/music/kept.mp3";
    open();
    // 254 characters, most of them three bytes long, is the longest path kept.
    const QString folder = QString::fromStdString(dir.path().string()) + "/";
    const QString longest = folder + QString(254 - folder.size() - 4, QChar(0x97F3)) + ".mp3";
    ASSERT_EQ(longest.size(), 254);
    const QString tooLong = folder + QString(255 - folder.size() - 4, QChar(0x97F3)) + ".mp3";
    for (const QString& refused :
         {tooLong, folder + "a\nb.mp3", folder + "a\rb.mp3", folder + "trailing.mp3 ", QString()}) {
        files.answers = {refused.toStdString()};
        click("Cmd_File");
        EXPECT_EQ(s.BgmFile, "/music/kept.mp3") << refused.toStdString();
        EXPECT_EQ(displayed("lbl_Fname"), "/music/kept.mp3");
        EXPECT_EQ(s.BgmFolder, dir.path().string());
    }
    files.answers = {longest.toStdString()};
    click("Cmd_File");
    ASSERT_EQ(files.shown.back().title, "ﾌｧｲﾙを開く");
    EXPECT_EQ(files.shown.back().filters.at(0).name, "BGMﾌｧｲﾙ (MP3 WAV)");
    EXPECT_EQ(s.BgmFile, longest.toStdString());
    EXPECT_EQ(displayed("lbl_Fname"), longest);
    EXPECT_EQ(s.BgmFolder, dir.path().string());
    EXPECT_EQ(s.BgmKind, 2); // the kind is the radio's business

    // What is kept is written whole.
    click("Cmd_Set");
    EXPECT_NE(readFile(ini).find("\nBGMﾌｧｲﾙ=" + longest.toStdString() + "\n"), std::string::npos);

    // The music chooser does not open while another kind is chosen.
    s.BgmKind = 1;
    open();
    const std::size_t asked = files.shown.size();
    click("Cmd_File");
    EXPECT_EQ(files.shown.size(), asked);
}

TEST_F(Dialog, SettingWritesTheFiveKeysInOrderFromNoFileAndMakesTheUsersFolder) {
    Lumivane_P& d = open();
    click("Cmd_Set");
    EXPECT_EQ(readFile(ini), "[Section]\n" + fiveKeys("0", "", 0, 0, ""));
    EXPECT_TRUE(d.isUnloaded());
    EXPECT_FALSE(d.isVisible());
    ASSERT_EQ(zoom.zooms.size(), 2u); // out of the pointer, then back into it
    EXPECT_EQ(zoom.zooms[1], std::make_pair(d.frameGeometry(), QRect(500, 400, 0, 0)));

    // Where the program's folder cannot be written, the user's own folder is made first.
    const fs::path personal = dir / "config" / "quillaro";
    open({ini.string(), (personal / "Quillaro.ini").string(), personal.string()});
    click("Cmd_Set");
    EXPECT_EQ(readFile(personal / "Quillaro.ini"), "[Section]\n" + fiveKeys("0", "", 0, 0, ""));
    EXPECT_EQ(fs::status(personal).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(Dialog, SettingAfterChangesEditsTheFileAsFiveSingleWritesWould) {
    const std::string before = "; Quillaro settings, kept by hand\n"
                               "[Other]\nkey=1\n\n"
                               "[Section]\n"
                               "; the music\n"
                               "BGMﾌｧｲﾙ=/old/music.wav\n"
                               "ｷｬﾌﾟﾁｬｰ=0\n\n"
                               "[Last]\nx=y\n";
    writeFile(ini, before);
    const fs::path photo = picture(dir.path(), "photo.JPG", 64, 48, Qt::red);
    s.BgmFile = "/old/music.wav";
    open();
    click("lbl_Cap(1)");
    files.answers = {photo.string()};
    click("Cmd_Pic");
    press("lbl_BGM(1)", Qt::LeftButton);
    QLineEdit* text = control<QComboBox>("BGM_Repeat").lineEdit();
    text->selectAll();
    QTest::keyClicks(text, "2.5");
    click("Cmd_Set");

    const fs::path expected = dir / "expected.ini";
    writeFile(expected, before);
    for (const auto& [key, value] :
         std::vector<std::pair<const char*, std::string>>{{KeyCapture, "1"},
                                                          {KeyImageFile, photo.string()},
                                                          {KeyBgmKind, "1"},
                                                          {KeyBgmRepeat, "2"},
                                                          {KeyBgmFile, "/old/music.wav"}})
        WriteIniString("Section", key, value, expected.string());
    EXPECT_EQ(readFile(ini), readFile(expected));
    EXPECT_NE(
        readFile(ini).find("[Section]\n; the music\nBGMﾌｧｲﾙ=/old/music.wav\nｷｬﾌﾟﾁｬｰ=1\n画像ﾌｧｲﾙ="),
        std::string::npos);
    EXPECT_EQ(s.BgmRepeat, 2);
}

TEST_F(Dialog, TrackBoxTextIsSavedAsTheNearestWholeNumberOrZero) {
    const std::pair<const char*, int> typed[] = {
        {"7", 7},           {"abc", 0},   {"", 0},      {"2.5", 2},
        {"3.5", 4},         {" 12 ", 12}, {"40000", 0}, {"-32768", -32768},
        {"32767.4", 32767}, {"1e1", 10},
    };
    s.BgmKind = 1;
    for (const auto& [text, saved] : typed) {
        fs::remove(ini);
        open();
        QLineEdit* edit = control<QComboBox>("BGM_Repeat").lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return); // adds nothing to the list
        EXPECT_EQ(control<QComboBox>("BGM_Repeat").count(), 31) << text;
        click("Cmd_Set");
        EXPECT_EQ(ReadIniString("Section", "BGMﾘﾋﾟｰﾄ", ini.string()), std::to_string(saved))
            << "typed '" << text << "'";
    }
    // Picked from the list, as the user picks it.
    fs::remove(ini);
    open();
    QComboBox& track = control<QComboBox>("BGM_Repeat");
    track.setFocus();
    for (int i = 0; i < 40; ++i) // down the list to its last item
        QTest::keyClick(&track, Qt::Key_Down);
    EXPECT_EQ(track.currentText(), "30");
    click("Cmd_Set");
    EXPECT_EQ(ReadIniString("Section", "BGMﾘﾋﾟｰﾄ", ini.string()), "30");
}

TEST_F(Dialog, AFailedSaveLeavesTheFileWholeAndStillCloses) {
    const std::string before = "[Other]\nkey=1\n[Section]\n" + fiveKeys("0", "", 0, 0, "");
    writeFile(ini, before);
    Lumivane_P& d = open();
    click("lbl_Cap(1)");
    files.answers = {(dir / std::string(200, 'p')).string() + ".jpg"};
    click("Cmd_Pic");

    // A file size limit lets the first key's change through but not the long path, as a
    // nearly full disk would: written key by key, the file would end half old, half new.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit tight{before.size() + 20, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &tight);
    unsetenv(VerboseVariable); // said whether or not the user asked for the fallbacks
    int pipeEnds[2];           // not a file, so the size limit leaves standard error alone
    ASSERT_EQ(pipe(pipeEnds), 0);
    const int standardError = dup(2);
    dup2(pipeEnds[1], 2);
    click("Cmd_Set");
    dup2(standardError, 2);
    close(standardError);
    close(pipeEnds[1]);
    char told[1024] = {};
    (void)!read(pipeEnds[0], told, sizeof told - 1);
    close(pipeEnds[0]);
    setrlimit(RLIMIT_FSIZE, &old);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(readFile(ini), before);
    EXPECT_EQ(std::string(told),
              "Quillaro.scr: the settings are not saved, the file stays as it was: cannot "
              "write the new content of " +
                  ini.string() + ": " + std::strerror(EFBIG) + "\n");
    EXPECT_TRUE(d.isUnloaded());
    EXPECT_FALSE(d.isVisible());
}

TEST_F(Dialog, CancelEscapeEnterAndTheWindowManagersCloseWriteNothing) {
    const std::string before = "[Section]\n" + fiveKeys("0", "", 2, 0, "/m.mp3");
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "ｷｬﾝｾﾙ" : "window manager");
        writeFile(ini, before);
        const utimbuf old{1000000000, 1000000000};
        utime(ini.c_str(), &old);
        const std::int64_t stamp = modifiedNanoseconds(ini);
        s.BgmKind = 2;
        Lumivane_P& d = open();
        click("lbl_Cap(1)");
        press("lbl_BGM(1)", Qt::LeftButton);
        // Neither key does anything: no default button, no cancel button.
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(d.windowHandle(), key);
            control<QComboBox>("BGM_Repeat").setFocus();
            QTest::keyClick(d.windowHandle(), key);
        }
        EXPECT_FALSE(d.isUnloaded());
        EXPECT_TRUE(d.isVisible());

        if (way == 0)
            click("Cmd_Can");
        else // what the window system delivers when the window manager asks it to close
            QCoreApplication::sendEvent(d.windowHandle(), std::make_unique<QCloseEvent>().get());
        EXPECT_TRUE(d.isUnloaded());
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(zoom.zooms.back().second, QRect(500, 400, 0, 0));
        EXPECT_EQ(readFile(ini), before);
        EXPECT_EQ(modifiedNanoseconds(ini), stamp);
        EXPECT_EQ(s.Capture, "1"); // the choices stay in the record: the program ends anyway
        zoom.zooms.clear();
    }
}

TEST(LinkTarget, IsTheBuiltHomePageElseTheInstalledReadmeAsALocalFile) {
    // The package's layout: the programs in /usr/lib/quillaro, the README with the documents.
    TempDir root;
    fs::create_directories(root / "usr/lib/quillaro");
    fs::create_directories(root / "usr/share/doc/quillaro");
    writeFile(root / "usr/share/doc/quillaro/README.md", "# Quillaro\n");
    const std::string readme = InstalledReadme((root / "usr/lib/quillaro").string());
    EXPECT_EQ(readme, (root / "usr/share/doc/quillaro/README.md").string());

    EXPECT_EQ(LinkTarget("https://quillaro.example.net/", readme).toString(),
              "https://quillaro.example.net/");
    EXPECT_EQ(LinkTarget("", readme), QUrl::fromLocalFile(QString::fromStdString(readme)));
    EXPECT_TRUE(LinkTarget("", "").isEmpty()); // nothing to open
}

TEST_F(Dialog, TheLinkOpensItsTargetWithTheBusyPointerMeanwhile) {
    link = QUrl::fromLocalFile("/opt/my quillaro/README.md");
    open();
    click("lbl_URL", Qt::RightButton);
    EXPECT_TRUE(urls.opened.empty());
    click("lbl_URL");
    ASSERT_EQ(urls.opened, std::vector<QString>{"file:///opt/my%20quillaro/README.md"});
    EXPECT_EQ(urls.pointerMeanwhile.at(0), Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(dialog->isUnloaded());
    // A build without a home page, installed without its README: the link opens nothing.
    link = QUrl();
    open();
    click("lbl_URL");
    EXPECT_EQ(urls.opened.size(), 1u);
}

#include "Lumivane_PTest.moc"
