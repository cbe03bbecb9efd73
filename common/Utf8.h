// Walking UTF-8 text by characters. The command line and the settings values are UTF-8; the
// rules the saver applies to them count characters, not bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace quillaro {

// The byte offset of the n-th character (counting from 1) of UTF-8 text; a byte that does not
// belong to a well-formed character counts as one character of its own.
std::size_t characterOffset(std::string_view text, std::size_t n);

// The first count characters of text (all of it when it is shorter), never half of one.
std::string_view firstCharacters(std::string_view text, std::size_t count);

} // namespace quillaro
