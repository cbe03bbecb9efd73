// The CD player's reading thread with a reader and a look at the disc that the test holds in its
// hand: either may hang until the test lets it go, as on a damaged disc or a slow drive, and
// must not hold up the player's close; the thread still frees everything once the drive
// answers. A failed read is followed by a look at the disc on the reading thread, before the
// play is seen to end. Sound goes out through SDL's disk driver.
#include "music/cd/CdPcmPlayer.h"

#include "TempDir.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

using namespace quillaro;
using namespace std::chrono_literals;

namespace {

// Far longer than any of the waits below should take on a busy machine.
constexpr auto Patience = 20s;

// A drive call that the test holds: it waits until released. Shared between the test and the
// worker, which may outlive the player that made it.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;  // the worker is inside the call
    bool released = false; // the call may return
    bool works = true;     // what a read returns
    bool freed = false;    // the reader is gone
    int sectorsRead = 0;
    std::thread::id enteredOn;

    void set(bool Gate::*flag) {
        {
            std::lock_guard lock(mutex);
            this->*flag = true;
        }
        changed.notify_all();
    }
    bool waitFor(bool Gate::*flag) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, Patience, [&] { return this->*flag; });
    }
    // The worker's side: says it is inside, then waits for the release.
    void pass() {
        std::unique_lock lock(mutex);
        entered = true;
        enteredOn = std::this_thread::get_id();
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    }
};

class GatedReader : public CdSectorReader {
public:
    explicit GatedReader(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}
    ~GatedReader() override { gate_->set(&Gate::freed); }
    bool read(std::int32_t, int count, std::int16_t* out) override {
        std::fill_n(out, static_cast<std::size_t>(count) * SectorSamples, std::int16_t{0});
        gate_->pass();
        std::lock_guard lock(gate_->mutex);
        gate_->sectorsRead += count;
        return gate_->works;
    }

private:
    std::shared_ptr<Gate> gate_;
};

// Waits for the player's play to end; false when it never does.
bool playEnds(const CdPcmPlayer& player) {
    const auto deadline = std::chrono::steady_clock::now() + Patience;
    while (player.playing() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    return !player.playing();
}

class CdPcmPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (dir / "heard.raw").c_str(), 1);
        output = SdlAudioOutput::acquire();
        ASSERT_TRUE(output->isOpen());
    }
    void TearDown() override {
        output.reset();
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }

    // A factory of readers behind the read gate. It holds a token, as the real one holds the
    // drive's handle: the token goes once the worker has let go of all it was given.
    CdPcmPlayer::ReaderFactory gatedReaders() {
        auto token = std::make_shared<int>(0);
        held = token;
        return [gate = readGate, token]() -> std::unique_ptr<CdSectorReader> {
            return std::make_unique<GatedReader>(gate);
        };
    }
    // A look at the disc behind the check gate, which finds the disc gone.
    CdPcmPlayer::MediaCheck gatedCheck() {
        return [gate = checkGate] {
            gate->pass();
            return CdMedia::NoDisc;
        };
    }
    void readsFailAtOnce() {
        readGate->released = true;
        readGate->works = false;
    }

    // Closes the player while its worker hangs behind the gate: the close must come back
    // before the gate opens.
    void expectCloseDoesNotWait(std::unique_ptr<CdPcmPlayer>& player, Gate& hanging) {
        auto closing = std::async(std::launch::async, [&player] { player.reset(); });
        const bool returned = closing.wait_for(Patience) == std::future_status::ready;
        hanging.set(&Gate::released);
        closing.wait();
        EXPECT_TRUE(returned) << "the close waited for the drive";
    }
    // Once the drive answers, the worker frees the reader and what the factory held.
    void expectWorkerLetsGo() {
        EXPECT_TRUE(readGate->waitFor(&Gate::freed)) << "the reader was never freed";
        const auto deadline = std::chrono::steady_clock::now() + Patience;
        while (!held.expired() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_TRUE(held.expired()) << "the worker still holds the factory";
    }

    quillaro::test::TempDir dir;
    std::shared_ptr<SdlAudioOutput> output;
    std::shared_ptr<Gate> readGate = std::make_shared<Gate>();
    std::shared_ptr<Gate> checkGate = std::make_shared<Gate>();
    std::weak_ptr<int> held;
};

} // namespace

