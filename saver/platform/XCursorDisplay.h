// The cursor display counter on X: the count lives in the program, and XFixes hides the pointer
// over the whole screen while it is negative. The X server keeps only one hide per client and
// answers a show without a hide with an error, so the server is told only when the pointer's
// state changes. The hide belongs to this object's own X connection; closing it (at the latest
// when the program ends) gives the pointer back.
// Make one per program: a second one would keep a count of its own. The X connection is opened
// at the first show or hide, so a program that never touches the cursor never opens it.
#pragma once

#include "CursorDisplay.h"

#include <memory>
#include <string>

namespace quillaro {

class XConnection;

class XCursorDisplay : public CursorDisplay {
public:
    explicit XCursorDisplay(const char* displayName = nullptr);
    ~XCursorDisplay() override;

    int showCursor(bool show) override;

    int counter() const { return counter_; }
    // True while this program has the pointer hidden on the server.
    bool hidden() const { return hidden_; }

private:
    void connect();

    std::string displayName_;
    bool connectTried_ = false;
    std::unique_ptr<XConnection> connection_;
    bool xfixes_ = false;
    bool hidden_ = false;
    int counter_ = 0;
};

} // namespace quillaro
