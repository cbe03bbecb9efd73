// Writes a small seed corpus for the profile-string fuzz target into the folder given: the
// settings file as the dialog writes it, in both line-break styles and with a byte-order mark,
// with duplicates, comments, quotes and long Japanese values, and writes that go through each
// path of the writer (a key replaced, a key added to its section, a new section).
#include "assets/OutputFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Seed {
    std::string section, key, value, size, file;
};

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

} // namespace

int main(int argc, char** argv) {
    const auto out = quillaro::outputFolder(argc, argv);
    if (!out)
        return 2;
    const std::filesystem::path& folder = *out;
    const std::string settings = "[Section]\nｷｬﾌﾟﾁｬｰ=1\n画像ﾌｧｲﾙ=/home/me/Pictures/sea.jpg\n"
                                 "BGM区分=2\nBGMﾘﾋﾟｰﾄ=0\nBGMﾌｧｲﾙ=/home/me/Music/waves.mp3\n";
    std::string crlf;
    for (char c : settings)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string longPath = "/home/me/" + repeated("写真", 70) + ".jpg";
    const std::vector<Seed> seeds = {
        {"Section", "BGM区分", "1", "256", settings},
        {"Section", "ｷｬﾌﾟﾁｬｰ", "0", "256", crlf},
        {"Section", "画像ﾌｧｲﾙ", longPath, "256", "\xEF\xBB\xBF" + settings},
        {"section", "bgmﾌｧｲﾙ", "\"/music/a b.mp3\"", "30", settings},
        {"Section", "BGMﾘﾋﾟｰﾄ", "3", "2", "; comment\n[Other]\nBGMﾘﾋﾟｰﾄ=9\n\n[Section]\nx=1\n\n"},
        {"New", "key", "  padded  ", "256", "[Section]\nkey=1\nkey=2\n[Section]\nkey=3"},
        {"Section", "画像ﾌｧｲﾙ", "'quoted'", "256", "[Section]\n画像ﾌｧｲﾙ=" + longPath + "\n"},
        {"Section", "key", "v", "256", ""},
        {" Section ", " key ", "a=b;c", "1", "junk without sections\n=\n[\n]\n[]\n[ ]x\n"},
        {"Sec]tion", "k=y", "line\nbreak", "256", settings},
    };
    int written = 0;
    for (const Seed& seed : seeds) {
        std::ofstream out(folder / ("seed" + std::to_string(written) + ".ini"), std::ios::binary);
        out << seed.section << '\0' << seed.key << '\0' << seed.value << '\0' << seed.size << '\0'
            << seed.file;
        written += out.good() ? 1 : 0;
    }
    std::printf("%d seeds in %s\n", written, folder.c_str());
    return 0;
}
