// A music file behind the MPEGVideo device, driven by command strings: its modes through play,
// pause, resume, stop and the end of the file, and its positions in milliseconds.
#include "music/mci/MpegVideoDevice.h"

#include "MciSession.h"
#include "music/mci/MciErrors.h"

#include <gtest/gtest.h>

using namespace quillaro;
using MpegVideoDeviceTest = quillaro::test::MciSession;

TEST_F(MpegVideoDeviceTest, MusicModesFollowPlayPauseResumeStopAndTheEnd) {
    ASSERT_EQ(code("open a.mp3 type MPEGVideo alias m"), 0);
    auto* stream = backend->lastStream;
    ASSERT_EQ(code("play m"), 0);
    ASSERT_EQ(code("pause m"), 0);
    EXPECT_EQ(ask("status m mode"), "paused");
    ASSERT_EQ(code("play m"), 0);
    EXPECT_EQ(ask("status m mode"), "playing") << "play resumes a paused file";
    ASSERT_EQ(code("stop m"), 0);
    EXPECT_EQ(ask("status m mode"), "stopped");

    stream->plays.clear();
    ASSERT_EQ(code("play m"), 0);
    stream->end();
    EXPECT_EQ(ask("status m mode"), "stopped");
    ASSERT_EQ(code("play m"), 0);
    EXPECT_EQ(ask("status m mode"), "stopped") << "after the end a plain play has nothing left";
    ASSERT_EQ(code("play m from 0"), 0);
    EXPECT_EQ(ask("status m mode"), "playing");
    EXPECT_EQ(stream->plays, (std::vector<double>{0.0, 0.0}));
}

TEST_F(MpegVideoDeviceTest, MusicPositionsAreMilliseconds) {
    ASSERT_EQ(code("open a.mp3 type MPEGVideo alias m"), 0);
    auto* stream = backend->lastStream;
    ASSERT_EQ(code("play m from 1500"), 0);
    EXPECT_EQ(stream->plays.back(), 1.5);
    EXPECT_EQ(ask("status m position"), "1500");
    EXPECT_EQ(ask("status m length"), "60000");
    EXPECT_EQ(code("play m from 61000"), mci_error::OutOfRange);
    EXPECT_EQ(code("play m from soon"), mci_error::BadInteger);
    EXPECT_EQ(code("play m from"), mci_error::MissingParameter);
    EXPECT_EQ(code("play m from 0 to 100"), mci_error::UnsupportedFunction);
    EXPECT_EQ(code("set m time format milliseconds"), 0);
    EXPECT_EQ(code("set m time format tmsf"), mci_error::BadTimeFormat);
    stream->playWorks = false;
    EXPECT_EQ(code("play m from 0"), mci_error::Hardware);
}
