// What the chooser lists, from a table of folders and filters: folders first, then the matching
// files, sorted as a file manager sorts; hidden names left out; each entry's bytes and text.
#include "platform/FolderListing.h"

#include "FileText.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillaro;
using namespace quillaro::test;

namespace quillaro {
void PrintTo(const FolderEntry& e, std::ostream* out) {
    *out << (e.isFolder ? "folder " : "file ") << e.name << " shown as " << e.text.toStdString();
}
} // namespace quillaro

TEST(FolderListing, ListsFoldersThenMatchingFilesSortedWithTheirBytesAndText) {
    TempDir dir;
    for (const char* folder : {"Zeta", "alpha", ".hidden"})
        std::filesystem::create_directory(dir / folder);
    for (const char* file : {"b10.png", "B9.png", "a.PNG", ".h.png", "x.txt", "caf\xe9.png",
                             "img2.JPG", "xJPG", "png"})
        writeFile(dir / file, "x");
    const std::string notAFolder = (dir / "x.txt").string();
    struct Row {
        std::string folder;
        QStringList patterns;
        std::vector<FolderEntry> listed;
    } rows[] = {
        {dir.path().string(),
         {"*.png", "*JPG"},
         {{"alpha", "alpha", true},
          {"Zeta", "Zeta", true},
          {"a.PNG", "a.PNG", false},
          {"B9.png", "B9.png", false},
          {"b10.png", "b10.png", false},
          {"caf\xe9.png", "caf\uFFFD.png", false},
          {"img2.JPG", "img2.JPG", false},
          {"xJPG", "xJPG", false}}},
        {dir.path().string(),
         {"????", "x.*"},
         {{"alpha", "alpha", true},
          {"Zeta", "Zeta", true},
          {"x.txt", "x.txt", false},
          {"xJPG", "xJPG", false}}},
        {(dir / "missing").string(), {}, {}},
        {notAFolder, {}, {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(listFolder(row.folder, row.patterns), row.listed) << row.folder;
    EXPECT_EQ(listFolder(dir.path().string(), {}).size(), 10u); // no patterns: every file
}
