// The names by which the two programs know each other: the saver starts the renderer by its file
// name beside itself (and refuses to run without it), and knows that the renderer still runs as
// long as a window with its title exists.
#pragma once

namespace quillaro {

inline constexpr const char* RendererFileName = "Quillaro.dll";
inline constexpr const char* RendererWindowTitle = "Lumivane_VC";

} // namespace quillaro
