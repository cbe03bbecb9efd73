// The real file chooser on Qt's offscreen platform: Qt's own dialog with the title, the folder
// and a file-type list that names only the filter; which files it lists (patterns matched
// without regard to case); and what a user's typing, Enter and Escape give back.
#include "platform/QtFileChooser.h"

#include "FileText.h"
#include "TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillaro;
using namespace quillaro::test;

namespace {

FileChoice pictureChoice(const std::filesystem::path& folder) {
    return {"ﾌｧｲﾙを開く",
            {{"画像ﾌｧｲﾙ (BMP JPG)", {"*.BMP", "*JPG"}}, {"すべての画像ﾌｧｲﾙ", {"*.bmp", "*.png"}}},
            QString::fromStdString(folder.string())};
}

// The names the chooser lists in the folder it shows, once it has read them.
QStringList listed(QFileDialog& dialog, int expected) {
    auto* list = dialog.findChild<QListView*>("listView");
    if (!list)
        return {};
    QStringList names;
    if (!QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) >= expected; }))
        return names;
    QTest::qWait(100); // anything more would have arrived by now
    for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
        names << list->model()->index(row, 0, list->rootIndex()).data().toString();
    names.sort();
    return names;
}

// Answers the next chooser that opens as a user would: types name (if any) and presses key.
void answerNextChooser(const QString& name, Qt::Key key) {
    QTimer::singleShot(0, [name, key] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, key);
    });
}

} // namespace

TEST(QtFileChooser, IsQtsOwnDialogListingThePatternsWhateverTheirCase) {
    TempDir dir;
    for (const char* name : {"a.bmp", "B.BMP", "c.Jpg", "djpg", "e.jpeg", "f.png", "g.BMP.txt"})
        writeFile(dir / name, "x");
    const auto dialog = QtFileChooser::makeDialog(nullptr, pictureChoice(dir.path()));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->windowTitle(), "ﾌｧｲﾙを開く");
    EXPECT_EQ(dialog->directory().absolutePath(), QString::fromStdString(dir.path().string()));

    dialog->show();
    auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->currentText(), "画像ﾌｧｲﾙ (BMP JPG)");
    // "*JPG" has no dot: a name that merely ends in jpg is listed too.
    EXPECT_EQ(listed(*dialog, 4), QStringList({"B.BMP", "a.bmp", "c.Jpg", "djpg"}));
    types->setCurrentIndex(1);
    types->activated(1);
    EXPECT_EQ(types->currentText(), "すべての画像ﾌｧｲﾙ");
    EXPECT_EQ(listed(*dialog, 3), QStringList({"B.BMP", "a.bmp", "f.png"}));
}

TEST(QtFileChooser, GivesBackATypedNameThatNeedNotExistOrNothingOnEscape) {
    TempDir dir;
    QtFileChooser chooser;
    answerNextChooser("new picture.bmp", Qt::Key_Return);
    EXPECT_EQ(chooser.chooseFile(nullptr, pictureChoice(dir.path())),
              QString::fromStdString((dir / "new picture.bmp").string()));
    answerNextChooser("other.bmp", Qt::Key_Escape);
    EXPECT_EQ(chooser.chooseFile(nullptr, pictureChoice(dir.path())), std::nullopt);
}
