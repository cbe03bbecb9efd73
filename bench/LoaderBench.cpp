// How fast loadBitmap24 turns a 1920 x 1080 hand-off file into pixels, shown next to a
// plain memcpy of the same number of bytes in the same run.
#include "Bitmap24Loader.h"
#include "common/Bmp24Writer.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr std::uint32_t Width = 1920;
constexpr std::uint32_t Height = 1080;

struct FullHdFile {
    std::vector<std::uint8_t> bytes;
    std::filesystem::path folder;
    std::filesystem::path path;

    FullHdFile() {
        std::vector<std::uint8_t> rgb(std::size_t{Width} * Height * 3);
        for (std::size_t i = 0; i < rgb.size(); ++i)
            rgb[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
        bytes = quillaro::bmp24::encode(Width, Height, rgb);
        char name[] = "/tmp/quillaro-bench-XXXXXX";
        if (!mkdtemp(name))
            std::abort();
        folder = name;
        path = folder / "Lumivane.bmp";
        if (!quillaro::bmp24::writeFile(path, bytes))
            std::abort();
    }
    ~FullHdFile() { std::filesystem::remove_all(folder); }
};

const FullHdFile& file() {
    static FullHdFile instance;
    return instance;
}

void LoadBitmap24FromFile(benchmark::State& state) {
    for (auto _ : state) {
        auto picture = quillaro::loadBitmap24(file().path);
        if (!picture) {
            state.SkipWithError("the picture did not load");
            break;
        }
        benchmark::DoNotOptimize(picture);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file().bytes.size()));
}

void DecodeBitmap24InMemory(benchmark::State& state) {
    for (auto _ : state) {
        auto picture = quillaro::decodeBitmap24(file().bytes);
        benchmark::DoNotOptimize(picture);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file().bytes.size()));
}

void MemcpySameBytes(benchmark::State& state) {
    // A fresh destination each time, as the loader makes a fresh buffer each time.
    for (auto _ : state) {
        std::vector<std::uint8_t> copy(file().bytes.size());
        std::memcpy(copy.data(), file().bytes.data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file().bytes.size()));
}

} // namespace

BENCHMARK(LoadBitmap24FromFile)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeBitmap24InMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(MemcpySameBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
