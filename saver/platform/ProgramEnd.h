// Ending the saver program at once: every window closes and no further event is delivered.
#pragma once

namespace quillaro {

class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    // Asks for the end. The caller returns straight away; the program stops as soon as control
    // is back with the program's entry or its event loop, without handling another event.
    virtual void endProgram(int exitCode) = 0;
};

} // namespace quillaro
