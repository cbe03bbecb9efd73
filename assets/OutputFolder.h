// The one argument of a program that writes files for the build or the fuzzer (the artwork
// generators, the fuzz targets' seed writers): the folder to write into, made when missing.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>

namespace quillaro {

// The folder, or nothing after a usage line on standard error; the caller then exits with 2.
inline std::optional<std::filesystem::path> outputFolder(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return std::nullopt;
    }
    std::filesystem::path folder = argv[1];
    std::error_code error; // a folder that cannot be made shows when the first file fails
    std::filesystem::create_directories(folder, error);
    return folder;
}

} // namespace quillaro
