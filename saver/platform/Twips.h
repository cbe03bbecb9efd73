// The toolkit's unit for form and screen sizes: twips, 1/1440 inch, 15 to a pixel at the design
// scale, which is the scale the saver always works at.
#pragma once

namespace quillaro {

inline constexpr int TwipsPerPixel = 15;

} // namespace quillaro
