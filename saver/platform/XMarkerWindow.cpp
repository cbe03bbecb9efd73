#include "XMarkerWindow.h"

namespace quillaro {

XMarkerWindow::XMarkerWindow(std::string_view title)
    : window_(connection_.makeUnlessFound(title)) {}

} // namespace quillaro
