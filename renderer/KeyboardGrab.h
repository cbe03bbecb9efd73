// Takes the keyboard for the renderer's window once the window is on screen, as screen savers
// on X do, so that Escape reaches the animation whatever window manager runs (or none) and
// whichever window had the focus when the run began. Another program may hold the keyboard for
// a moment (an open menu, the launcher that started the run): the grab is tried again on later
// frames for a few seconds. The keyboard is given back when the renderer ends.
#pragma once

#include <chrono>

namespace quillaro {

class KeyboardGrab {
public:
    using Clock = std::chrono::steady_clock;
    // How long a keyboard held by another program, or a window not yet shown, is waited for.
    static constexpr std::chrono::seconds RetryLimit{5};

    // One attempt on the window current in this thread's GL context, until one succeeds or the
    // retry limit has passed since the first; nothing after that. Call once per frame.
    void tryGrab(Clock::time_point now);
    // Gives the keyboard back when it is held.
    void release();
    bool held() const { return held_; }

private:
    bool held_ = false;
    bool givenUp_ = false;
    Clock::time_point firstTry_{};
};

} // namespace quillaro
