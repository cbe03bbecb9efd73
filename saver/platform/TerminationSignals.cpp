#include "TerminationSignals.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillaro {
namespace {

// Written by the signal handler; a handler may do nothing but write to a pipe.
volatile std::sig_atomic_t wakeFd = -1;

void onEndSignal(int sig) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    if (wakeFd >= 0) [[maybe_unused]]
        auto written = ::write(wakeFd, &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe the default actions stay: the program simply ends
    wakeRead_ = FileDescriptor(ends[0]);
    wakeWrite_ = FileDescriptor(ends[1]);
    wakeFd = wakeWrite_.get();
    notifier_ = std::make_unique<QSocketNotifier>(wakeRead_.get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : EndSignals)
        sigaction(sig, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    for (int sig : EndSignals)
        std::signal(sig, SIG_DFL);
    wakeFd = -1;
    notifier_.reset(); // before the descriptor it watches goes
}

void TerminationSignals::drain() {
    unsigned char bytes[16];
    while (::read(wakeRead_.get(), bytes, sizeof bytes) > 0) {
    }
    emit endRequested();
}

} // namespace quillaro
