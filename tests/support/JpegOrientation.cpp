#include "JpegOrientation.h"

namespace quillaro::test {

std::string withOrientation(const std::string& jpeg, int orientation) {
    // An APP1 block right after the start marker: "Exif", a big-endian TIFF header and one
    // directory whose only entry is Orientation (tag 0x0112, one SHORT).
    std::string exif("\xFF\xE1\x00\x22"
                     "Exif\0\0"
                     "MM\0\x2A\0\0\0\x08"
                     "\0\x01"
                     "\x01\x12\0\x03\0\0\0\x01\0\0\0\0"
                     "\0\0\0\0",
                     36);
    exif[29] = static_cast<char>(orientation);
    return jpeg.substr(0, 2) + exif + jpeg.substr(2);
}

} // namespace quillaro::test
