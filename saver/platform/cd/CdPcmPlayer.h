// Plays a range of CD sectors through the shared sound output. A worker thread reads ahead into
// a small ring of sectors (all drive access happens there, so the thread that sends commands
// never waits on the drive); the output's post-mix hook takes the samples from the ring on the
// audio thread and so also tells which sector is being heard. A play or stop only changes the
// request under a short lock and returns at once; a read that was under way for an earlier
// request is thrown away.
#pragma once

#include "../audio/SdlAudioOutput.h"
#include "CdSectorReader.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quillaro {

class CdPcmPlayer : public PcmSource {
public:
    // The reader is made on the worker thread when it first reads, since paranoia reads the
    // disc to start.
    using ReaderFactory = std::function<std::unique_ptr<CdSectorReader>()>;

    CdPcmPlayer(std::shared_ptr<SdlAudioOutput> output, ReaderFactory makeReader);
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
    // CPU time the worker thread has used so far.
    std::chrono::nanoseconds workerCpuTime() const;

    void mixInto(std::int16_t* stream, std::size_t frames) override;

private:
    void run();
    void clearRing();

    // About 0.1 s per read and 0.4 s read ahead: enough to ride out a slow read, short enough
    // that a stop or a new start is heard at once (the ring is emptied then anyway).
    static constexpr int ReadSectors = 8;
    static constexpr int RingSectors = 32;

    std::shared_ptr<SdlAudioOutput> output_;
    ReaderFactory makeReader_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool active_ = false;       // a play is under way and has not been heard to its end
    bool endReached_ = false;   // the worker has read the whole range, or all it could
    bool readFailed_ = false;   // the worker stopped reading at a sector that failed
    std::uint64_t request_ = 0; // changes with every play and stop
    std::int32_t readNext_ = 0;
    std::int32_t end_ = 0;
    std::int32_t heard_ = 0; // the sector at the front of the ring, or where the sound stopped

    std::vector<std::int16_t> ring_; // RingSectors sectors
    int head_ = 0;                   // first filled slot
    int filled_ = 0;                 // number of filled slots
    std::size_t frontOffset_ = 0;    // samples of the head slot already heard

    std::thread worker_;
};

} // namespace quillaro
