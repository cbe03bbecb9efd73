// Creating the working folder that holds the hand-off picture.
#pragma once

#include "common/SystemError.h"

#include <filesystem>

namespace quillaro {

class FolderCreator {
public:
    virtual ~FolderCreator() = default;
    // Makes sure folder exists as a folder of this user that only this user can enter (created
    // mode 0700, parents as needed). Succeeds when it exists and is safe to write into.
    [[nodiscard]] virtual Result<void, SystemError>
    createPrivateFolder(const std::filesystem::path& folder) = 0;
};

} // namespace quillaro
