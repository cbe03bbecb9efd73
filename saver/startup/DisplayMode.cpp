#include "DisplayMode.h"

#include "common/WindowNumber.h"

#include <string>

namespace quillaro {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<WindowId> DisplayModeWindow(std::string_view commandLine,
                                          const char* xscreensaverWindow) {
    bool root = false;
    std::optional<std::string_view> windowId;
    bool expectId = false;
    std::size_t at = 0;
    while (at < commandLine.size()) {
        while (at < commandLine.size() && isBlank(commandLine[at]))
            ++at;
        std::size_t end = at;
        while (end < commandLine.size() && !isBlank(commandLine[end]))
            ++end;
        std::string_view word = commandLine.substr(at, end - at);
        at = end;
        if (word.empty())
            break;
        if (expectId) {
            windowId = word;
            expectId = false;
        } else if (word == "--root" || word == "-root") {
            root = true;
        } else if (word == "--window-id" || word == "-window-id") {
            expectId = true;
            windowId = std::string_view{};
        } else if (word.starts_with("--window-id=")) {
            windowId = word.substr(word.find('=') + 1);
        }
    }
    // An explicit window wins over the environment, as xscreensaver's own programs do.
    if (windowId)
        return parseWindowNumber(*windowId).value_or(0);
    if (root)
        return parseWindowNumber(xscreensaverWindow ? xscreensaverWindow : "").value_or(0);
    return std::nullopt;
}

} // namespace quillaro
