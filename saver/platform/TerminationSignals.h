// Turns the signals that ask a program to end (SIGTERM at log-out or shutdown, SIGHUP when the
// session goes, SIGINT from a terminal) into a Qt signal delivered on the GUI thread, so the run
// form can tear down as it does when the renderer has gone: music stopped, cursor given back.
#pragma once

#include "common/FileDescriptor.h"

#include <QObject>
#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <memory>

namespace quillaro {

// The signals that ask the program to end.
inline constexpr std::array<int, 3> EndSignals = {SIGTERM, SIGHUP, SIGINT};

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void endRequested();

private:
    void drain();

    // The handler writes into wakeWrite_; the notifier watches wakeRead_ on the GUI thread.
    FileDescriptor wakeRead_;
    FileDescriptor wakeWrite_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace quillaro
