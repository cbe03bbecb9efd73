#include "SystemError.h"

#include <cstring>

namespace quillaro {

std::string SystemError::message() const {
    std::string text = what;
    if (!path.empty())
        text += " " + path.string();
    if (code != 0)
        text += std::string(": ") + std::strerror(code);
    return text;
}

} // namespace quillaro
