// The rule both programs apply to the working folder before they trust it with the hand-off
// picture: it must be a real folder (not a link) that belongs to this user and that nobody else
// can write into, so no other user can put a picture of theirs on the floor or make the saver
// write somewhere else.
#pragma once

#include <filesystem>

namespace quillaro {

bool isPrivateFolder(const std::filesystem::path& folder);

} // namespace quillaro
