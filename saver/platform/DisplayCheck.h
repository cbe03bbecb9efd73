// Whether the saver has an X display to work on, asked before the toolkit starts (Qt's X
// platform aborts the process when it cannot connect).
#pragma once

#include <optional>
#include <string>

namespace quillaro {

// Nothing when the display named by DISPLAY can be opened; else one line (without a line
// break) that says what is wrong, for standard error.
std::optional<std::string> displayProblem();

} // namespace quillaro
