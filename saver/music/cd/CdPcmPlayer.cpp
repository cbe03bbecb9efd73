#include "CdPcmPlayer.h"

#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <limits>
#include <mutex>
#include <pthread.h>
#include <vector>

namespace quillaro {
namespace {

// About 0.1 s per batch and 0.4 s read ahead: enough to ride out a slow read, short enough that
// a stop or a new start is heard at once (the ring is emptied then anyway).
constexpr int ReadSectors = 8;
constexpr int RingSectors = 32;

std::int16_t clipped(int sample) {
    return static_cast<std::int16_t>(std::clamp(sample,
                                                int{std::numeric_limits<std::int16_t>::min()},
                                                int{std::numeric_limits<std::int16_t>::max()}));
}

} // namespace

struct CdPcmPlayer::Shared {
    Shared(ReaderFactory make, MediaCheck check)
        : makeReader(std::move(make)), checkMedia(std::move(check)),
          ring(static_cast<std::size_t>(RingSectors) * CdSectorReader::SectorSamples) {}

    void clearRing() {
        head = 0;
        filled = 0;
        frontOffset = 0;
    }
    // The worker's request has been replaced by a later play or stop, or the player is going.
    bool abandoned(std::uint64_t workingOn) const { return quit || workingOn != request; }

    // The worker's round: it takes the next batch under the lock, reads it without the lock,
    // then commits what it read under the lock again.
    struct ReadJob {
        std::uint64_t request; // the play it belongs to
        std::int32_t first;
        int count;
    };
    struct ReadOutcome {
        int read = 0;   // sectors read, from the job's first on
        bool ok = true; // false: the next sector could not be read, or there is no reader
        std::optional<CdMedia> media; // what the look at the disc after a failure found
    };
    // What only the worker touches: the reader, made at its first read, and the batch buffer.
    struct Reading {
        std::unique_ptr<CdSectorReader> reader;
        // A reader that could not be made is asked for again by the next play, not by every
        // batch of the play that failed (the drive may be spinning up, or the disc be back).
        std::optional<std::uint64_t> readerFailedFor;
        std::vector<std::int16_t> batch = std::vector<std::int16_t>(
            static_cast<std::size_t>(ReadSectors) * CdSectorReader::SectorSamples);
    };
    // Waits for room in the ring during a play (lock held); nothing once the player goes.
    std::optional<ReadJob> nextJob(std::unique_lock<std::mutex>& lock);
    // Reads the job's sectors into the batch buffer; called without the lock.
    ReadOutcome readSectors(const ReadJob& job, Reading& reading);
    // Puts what was read into the ring (lock held), unless the job was abandoned meanwhile.
    void commit(const ReadJob& job, const ReadOutcome& outcome,
                const std::vector<std::int16_t>& batch);

    const ReaderFactory makeReader;
    const MediaCheck checkMedia;

    std::mutex mutex;
    std::condition_variable wake;
    bool quit = false;
    bool busy = false;         // the worker is at the drive, without the lock
    bool active = false;       // a play is under way and has not been heard to its end
    bool endReached = false;   // the worker has read the whole range, or all it could
    bool readFailed = false;   // the worker stopped reading at a sector that failed
    std::uint64_t request = 0; // changes with every play and stop
    std::int32_t readNext = 0;
    std::int32_t end = 0;
    std::int32_t heard = 0; // the sector at the front of the ring, or where the sound stopped
    std::optional<CdMedia> media;

    std::vector<std::int16_t> ring; // RingSectors sectors
    int head = 0;                   // first filled slot
    int filled = 0;                 // number of filled slots
    std::size_t frontOffset = 0;    // samples of the head slot already heard
};

CdPcmPlayer::CdPcmPlayer(std::shared_ptr<SdlAudioOutput> output, ReaderFactory makeReader,
                         MediaCheck checkMedia)
    : output_(std::move(output)),
      shared_(std::make_shared<Shared>(std::move(makeReader), std::move(checkMedia))) {
    worker_ = std::thread([shared = shared_] { run(*shared); });
    output_->setPcmSource(this);
}

CdPcmPlayer::~CdPcmPlayer() {
    output_->setPcmSource(nullptr);
    bool busy = false;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->quit = true;
        busy = shared_->busy;
    }
    shared_->wake.notify_all();
    // A worker at the drive may wait there for long on a damaged disc; the saver's teardown
    // does not wait with it. It holds all it uses and ends as soon as the drive answers.
    if (busy)
        worker_.detach();
    else
        worker_.join();
}

bool CdPcmPlayer::play(std::int32_t from, std::int32_t to) {
    if (!output_->isOpen())
        return false;
    {
        std::lock_guard lock(shared_->mutex);
        ++shared_->request;
        shared_->clearRing();
        shared_->readNext = from;
        shared_->end = to;
        shared_->heard = from;
        shared_->active = from < to;
        shared_->endReached = from >= to;
        shared_->readFailed = false;
    }
    shared_->wake.notify_all();
    return true;
}

void CdPcmPlayer::stop() {
    std::lock_guard lock(shared_->mutex);
    ++shared_->request;
    shared_->clearRing();
    shared_->active = false;
    shared_->readFailed = false;
}

