// Loads a picture that is built into the program as a Qt resource (a path such as
// ":/button/Normal.bmp") into a 24-bit picture: the artwork of the push button and the settings
// dialog (faces, background, plates, radio marks, texture) travels inside the program this way.
#pragma once

#include "Image24.h"

#include <optional>
#include <string_view>

namespace quillaro {

// The picture at resourcePath in any format Qt reads (BMP, JPEG, PNG), or nothing when there is
// no such resource or it does not decode. The path is UTF-8.
std::optional<Image24> loadEmbeddedPicture(std::string_view resourcePath);

} // namespace quillaro
