#include "DisplayMode.h"

#include <charconv>
#include <string>

namespace quillaro {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<WindowId> parseWindowId(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    WindowId value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value;
}

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
        return parseWindowId(*windowId).value_or(0);
    if (root)
        return parseWindowId(xscreensaverWindow ? xscreensaverWindow : "").value_or(0);
    return std::nullopt;
}

} // namespace quillaro
