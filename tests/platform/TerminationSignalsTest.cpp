// The signals that ask the saver to end, turned into one Qt signal on the GUI thread.
#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>

using quillaro::TerminationSignals;

namespace {

constexpr int DeliveryWaitMs = 5000;

std::size_t openDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

void (*handlerOf(int sig))(int) {
    struct sigaction current {};
    sigaction(sig, nullptr, &current);
    return current.sa_handler;
}

} // namespace

TEST(TerminationSignals, EachEndSignalIsDeliveredOnceOnTheEventLoopAndLeavesNothingBehind) {
    int argc = 1;
    char name[] = "TerminationSignalsTest";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const std::size_t descriptorsBefore = openDescriptors();
    {
        TerminationSignals ends;
        QSignalSpy spy(&ends, &TerminationSignals::endRequested);
        ASSERT_TRUE(spy.isValid());
        int expected = 0;
        for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
            ASSERT_EQ(raise(sig), 0) << sig;
            EXPECT_EQ(spy.count(), expected) << "not from inside the handler";
            ASSERT_TRUE(spy.wait(DeliveryWaitMs)) << "signal " << sig << " never arrived";
            EXPECT_EQ(spy.count(), ++expected);
        }
        // Two at once before the loop runs: one wake-up, drained in one go.
        raise(SIGTERM);
        raise(SIGTERM);
        ASSERT_TRUE(spy.wait(DeliveryWaitMs));
        QCoreApplication::processEvents();
        EXPECT_EQ(spy.count(), expected + 1);
    }
    // Gone: the default actions are back and the wake-up pipe is closed.
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        EXPECT_EQ(handlerOf(sig), SIG_DFL) << sig;
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}
