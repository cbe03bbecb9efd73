// The command interpreter over a fake backend, for the tests that drive the interpreter and its
// devices through command strings: the code or reply of a command, and the CD opened the way the
// music module opens it. Also the discs those tests put into the fake drive.
#pragma once

#include "FakeMciBackend.h"
#include "music/mci/MciInterpreter.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace quillaro::test {

class MciSession : public ::testing::Test {
protected:
    static constexpr std::size_t Buffer = 512;

    MciSession() {
        auto owned = std::make_unique<FakeMciBackend>();
        backend = owned.get();
        mci = std::make_unique<MciInterpreter>(std::move(owned));
    }

    std::int32_t code(const std::string& command) { return mci->send(command, Buffer).code; }
    // The reply of a command that must succeed.
    std::string ask(const std::string& command) {
        MciReply reply = mci->send(command, Buffer);
        EXPECT_EQ(reply.code, 0) << command;
        return reply.text;
    }
    void TearDown() override { settings().BgmRepeat = 0; }
    void openCd() {
        ASSERT_EQ(code("open cdaudio"), 0);
        ASSERT_EQ(code("set cdaudio time format tmsf"), 0);
    }

    FakeMciBackend* backend;
    std::unique_ptr<MciInterpreter> mci;
};

inline CdToc discOf(std::vector<std::int32_t> starts, std::vector<bool> audio, std::int32_t leadout,
                    std::int32_t firstSessionEnd = 0) {
    CdToc toc;
    toc.trackStart = std::move(starts);
    toc.audio = std::move(audio);
    toc.leadout = leadout;
    toc.firstSessionEnd = firstSessionEnd;
    return toc;
}

// A disc with data before and after its sound: data 0..999, audio 1000..2499 and 2500..3999,
// data 4000..4999.
inline CdToc mixedDisc() {
    return discOf({0, 1000, 2500, 4000}, {false, true, true, false}, 5000);
}

} // namespace quillaro::test
