#include "Utf8.h"

#include <algorithm>

namespace quillaro {

std::size_t characterOffset(std::string_view text, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t count = 1; count < n && pos < text.size(); ++count) {
        auto lead = static_cast<unsigned char>(text[pos]);
        std::size_t length = lead >= 0xF0 && lead < 0xF5   ? 4
                             : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xC2 && lead < 0xE0 ? 2
                                                           : 1;
        std::size_t next = pos + 1;
        while (next < pos + length && next < text.size() &&
               (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
            ++next;
        pos = (next == pos + length) ? next : pos + 1;
    }
    return std::min(pos, text.size());
}

std::string_view firstCharacters(std::string_view text, std::size_t count) {
    return text.substr(0, characterOffset(text, count + 1));
}

} // namespace quillaro
