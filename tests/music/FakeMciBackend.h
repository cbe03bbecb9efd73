// Devices for interpreter unit tests: a music stream and a CD drive whose state the test sets by
// hand, and a backend that hands them out and remembers what it was asked to open. The backend
// keeps plain pointers to what it handed out; they stay valid while the device is open.
#pragma once

#include "music/mci/MciBackend.h"

#include <optional>
#include <string>
#include <vector>

namespace quillaro::test {

class FakeMusicStream : public MusicStream {
public:
    bool play(double fromSeconds) override {
        plays.push_back(fromSeconds);
        if (!playWorks)
            return false;
        musicState = MusicState::Playing;
        position = fromSeconds;
        return true;
    }
    void pause() override { musicState = MusicState::Paused; }
    void resume() override { musicState = MusicState::Playing; }
    void stop() override {
        ++stops;
        musicState = MusicState::Stopped;
    }
    MusicState state() const override { return musicState; }
    double positionSeconds() const override { return position; }
    double lengthSeconds() const override { return length; }

    // The file has played to its end.
    void end() {
        musicState = MusicState::Stopped;
        position = length;
    }

    MusicState musicState = MusicState::Stopped;
    double position = 0.0;
    double length = 60.0;
    bool playWorks = true;
    std::vector<double> plays;
    int stops = 0;
};

class FakeCdDrive : public CdDrive {
public:
    FakeCdDrive() {
        // Three tracks: 0..999, 1000..2499, 2500..3999.
        disc.firstTrack = 1;
        disc.trackStart = {0, 1000, 2500};
        disc.audio = {true, true, true};
        disc.leadout = 4000;
    }
    CdMedia media() const override { return mediaState; }
    const CdToc& toc() const override { return disc; }
    bool play(std::int32_t from, std::int32_t to) override {
        plays.push_back({from, to});
        if (!playWorks)
            return false;
        isPlaying = true;
        failed = false;
        heard = from;
        return true;
    }
    void stop() override {
        isPlaying = false;
        failed = false;
    }
    bool playing() const override { return isPlaying; }
    std::int32_t position() const override { return heard; }
    bool readFailed() const override { return failed; }

    // The range has been heard to its end.
    void finish() {
        isPlaying = false;
        heard = plays.back().second;
    }
    // The sector could not be read: the sound stopped there, and the drive looked at the disc.
    void failAt(std::int32_t sector) {
        isPlaying = false;
        failed = true;
        heard = sector;
        mediaState = mediaAfterFailure;
    }

    CdMedia mediaState = CdMedia::Present;
    CdMedia mediaAfterFailure = CdMedia::Present; // what the look after a failed read finds
    CdToc disc;
    bool isPlaying = false;
    bool failed = false;
    std::int32_t heard = 0;
    bool playWorks = true;
    std::vector<std::pair<std::int32_t, std::int32_t>> plays;
};

class FakeMciBackend : public MciBackend {
public:
    Result<std::unique_ptr<MusicStream>, std::int32_t> openMusic(const std::string& path) override {
        openedPaths.push_back(path);
        if (musicResult != 0)
            return failure(musicResult);
        auto stream = std::make_unique<FakeMusicStream>();
        lastStream = stream.get();
        return stream;
    }
    Result<std::unique_ptr<CdDrive>, std::int32_t> openCdDrive() override {
        ++cdOpens;
        if (cdResult != 0)
            return failure(cdResult);
        auto drive = std::make_unique<FakeCdDrive>();
        drive->mediaState = cdMedia;
        if (cdDisc)
            drive->disc = *cdDisc;
        lastDrive = drive.get();
        return drive;
    }

    std::int32_t musicResult = 0;
    std::int32_t cdResult = 0;
    CdMedia cdMedia = CdMedia::Present;
    std::optional<CdToc> cdDisc; // the disc in drives opened from now on, if not the usual one
    std::vector<std::string> openedPaths;
    int cdOpens = 0;
    FakeMusicStream* lastStream = nullptr;
    FakeCdDrive* lastDrive = nullptr;
};

} // namespace quillaro::test
