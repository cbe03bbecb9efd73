// Plays a range of CD sectors through the shared sound output. A worker thread reads ahead into
// a small ring of sectors (all drive access happens there, the look at the disc after a failed
// read included, so the thread that sends commands never waits on the drive); the output's
// post-mix hook takes the samples from the ring on the audio thread and so also tells which
// sector is being heard. A play or stop only changes the request under a short lock and returns
// at once; a read that was under way for an earlier request is thrown away.
#pragma once

#include "CdDrive.h"
#include "CdSectorReader.h"
#include "music/audio/SdlAudioOutput.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace quillaro {

class CdPcmPlayer : public PcmSource {
public:
    // The reader is made on the worker thread when it first reads, since paranoia reads the
    // disc to start. Nothing means it could not start: that play ends as a failed read, and the
    // next play asks again.
    using ReaderFactory = std::function<std::unique_ptr<CdSectorReader>()>;
    // Looks whether the disc is still there; it may wait on the drive.
    using MediaCheck = std::function<CdMedia()>;

    // The media check, when given, runs on the worker after a read fails, before the play is
    // seen to end.
    CdPcmPlayer(std::shared_ptr<SdlAudioOutput> output, ReaderFactory makeReader,
                MediaCheck checkMedia = {});
    // Returns at once, even while the worker waits on the drive: the worker then finishes that
    // read on its own and frees the reader, and what the factory and the check hold, itself.
    ~CdPcmPlayer() override;
    CdPcmPlayer(const CdPcmPlayer&) = delete;
    CdPcmPlayer& operator=(const CdPcmPlayer&) = delete;

    // Plays [from, to); false when there is no sound output.
    bool play(std::int32_t from, std::int32_t to);
    void stop();
    bool playing() const;
    std::int32_t position() const;
    // True when the last play ended early on a sector that could not be read.
    bool readFailed() const;
    // What the look at the disc after the last failed read found; nothing before one.
    std::optional<CdMedia> mediaFound() const;
    // CPU time the worker thread has used so far.
    std::chrono::nanoseconds workerCpuTime() const;

    void mixInto(std::int16_t* stream, std::size_t frames) override;

private:
    // The state the worker works on; it is the worker's too, since the worker may outlive us.
    struct Shared;
    static void run(Shared& shared);

    std::shared_ptr<SdlAudioOutput> output_;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

} // namespace quillaro
