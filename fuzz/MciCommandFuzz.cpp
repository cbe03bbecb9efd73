// Feeds arbitrary command strings to the music command layer over a fake backend (a CD drive and
// music streams the input itself drives) and checks what its callers rely on: no reply longer
// than the caller's buffer less one, an empty reply on failure, and an error text for every
// failure code.
//
// Input: lines. A line is a command sent with the current reply length, unless it starts with
// '!', which changes the world between commands:
//   !reply N       reply length for the commands that follow (512 at first, as the music
//                  module's buffer; 0 asks for no reply)
//   !music N       how opening a music file goes from now on: 0 it opens, 1 no such file,
//                  2 it does not decode, 3 no sound output (the real backend's outcomes)
//   !cd N          how opening the CD drive goes from now on: 0 it opens, 1 no drive
//   !media M       the disc in drives opened from now on: 0 present, 1 none, 2 tray open
//   !toc F L A S.. the disc in drives opened from now on: first track F, lead-out L, audio
//                  bits A (bit i: track F + i holds sound), then the tracks' start sectors
//   !finish        the drive's play, or the music, has run to its end
//   !fail S        the drive cannot read sector S (within the range it plays): the play ends
//   !gone          the drive looks at the disc after a failed read and finds it gone
#include "FakeMciBackend.h"
#include "music/mci/MciErrors.h"
#include "music/mci/MciInterpreter.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

namespace {

using namespace quillaro;

constexpr std::size_t DefaultReplyLength = 512;
constexpr std::size_t MaxReplyLength = 4096;
constexpr int MaxTracks = 99;
constexpr std::array<std::int32_t, 4> MusicOutcomes{0, mci_error::FileNotFound,
                                                    mci_error::InvalidFile, mci_error::Hardware};
constexpr std::array<std::int32_t, 2> CdOutcomes{0, mci_error::InvalidDeviceName};

// Names the broken invariant before the crash that libFuzzer reports.
#define require(condition) ((condition) ? void(0) : broken(#condition, __LINE__))

[[noreturn]] void broken(const char* condition, int line) {
    std::fprintf(stderr, "invariant broken at line %d: %s\n", line, condition);
    std::abort();
}

// A whole number from the text, clamped to [low, high]; low when there is none.
long long numberIn(std::istringstream& words, long long low, long long high) {
    long long value = low;
    if (!(words >> value))
        return low;
    return value < low ? low : value > high ? high : value;
}

// A disc the way a drive reports one: tracks in ascending order that end at the lead-out.
std::optional<CdToc> tocFrom(std::istringstream& words) {
    CdToc toc;
    toc.firstTrack = static_cast<int>(numberIn(words, 1, MaxTracks));
    toc.leadout = static_cast<std::int32_t>(numberIn(words, 1, 450000));
    const long long audioBits = numberIn(words, 0, (1LL << 62));
    std::int32_t previous = -1;
    long long start = 0;
    while (toc.lastTrack() < MaxTracks && words >> start) {
        if (start <= previous || start >= toc.leadout)
            break;
        previous = static_cast<std::int32_t>(start);
        toc.trackStart.push_back(previous);
        toc.audio.push_back(((audioBits >> (toc.trackStart.size() - 1) % 62) & 1) != 0);
    }
    if (toc.trackStart.empty())
        return std::nullopt;
    toc.firstSessionEnd = static_cast<std::int32_t>(numberIn(words, 0, toc.leadout));
    return toc;
}

// Hands out fake drives and streams and knows, through their destructors, which ones are still
// open, so the input can move them along without touching one the interpreter has closed.
template <typename Fake> class Tracked : public Fake {
public:
    explicit Tracked(Fake*& live) : live_(live) { live_ = this; }
    ~Tracked() override {
        if (live_ == this)
            live_ = nullptr;
    }

private:
    Fake*& live_;
};

class FuzzBackend : public MciBackend {
public:
    Result<std::unique_ptr<MusicStream>, std::int32_t> openMusic(const std::string&) override {
        if (musicResult != 0)
            return failure(musicResult);
        return std::unique_ptr<MusicStream>(
            std::make_unique<Tracked<test::FakeMusicStream>>(stream));
    }
    Result<std::unique_ptr<CdDrive>, std::int32_t> openCdDrive() override {
        if (cdResult != 0)
            return failure(cdResult);
        auto opened = std::make_unique<Tracked<test::FakeCdDrive>>(drive);
        opened->mediaState = cdMedia;
        if (cdDisc)
            opened->disc = *cdDisc;
        return std::unique_ptr<CdDrive>(std::move(opened));
    }

    std::int32_t musicResult = 0;
    std::int32_t cdResult = 0;
    CdMedia cdMedia = CdMedia::Present;
    std::optional<CdToc> cdDisc;
    test::FakeMusicStream* stream = nullptr; // the last one opened, while it is open
    test::FakeCdDrive* drive = nullptr;
};

class World {
public:
    World() {
        auto owned = std::make_unique<FuzzBackend>();
        backend_ = owned.get();
        mci_ = std::make_unique<MciInterpreter>(std::move(owned));
    }

    void line(std::string_view text) {
        if (!text.empty() && text.front() == '!')
            change(std::string(text.substr(1)));
        else
            send(text);
    }

private:
    void send(std::string_view command) {
        const MciReply reply = mci_->send(command, replyLength_);
        require(reply.text.size() + 1 <= std::max<std::size_t>(replyLength_, 1));
        if (reply.code == 0)
            return;
        require(reply.text.empty());
        const std::optional<std::string> text = mci_->errorText(reply.code);
        require(text.has_value() && !text->empty());
    }

    void change(const std::string& directive) {
        std::istringstream words(directive);
        std::string what;
        words >> what;
        test::FakeCdDrive* drive = backend_->drive;
        if (what == "reply") {
            replyLength_ = static_cast<std::size_t>(numberIn(words, 0, MaxReplyLength));
        } else if (what == "music") {
            backend_->musicResult = MusicOutcomes[static_cast<std::size_t>(
                numberIn(words, 0, MusicOutcomes.size() - 1))];
        } else if (what == "cd") {
            backend_->cdResult =
                CdOutcomes[static_cast<std::size_t>(numberIn(words, 0, CdOutcomes.size() - 1))];
        } else if (what == "media") {
            backend_->cdMedia = static_cast<CdMedia>(numberIn(words, 0, 2));
        } else if (what == "toc") {
            backend_->cdDisc = tocFrom(words);
        } else if (what == "finish") {
            if (drive && drive->isPlaying)
                drive->finish();
            if (backend_->stream)
                backend_->stream->end();
        } else if (what == "fail") {
            // Within the range being played, as a real drive fails.
            if (drive && drive->isPlaying) {
                const auto [from, to] = drive->plays.back();
                drive->failAt(static_cast<std::int32_t>(numberIn(words, from, to)));
            }
        } else if (what == "gone") {
            if (drive)
                drive->mediaAfterFailure = CdMedia::NoDisc;
        }
    }

    FuzzBackend* backend_;
    std::unique_ptr<MciInterpreter> mci_;
    std::size_t replyLength_ = DefaultReplyLength;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    World world;
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        world.line(input.substr(0, end));
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }
    return 0;
}
