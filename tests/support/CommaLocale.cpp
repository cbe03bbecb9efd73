#include "CommaLocale.h"

#include "ChildProcess.h"

#include <clocale>
#include <cstdlib>

namespace quillaro::test {
namespace {

constexpr const char* LocaleName = "de_DE.UTF-8";

} // namespace

CommaLocale::CommaLocale() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    previous_ = current ? current : "C";
    ProcessOptions options;
    options.args = {"-i", "de_DE", "-f", "UTF-8", (folder_ / LocaleName).string()};
    options.stderrFile = "/dev/null";
    ExitStatus status;
    try {
        runAndCapture("localedef", options, std::chrono::seconds(60), &status);
    } catch (const std::exception&) {
        return;
    }
    // glibc looks at LOCPATH on every setlocale call.
    setenv("LOCPATH", folder_.path().c_str(), 1);
    active_ = std::setlocale(LC_NUMERIC, LocaleName) != nullptr;
}

CommaLocale::~CommaLocale() {
    std::setlocale(LC_NUMERIC, previous_.c_str());
    unsetenv("LOCPATH");
}

} // namespace quillaro::test
