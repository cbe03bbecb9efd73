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
    std::unique_ptr<CdSectorReader> reader;
    // A reader that could not be made is asked for again by the next play, not by every batch
    // of the play that failed (the drive may be spinning up, or the disc be back).
    std::optional<std::uint64_t> readerFailedFor;
    std::vector<std::int16_t> batch(static_cast<std::size_t>(ReadSectors) *
                                    CdSectorReader::SectorSamples);
    std::unique_lock lock(s.mutex);
    for (;;) {
        s.wake.wait(lock, [&s] {
            return s.quit || (s.active && !s.endReached && RingSectors - s.filled >= ReadSectors);
        });
        if (s.quit)
            return;
        const std::uint64_t request = s.request;
        const std::int32_t first = s.readNext;
        const int count = std::min(ReadSectors, s.end - first);
        s.busy = true;

        lock.unlock();
        if (!reader && readerFailedFor != request) {
            reader = s.makeReader();
            if (!reader)
                readerFailedFor = request;
        }
        // A sector a call, so that a stop, a new play or a close is seen after one sector's
        // read, however slowly a damaged disc reads.
        bool ok = reader != nullptr;
        int read = 0;
        while (ok && read < count) {
            {
                std::lock_guard check(s.mutex);
                if (s.abandoned(request))
                    break;
            }
            ok = reader->read(first + read, 1,
                              batch.data() +
                                  static_cast<std::size_t>(read) * CdSectorReader::SectorSamples);
            if (ok)
                ++read;
        }
        // Whether the disc has gone is asked here, where waiting on the drive harms nobody, and
        // before the play is seen to end, so the end is told together with what was found.
        std::optional<CdMedia> media;
        if (!ok && s.checkMedia)
            media = s.checkMedia();
        lock.lock();
        s.busy = false;
        if (media)
            s.media = media;

        if (s.abandoned(request)) {
            if (s.quit)
                return;
            continue; // stopped or restarted meanwhile
        }
        for (int i = 0; i < read; ++i) {
            int slot = (s.head + s.filled) % RingSectors;
            std::copy_n(batch.data() + static_cast<std::size_t>(i) * CdSectorReader::SectorSamples,
                        CdSectorReader::SectorSamples,
                        s.ring.data() +
                            static_cast<std::size_t>(slot) * CdSectorReader::SectorSamples);
            ++s.filled;
        }
        s.readNext += read;
        if (!ok) {
            // An unreadable sector, or no reader, ends the play where the sound was read up to;
            // the drive is not asked again until the next play.
            s.endReached = true;
            s.readFailed = true;
        } else if (s.readNext >= s.end) {
            s.endReached = true;
        }
    }
}

} // namespace quillaro
