#include "DisplayCheck.h"

#include "XConnection.h"

#include <cstdlib>

namespace quillaro {

std::optional<std::string> displayProblem() {
    const auto connection = XConnection::open();
    if (connection)
        return std::nullopt;
    if (connection.error() == XConnection::Problem::NoDisplayNamed)
        return std::string("Quillaro.scr: no X display (DISPLAY is not set); the screen saver "
                           "needs an X11 session.");
    return "Quillaro.scr: cannot open the X display \"" + std::string(std::getenv("DISPLAY")) +
           "\"; the screen saver needs an X11 session.";
}

} // namespace quillaro
