// Writes a small seed corpus for the loader's fuzz target into the folder given: tiny
// pictures of several widths, and the same with one header field spoiled.
#include "assets/OutputFolder.h"
#include "common/Bmp24.h"
#include "common/Bmp24Writer.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    namespace bmp24 = quillaro::bmp24;
    const auto out = quillaro::outputFolder(argc, argv);
    if (!out)
        return 2;
    const std::filesystem::path& folder = *out;
    int written = 0;
    auto save = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
        if (bmp24::writeFile(folder / (name + ".bmp"), bytes))
            ++written;
    };
    for (std::uint32_t width : {1u, 2u, 3u, 4u, 5u}) {
        for (std::uint32_t height : {1u, 2u, 3u}) {
            std::vector<std::uint8_t> rgb;
            for (std::uint32_t i = 0; i < width * height * 3; ++i)
                rgb.push_back(static_cast<std::uint8_t>(i * 37 + width));
            auto file = bmp24::encode(width, height, rgb);
            std::string name = std::to_string(width) + "x" + std::to_string(height);
            save(name, file);
            if (height != 2)
                continue;
            auto spoiled = file;
            bmp24::writeLe16(spoiled.data() + bmp24::OffBitsPerPixel, 32);
            save(name + "-32bit", spoiled);
            spoiled = file;
            bmp24::writeLe32(spoiled.data() + bmp24::OffCompression, 1);
            save(name + "-compressed", spoiled);
            spoiled = file;
            bmp24::writeLe32(spoiled.data() + bmp24::OffHeight, static_cast<std::uint32_t>(-2));
            save(name + "-topdown", spoiled);
            spoiled = file;
            spoiled.pop_back();
            save(name + "-short", spoiled);
        }
    }
    std::printf("%d seeds in %s\n", written, folder.c_str());
    return 0;
}
