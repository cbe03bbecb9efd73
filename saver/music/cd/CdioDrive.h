// The CD drive through libcdio: the drive named by the environment variable CDROM (a device such
// as /dev/sr1, or a .cue/.toc/.nrg disc image), else libcdio's default drive. Opening reads the
// table of contents once, on the calling thread; from then on only the player's worker thread
// touches the drive, the look at the disc after a failed read included, so no command waits on
// the drive.
#pragma once

#include "CdDrive.h"
#include "CdPcmPlayer.h"
#include "common/Passkey.h"
#include "common/Result.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quillaro {

enum class CdReadMethod { Automatic, Plain, Paranoia };

class CdioDrive : public CdDrive {
    struct CdioCloser {
        void operator()(_CdIo* cdio) const;
    };

public:
    static constexpr const char* DriveVariable = "CDROM";

    // The drive, which may hold no disc; or the code for "no such device" when there is no
    // drive, or the drive or image cannot be opened. Automatic reads images plainly and real
    // drives through paranoia; a disc that paranoia cannot take on is read plainly.
    static Result<std::unique_ptr<CdioDrive>, std::int32_t>
    open(CdReadMethod method = CdReadMethod::Automatic);
    CdioDrive(Passkey<CdioDrive>, std::unique_ptr<_CdIo, CdioCloser> cdio, std::string source,
              CdReadMethod method);
    ~CdioDrive() override;

    // As found when opened, or by the look at the disc after the last failed read.
    CdMedia media() const override;
    const CdToc& toc() const override { return toc_; }
    bool play(std::int32_t from, std::int32_t to) override;
    void stop() override;
    bool playing() const override;
    std::int32_t position() const override;
    bool readFailed() const override;

    // CPU time the reading thread has used so far.
    std::chrono::nanoseconds workerCpuTime() const;

private:
    void readToc();

    // Shared with the player's worker, which may go on reading for a while after a close.
    std::shared_ptr<_CdIo> cdio_;
    std::string source_; // the drive or image file, as opened
    bool image_ = false;
    CdMedia media_ = CdMedia::NoDisc; // as found when opened
    CdToc toc_;
    std::unique_ptr<CdPcmPlayer> player_; // last: stops its worker before the handle closes
};

} // namespace quillaro
