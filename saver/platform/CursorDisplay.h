// The cursor display counter: hiding counts down, showing counts up, and the pointer is hidden
// while the counter is negative. One counter per program, starting at 0.
#pragma once

namespace quillaro {

class CursorDisplay {
public:
    virtual ~CursorDisplay() = default;
    // Counts one show (true) or one hide (false) and returns the new counter.
    virtual int showCursor(bool show) = 0;
};

} // namespace quillaro
