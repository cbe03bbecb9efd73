#include "CdPcmPlayer.h"

#include <algorithm>
#include <ctime>
#include <limits>
#include <pthread.h>

namespace quillaro {
namespace {

std::int16_t clipped(int sample) {
    return static_cast<std::int16_t>(std::clamp(sample,
                                                int{std::numeric_limits<std::int16_t>::min()},
                                                int{std::numeric_limits<std::int16_t>::max()}));
}

} // namespace

CdPcmPlayer::CdPcmPlayer(std::shared_ptr<SdlAudioOutput> output, ReaderFactory makeReader)
    : output_(std::move(output)), makeReader_(std::move(makeReader)),
      ring_(static_cast<std::size_t>(RingSectors) * CdSectorReader::SectorSamples) {
    worker_ = std::thread([this] { run(); });
    output_->setPcmSource(this);
}

CdPcmPlayer::~CdPcmPlayer() {
    output_->setPcmSource(nullptr);
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void CdPcmPlayer::clearRing() {
    head_ = 0;
    filled_ = 0;
    frontOffset_ = 0;
}

bool CdPcmPlayer::play(std::int32_t from, std::int32_t to) {
    if (!output_->isOpen())
        return false;
    {
        std::lock_guard lock(mutex_);
        ++request_;
        clearRing();
        readNext_ = from;
        end_ = to;
        heard_ = from;
        active_ = from < to;
        endReached_ = from >= to;
        readFailed_ = false;
    }
    wake_.notify_all();
    return true;
}

void CdPcmPlayer::stop() {
    std::lock_guard lock(mutex_);
    ++request_;
    clearRing();
    active_ = false;
    readFailed_ = false;
}

bool CdPcmPlayer::playing() const {
    std::lock_guard lock(mutex_);
    return active_;
}

std::int32_t CdPcmPlayer::position() const {
    std::lock_guard lock(mutex_);
    return heard_;
}

bool CdPcmPlayer::readFailed() const {
    std::lock_guard lock(mutex_);
    return readFailed_;
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
    bool freed = false;
    bool roomForBatch = false;
    {
        std::lock_guard lock(mutex_);
        if (!active_)
            return;
        const std::size_t wanted = frames * SdlAudioOutput::Channels;
        std::size_t done = 0;
        while (done < wanted && filled_ > 0) {
            const std::int16_t* source =
                ring_.data() + static_cast<std::size_t>(head_) * CdSectorReader::SectorSamples +
                frontOffset_;
            std::size_t n = std::min(wanted - done, CdSectorReader::SectorSamples - frontOffset_);
            for (std::size_t i = 0; i < n; ++i)
                stream[done + i] = clipped(int{stream[done + i]} + source[i]);
            done += n;
            frontOffset_ += n;
            if (frontOffset_ == CdSectorReader::SectorSamples) {
                frontOffset_ = 0;
                head_ = (head_ + 1) % RingSectors;
                --filled_;
                ++heard_;
                freed = true;
            }
        }
        if (filled_ == 0 && endReached_) {
            active_ = false; // heard to the end of what could be read
            heard_ = readNext_;
        }
        roomForBatch = RingSectors - filled_ >= ReadSectors;
    }
    // The worker reads whole batches, so it is woken only once a batch fits.
    if (freed && roomForBatch)
        wake_.notify_all();
}

void CdPcmPlayer::run() {
    std::unique_ptr<CdSectorReader> reader;
    bool readerTried = false;
    std::vector<std::int16_t> batch(static_cast<std::size_t>(ReadSectors) *
                                    CdSectorReader::SectorSamples);
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] {
            return quit_ || (active_ && !endReached_ && RingSectors - filled_ >= ReadSectors);
        });
        if (quit_)
            return;
        const std::uint64_t request = request_;
        const std::int32_t first = readNext_;
        const int count = std::min(ReadSectors, end_ - first);

        lock.unlock();
        if (!readerTried) {
            reader = makeReader_();
            readerTried = true;
        }
        bool ok = reader && reader->read(first, count, batch.data());
        lock.lock();

        if (request != request_)
            continue; // stopped or restarted meanwhile
        if (!ok) {
            // An unreadable stretch ends the play where the sound was read up to; the reader is
            // not asked again until the next play.
            endReached_ = true;
            readFailed_ = true;
            continue;
        }
        for (int i = 0; i < count; ++i) {
            int slot = (head_ + filled_) % RingSectors;
            std::copy_n(batch.data() + static_cast<std::size_t>(i) * CdSectorReader::SectorSamples,
                        CdSectorReader::SectorSamples,
                        ring_.data() +
                            static_cast<std::size_t>(slot) * CdSectorReader::SectorSamples);
            ++filled_;
        }
        readNext_ += count;
        if (readNext_ >= end_)
            endReached_ = true;
    }
}

} // namespace quillaro
