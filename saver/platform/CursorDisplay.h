// The cursor display counter: hiding counts down, showing counts up, and the pointer is hidden
// while the counter is negative. One counter per program, starting at 0.
#pragma once

#include <cstdint>
#include <optional>

namespace quillaro {

class CursorDisplay {
public:
    virtual ~CursorDisplay() = default;
    // Counts one show (true) or one hide (false) and returns the new counter.
    virtual int showCursor(bool show) = 0;
};

// The cursor display counter kept by a run in mode S, for the run's teardown to pass back.
std::optional<std::int32_t>& CursorCount();

} // namespace quillaro
