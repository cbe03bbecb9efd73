// Ending the saver program at once: every window closes and no further event is delivered.
#pragma once

#include <QObject>
#include <memory>

namespace quillaro {

inline constexpr int ExitQuietly = 0;

// A form that keeps the program alive after Main has returned (the run form, the preview); it
// ends the program itself through ProgramEnd.
using LoadedForm = std::unique_ptr<QObject>;

class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    // Asks for the end. The caller returns straight away; the program stops as soon as control
    // is back with the program's entry or its event loop, without handling another event.
    virtual void endProgram(int exitCode) = 0;
};

} // namespace quillaro
