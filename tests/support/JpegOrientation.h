// A JPEG file's bytes with an Exif orientation tag added, as a camera writes it for a photo taken
// with the camera turned: 6 means the stored picture must be turned a quarter clockwise to stand
// upright, 8 a quarter counter-clockwise, 3 half a turn.
#pragma once

#include <string>

namespace quillaro::test {

std::string withOrientation(const std::string& jpeg, int orientation);

} // namespace quillaro::test
