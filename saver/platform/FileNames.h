// File names are bytes on Linux, but Qt hands them over as text: a name that is not valid UTF-8
// (an old archive unpacked from another system, "caf\xe9.jpg" in Latin-1) decodes with U+FFFD in
// place of its odd bytes and, encoded again, names no file. This finds the bytes again. (Qt 6's
// own directory listing leaves such names out, so its file dialog does not offer them at all.)
#pragma once

#include <QString>
#include <string>

namespace quillaro {

// The bytes of the path Qt's file system model named: each part that is not there as Qt encodes
// it is the folder's entry that Qt decodes to the same text (the first one the folder lists,
// should several); a part that matches no entry (a new name typed in) is encoded as it stands.
std::string fileSystemPath(const QString& path);

} // namespace quillaro
