#include "TestMedia.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <random>
#include <stdexcept>

namespace quillaro::test {
namespace {

constexpr std::size_t SectorSamples = 2352 / 2;
constexpr int FramesPerSecond = 75;
constexpr unsigned DataSeed = 12345;

void put16(std::ofstream& out, std::uint16_t v) {
    char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(b, 2);
}
void put32(std::ofstream& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}
void putSamples(std::ofstream& out, const Samples& samples) {
    for (std::int16_t s : samples)
        put16(out, static_cast<std::uint16_t>(s));
}

} // namespace

Samples tone(double hz, double seconds) {
    auto frames = static_cast<std::size_t>(std::lround(seconds * TestRate));
    Samples out(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        double v = ToneAmplitude *
                   std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / TestRate);
        out[2 * i] = out[2 * i + 1] = static_cast<std::int16_t>(std::lround(v));
    }
    return out;
}

Samples concat(const std::vector<Samples>& parts) {
    Samples out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

void writeWav(const std::filesystem::path& path, const Samples& samples) {
    std::ofstream out(path, std::ios::binary);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 2);
    put32(out, TestRate);
    put32(out, TestRate * 4);
    put16(out, 4);
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
    putSamples(out, samples);
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

DiscTrack dataTrack(double seconds) {
    return DiscTrack{{}, seconds};
}

std::filesystem::path writeCdImage(const std::filesystem::path& folder,
                                   const std::vector<DiscTrack>& tracks) {
    std::ofstream bin(folder / "disc.bin", std::ios::binary);
    std::ofstream cue(folder / "disc.cue");
    cue << "FILE \"disc.bin\" BINARY\n";
    std::minstd_rand noise(DataSeed);
    std::size_t sector = 0;
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const bool data = tracks[t].dataSeconds > 0.0;
        Samples padded = tracks[t].sound;
        if (data) {
            padded.resize(
                static_cast<std::size_t>(std::lround(tracks[t].dataSeconds * TestRate) * 2));
            for (std::int16_t& s : padded)
                s = static_cast<std::int16_t>(noise());
        }
        padded.resize((padded.size() + SectorSamples - 1) / SectorSamples * SectorSamples, 0);
        char index[32];
        std::snprintf(index, sizeof index, "%02zu:%02zu:%02zu", sector / FramesPerSecond / 60,
                      sector / FramesPerSecond % 60, sector % FramesPerSecond);
        char header[96];
        std::snprintf(header, sizeof header, "  TRACK %02zu %s\n    INDEX 01 %s\n", t + 1,
                      data ? "MODE1/2352" : "AUDIO", index);
        cue << header;
        putSamples(bin, padded);
        sector += padded.size() / SectorSamples;
    }
    if (!bin || !cue)
        throw std::runtime_error("cannot write the disc image in " + folder.string());
    return folder / "disc.cue";
}

std::filesystem::path writeCdImage(const std::filesystem::path& folder,
                                   const std::vector<Samples>& tracks) {
    std::vector<DiscTrack> sound;
    for (const Samples& track : tracks)
        sound.push_back(DiscTrack{track});
    return writeCdImage(folder, sound);
}

} // namespace quillaro::test
