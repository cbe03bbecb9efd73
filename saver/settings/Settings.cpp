#include "Settings.h"

namespace quillaro {

Settings& settings() {
    static Settings record;
    return record;
}

} // namespace quillaro
