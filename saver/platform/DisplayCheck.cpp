#include "DisplayCheck.h"

#include "XConnection.h"

#include <cstdlib>

namespace quillaro {

std::optional<std::string> displayProblem() {
    if (XConnection::open())
        return std::nullopt;
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return std::string("Quillaro.scr: no X display (DISPLAY is not set); the screen saver "
                           "needs an X11 session.");
    return "Quillaro.scr: cannot open the X display \"" + std::string(name) +
           "\"; the screen saver needs an X11 session.";
}

} // namespace quillaro
