// What the saver knows of its own start: the command line as one text, the mode letter read
// from it, its own folder and the files beside it.
#include "platform/ProgramInfo.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace quillaro;

TEST(CommandLine, ArgumentsJoinedWithSingleBlanks) {
    const char* none[] = {"Quillaro.scr"};
    EXPECT_EQ(commandLineFrom(1, none), "");
    const char* preview[] = {"Quillaro.scr", "/p", "1234"};
    EXPECT_EQ(commandLineFrom(3, preview), "/p 1234");
    const char* odd[] = {"Quillaro.scr", "", "a b", "/s"};
    EXPECT_EQ(commandLineFrom(4, odd), " a b /s");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    std::string folder = programFolder();
    EXPECT_EQ(folder + "/ProgramInfoTest", self);
    EXPECT_NE(folder.back(), '/');
}

TEST(ModeLetter, IsTheSecondCharacterInUpperCase) {
    EXPECT_EQ(ModeLetter("/s"), "S");
    EXPECT_EQ(ModeLetter("/S"), "S");
    EXPECT_EQ(ModeLetter("-s"), "S");
    EXPECT_EQ(ModeLetter("xs"), "S");
    EXPECT_EQ(ModeLetter("/c:1234"), "C");
    EXPECT_EQ(ModeLetter("/p 99"), "P");
    EXPECT_EQ(ModeLetter("s"), "");
    EXPECT_EQ(ModeLetter(""), "");
    EXPECT_EQ(ModeLetter("/ä"), "ä");
    EXPECT_EQ(ModeLetter("äs"), "S"); // characters, not bytes
    EXPECT_EQ(ModeLetter("\xff"
                         "c"),
              "C");
}

TEST(ProgramPaths, SettingsAndRendererLieInTheProgramFolder) {
    EXPECT_EQ(SettingsFilePath("/opt/quillaro"), "/opt/quillaro/Quillaro.ini");
    EXPECT_EQ(RendererPath("/opt/quillaro"), "/opt/quillaro/Quillaro.dll");
    EXPECT_EQ(RendererPath("/"), "/Quillaro.dll");
    // A program folder that could not be found must not send us to the root folder.
    EXPECT_EQ(SettingsFilePath(""), "");
    EXPECT_EQ(RendererPath(""), "");
}
