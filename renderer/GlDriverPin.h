// Sanitizer builds only: keeps the GL driver modules loaded until the process has gone.
// At exit the GL library unloads its driver before the leak check runs; the driver's own
// globals then vanish from the check's view and everything they held is reported as leaked
// from an unknown module, which no suppression can name. Pinned, the reports name the
// driver's library, and tests/sanitizer/lsan.supp can suppress exactly that library.
#pragma once

namespace quillaro {

// Marks every loaded module under a "dri" folder, and libLLVM, as never to be unloaded.
// Call it once the GL context exists.
void pinGlDriverModules();

} // namespace quillaro
