// Folder access as the kernel judges it for this process: write and search permission by the
// effective user, a read-only mount counting as unwritable.
#pragma once

#include "FolderAccess.h"

namespace quillaro {

class PosixFolderAccess : public FolderAccess {
public:
    bool canWrite(const std::filesystem::path& folder) const override;
};

} // namespace quillaro
