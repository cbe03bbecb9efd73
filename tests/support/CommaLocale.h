// Switches LC_NUMERIC to a locale whose decimal mark is a comma (German), built on the spot
// with localedef into a temporary folder, so tests can show that number reading and writing
// ignore the user's locale. The previous locale comes back when it goes.
#pragma once

#include "TempDir.h"

#include <string>

namespace quillaro::test {

class CommaLocale {
public:
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // False when no such locale could be made (localedef or its sources missing).
    bool active() const { return active_; }

private:
    TempDir folder_;
    std::string previous_;
    bool active_ = false;
};

} // namespace quillaro::test