bool CdPcmPlayer::playing() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->active;
}

std::int32_t CdPcmPlayer::position() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->heard;
}

bool CdPcmPlayer::readFailed() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->readFailed;
}

std::optional<CdMedia> CdPcmPlayer::mediaFound() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->media;
}

std::chrono::nanoseconds CdPcmPlayer::workerCpuTime() const {
    clockid_t clock;
    timespec used{};
    if (pthread_getcpuclockid(const_cast<std::thread&>(worker_).native_handle(), &clock) != 0 ||
        clock_gettime(clock, &used) != 0)
        return std::chrono::nanoseconds(0);
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

void CdPcmPlayer::mixInto(std::int16_t* stream, std::size_t frames) {
    Shared& s = *shared_;
    bool freed = false;
    bool roomForBatch = false;
    {
        std::lock_guard lock(s.mutex);
        if (!s.active)
            return;
        const std::size_t wanted = frames * SdlAudioOutput::Channels;
        std::size_t done = 0;
        while (done < wanted && s.filled > 0) {
            const std::int16_t* source =
                s.ring.data() + static_cast<std::size_t>(s.head) * CdSectorReader::SectorSamples +
                s.frontOffset;
            std::size_t n = std::min(wanted - done, CdSectorReader::SectorSamples - s.frontOffset);
            for (std::size_t i = 0; i < n; ++i)
                stream[done + i] = clipped(int{stream[done + i]} + source[i]);
            done += n;
            s.frontOffset += n;
            if (s.frontOffset == CdSectorReader::SectorSamples) {
                s.frontOffset = 0;
                s.head = (s.head + 1) % RingSectors;
                --s.filled;
                ++s.heard;
                freed = true;
            }
        }
        if (s.filled == 0 && s.endReached) {
            s.active = false; // heard to the end of what could be read
            s.heard = s.readNext;
        }
        roomForBatch = RingSectors - s.filled >= ReadSectors;
    }
    // The worker reads whole batches, so it is woken only once a batch fits.
    if (freed && roomForBatch)
        s.wake.notify_all();
}

void CdPcmPlayer::run(Shared& s) {
    Shared::Reading reading;
    std::unique_lock lock(s.mutex);
    while (const std::optional<Shared::ReadJob> job = s.nextJob(lock)) {
        lock.unlock();
        const Shared::ReadOutcome outcome = s.readSectors(*job, reading);
        lock.lock();
        s.commit(*job, outcome, reading.batch);
    }
}

std::optional<CdPcmPlayer::Shared::ReadJob>
CdPcmPlayer::Shared::nextJob(std::unique_lock<std::mutex>& lock) {
    wake.wait(lock, [this] {
        return quit || (active && !endReached && RingSectors - filled >= ReadSectors);
    });
    if (quit)
        return std::nullopt;
    busy = true;
    return ReadJob{request, readNext, std::min(ReadSectors, end - readNext)};
}

CdPcmPlayer::Shared::ReadOutcome CdPcmPlayer::Shared::readSectors(const ReadJob& job,
                                                                  Reading& reading) {
    if (!reading.reader && reading.readerFailedFor != job.request) {
        reading.reader = makeReader();
        if (!reading.reader)
            reading.readerFailedFor = job.request;
    }
    // A sector a call, so that a stop, a new play or a close is seen after one sector's read,
    // however slowly a damaged disc reads.
    ReadOutcome outcome;
    outcome.ok = reading.reader != nullptr;
    while (outcome.ok && outcome.read < job.count) {
        {
            std::lock_guard check(mutex);
            if (abandoned(job.request))
                break;
        }
        outcome.ok =
            reading.reader->read(job.first + outcome.read, 1,
                                 reading.batch.data() + static_cast<std::size_t>(outcome.read) *
                                                            CdSectorReader::SectorSamples);
        if (outcome.ok)
            ++outcome.read;
    }
    // Whether the disc has gone is asked here, where waiting on the drive harms nobody, and
    // before the play is seen to end, so the end is told together with what was found.
    if (!outcome.ok && checkMedia)
        outcome.media = checkMedia();
    return outcome;
}

void CdPcmPlayer::Shared::commit(const ReadJob& job, const ReadOutcome& outcome,
                                 const std::vector<std::int16_t>& batch) {
    busy = false;
    if (outcome.media)
        media = outcome.media;
    if (abandoned(job.request))
        return; // stopped, restarted or closed meanwhile
    for (int i = 0; i < outcome.read; ++i) {
        int slot = (head + filled) % RingSectors;
        std::copy_n(batch.data() + static_cast<std::size_t>(i) * CdSectorReader::SectorSamples,
                    CdSectorReader::SectorSamples,
                    ring.data() + static_cast<std::size_t>(slot) * CdSectorReader::SectorSamples);
        ++filled;
    }
    readNext += outcome.read;
    if (!outcome.ok) {
        // An unreadable sector ends the play where the sound was read up to; the reader is not
        // asked again until the next play.
        endReached = true;
        readFailed = true;
    } else if (readNext >= end) {
        endReached = true;
    }
}

} // namespace quillaro