TEST_F(CdPcmPlayerTest, CloseReturnsWhileAReadHangsAndTheWorkerFreesItAll) {
    auto player = std::make_unique<CdPcmPlayer>(output, gatedReaders());
    ASSERT_TRUE(player->play(0, 100));
    ASSERT_TRUE(readGate->waitFor(&Gate::entered));
    expectCloseDoesNotWait(player, *readGate);
    expectWorkerLetsGo();
}

TEST_F(CdPcmPlayerTest, CloseReturnsWhileTheLookAtTheDiscHangs) {
    readsFailAtOnce();
    auto player = std::make_unique<CdPcmPlayer>(output, gatedReaders(), gatedCheck());
    ASSERT_TRUE(player->play(0, 100));
    ASSERT_TRUE(checkGate->waitFor(&Gate::entered));
    expectCloseDoesNotWait(player, *checkGate);
    expectWorkerLetsGo();
}

TEST_F(CdPcmPlayerTest, AFailedReadIsFollowedByALookAtTheDiscOnTheReadingThread) {
    readsFailAtOnce();
    CdPcmPlayer player(output, gatedReaders(), gatedCheck());
    EXPECT_FALSE(player.mediaFound().has_value());
    ASSERT_TRUE(player.play(0, 100));
    ASSERT_TRUE(checkGate->waitFor(&Gate::entered));
    {
        std::lock_guard lock(checkGate->mutex);
        EXPECT_NE(checkGate->enteredOn, std::this_thread::get_id());
    }
    // The sound output asks for more, as it does every few milliseconds: with nothing left to
    // hear, a play whose end had been told would end now.
    std::vector<std::int16_t> buffer(2 * 1024);
    player.mixInto(buffer.data(), buffer.size() / 2);
    EXPECT_TRUE(player.playing()) << "the play was seen to end before the disc was looked at";
    EXPECT_FALSE(player.mediaFound().has_value());

    checkGate->set(&Gate::released);
    ASSERT_TRUE(playEnds(player));
    EXPECT_TRUE(player.readFailed());
    EXPECT_EQ(player.mediaFound(), CdMedia::NoDisc);
    EXPECT_EQ(player.position(), 0) << "nothing could be read";
}

TEST_F(CdPcmPlayerTest, AStopIsSeenAfterTheSectorBeingReadNotAfterTheWholeBatch) {
    auto player = std::make_unique<CdPcmPlayer>(output, gatedReaders());
    ASSERT_TRUE(player->play(0, 100));
    ASSERT_TRUE(readGate->waitFor(&Gate::entered));
    player->stop();
    readGate->set(&Gate::released);
    player.reset();
    expectWorkerLetsGo();
    std::lock_guard lock(readGate->mutex);
    EXPECT_EQ(readGate->sectorsRead, 1) << "the worker read on after the stop";
}

// A reader that could not be made (a drive that is not ready yet) spoils only the play that
// asked for it: the next play asks again, and plays.
TEST_F(CdPcmPlayerTest, AReaderThatFailedToStartIsAskedForAgainAtTheNextPlay) {
    readGate->released = true;
    auto asked = std::make_shared<int>(0);
    CdPcmPlayer player(output, [gate = readGate, asked]() -> std::unique_ptr<CdSectorReader> {
        if (++*asked == 1)
            return nullptr;
        return std::make_unique<GatedReader>(gate);
    });
    ASSERT_TRUE(player.play(0, 20));
    ASSERT_TRUE(playEnds(player));
    EXPECT_TRUE(player.readFailed());
    EXPECT_EQ(*asked, 1);

    ASSERT_TRUE(player.play(0, 20));
    ASSERT_TRUE(playEnds(player));
    EXPECT_FALSE(player.readFailed());
    EXPECT_EQ(player.position(), 20) << "heard to the end of the range";
    EXPECT_EQ(*asked, 2);
    std::lock_guard lock(readGate->mutex);
    EXPECT_EQ(readGate->sectorsRead, 20);
}
