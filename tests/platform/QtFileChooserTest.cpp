// The real file chooser on Qt's offscreen platform: the title, the folder and a file-type list
// that names only the filter; which entries it lists (patterns matched without regard to case);
// and what a user's typing, Enter, the up button and Escape give back, as bytes.
#include "platform/QtFileChooser.h"

#include "FileText.h"
#include "TempDir.h"
#include "platform/ChooserDialog.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace quillaro;
using namespace quillaro::test;

namespace {

FileChoice pictureChoice(const std::filesystem::path& folder) {
    return {"ﾌｧｲﾙを開く",
            {{"画像ﾌｧｲﾙ (BMP JPG)", {"*.BMP", "*JPG"}}, {"すべての画像ﾌｧｲﾙ", {"*.bmp", "*.png"}}},
            folder.string()};
}

QStringList listed(const ChooserDialog& dialog) {
    const auto* list = dialog.findChild<QListWidget*>("fileList");
    QStringList names;
    for (int row = 0; list && row < list->count(); ++row)
        names << list->item(row)->text();
    return names;
}

template <class T> T& child(QWidget& dialog, const char* name) {
    T* found = dialog.findChild<T*>(name);
    if (!found)
        throw std::runtime_error(std::string("no ") + name);
    return *found;
}

// Acts on the next chooser that opens as a user would.
void answerNextChooser(std::function<void(ChooserDialog&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<ChooserDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

void typeInto(ChooserDialog& dialog, const char* field, const QString& text, Qt::Key key) {
    auto& edit = child<QLineEdit>(dialog, field);
    edit.clear();
    edit.insert(text); // keyClicks takes ASCII only

    QTest::keyClick(&edit, key);
}

} // namespace

TEST(QtFileChooser, ListsFoldersThenWhatTheFiltersPatternsMatchWhateverTheirCase) {
    TempDir dir;
    for (const char* name : {"a.bmp", "B.BMP", "c.Jpg", "djpg", "e.jpeg", "f.png", "g.BMP.txt"})
        writeFile(dir / name, "x");
    std::filesystem::create_directory(dir / "sub");
    ChooserDialog dialog(nullptr, pictureChoice(dir.path()));
    EXPECT_EQ(dialog.windowTitle(), "ﾌｧｲﾙを開く");
    EXPECT_EQ(dialog.windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog.folder(), dir.path().string());
    EXPECT_EQ(child<QLineEdit>(dialog, "folderEdit").text(), dir.path().c_str());

    dialog.show();
    auto& types = child<QComboBox>(dialog, "fileTypeCombo");
    ASSERT_EQ(types.count(), 2);
    EXPECT_EQ(types.currentText(), "画像ﾌｧｲﾙ (BMP JPG)");
    // "*JPG" has no dot: a name that merely ends in jpg is listed too.
    EXPECT_EQ(listed(dialog), QStringList({"sub", "a.bmp", "B.BMP", "c.Jpg", "djpg"}));
    types.setCurrentIndex(1);
    EXPECT_EQ(types.currentText(), "すべての画像ﾌｧｲﾙ");
    EXPECT_EQ(listed(dialog), QStringList({"sub", "a.bmp", "B.BMP", "f.png"}));
}

TEST(QtFileChooser, GivesBackTheBytesOfWhatIsPickedOrTypedAndNothingOnEscape) {
    TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    writeFile(dir / "sub" / "caf\xe9.bmp", "x");
    writeFile(dir / "sub" / "caf\xe8.bmp", "x"); // shows the same text, listed first
    writeFile(dir / "b\xf6se.bmp", "x");
    QtFileChooser chooser;

    // A folder typed into the folder field, then the up button, then the folder entered from
    // the list; a name read off the list is its entry's bytes.
    answerNextChooser([&](ChooserDialog& d) {
        typeInto(d, "folderEdit", QString::fromStdString((dir / "sub").string()), Qt::Key_Return);
        EXPECT_EQ(d.folder(), (dir / "sub").string());
        EXPECT_EQ(listed(d), QStringList({"caf\uFFFD.bmp", "caf\uFFFD.bmp"}));
        QTest::mouseClick(&child<QToolButton>(d, "upButton"), Qt::LeftButton);
        EXPECT_EQ(d.folder(), dir.path().string());
        auto& list = child<QListWidget>(d, "fileList");
        list.setCurrentRow(0);
        QTest::keyClick(&list, Qt::Key_Return);
        list.setCurrentRow(1);
        EXPECT_EQ(child<QLineEdit>(d, "fileNameEdit").text(), "caf\uFFFD.bmp");
        QTest::keyClick(&child<QLineEdit>(d, "fileNameEdit"), Qt::Key_Return);
    });
    EXPECT_EQ(chooser.chooseFile(nullptr, pictureChoice(dir.path())),
              (dir / "sub" / "caf\xe9.bmp").string());

    // Typed: the text an entry shows, a new name, an absolute path.
    for (const auto& [typed, chosen] : std::vector<std::pair<QString, std::string>>{
             {"b\uFFFDse.bmp", (dir / "b\xf6se.bmp").string()},
             {"new picture.bmp", (dir / "new picture.bmp").string()},
             {"/elsewhere/ü.bmp", "/elsewhere/ü.bmp"}}) {
        answerNextChooser(
            [&](ChooserDialog& d) { typeInto(d, "fileNameEdit", typed, Qt::Key_Return); });
        EXPECT_EQ(chooser.chooseFile(nullptr, pictureChoice(dir.path())), chosen);
    }
    answerNextChooser(
        [](ChooserDialog& d) { typeInto(d, "fileNameEdit", "x.bmp", Qt::Key_Escape); });
    EXPECT_EQ(chooser.chooseFile(nullptr, pictureChoice(dir.path())), std::nullopt);
}
