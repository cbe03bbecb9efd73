// Ending the saver on Qt. Before the event loop runs, the program's entry sees that the end was
// asked for and returns instead of starting the loop; inside the loop, the loop is told to stop
// and every event still queued is dropped, so no handler runs after the end.
#pragma once

#include "ProgramEnd.h"

#include <QObject>

namespace quillaro {

class QtProgramEnd : public QObject, public ProgramEnd {
public:
    void endProgram(int exitCode) override;

    bool requested() const { return requested_; }
    // Lets events through again once the loop has stopped, so the program's windows can be
    // torn down normally.
    void allowTeardown();
    int exitCode() const { return exitCode_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool requested_ = false;
    int exitCode_ = 0;
};

} // namespace quillaro
