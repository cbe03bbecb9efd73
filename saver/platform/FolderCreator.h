// Creating the working folder that holds the hand-off picture: one call, which Main and the run
// form make through SaverServices so that their tests can fake its outcome.
#pragma once

#include "common/SystemError.h"

#include <filesystem>
#include <functional>

namespace quillaro {

// Makes sure folder exists as a folder of this user that only this user can enter (created mode
// 0700, parents as needed). Succeeds when it exists and is safe to write into.
using FolderCreator = std::function<Result<void, SystemError>(const std::filesystem::path&)>;

} // namespace quillaro
