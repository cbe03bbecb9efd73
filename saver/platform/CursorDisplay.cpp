#include "CursorDisplay.h"

namespace quillaro {

std::optional<std::int32_t>& CursorCount() {
    static std::optional<std::int32_t> counter;
    return counter;
}

} // namespace quillaro
