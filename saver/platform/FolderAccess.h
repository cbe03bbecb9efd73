// Whether this user may create and replace files in a folder. It decides where the settings
// live: beside the program in a folder of the user's own, or in the user's configuration folder
// when the program was installed where only the administrator can write.
#pragma once

#include <filesystem>

namespace quillaro {

class FolderAccess {
public:
    virtual ~FolderAccess() = default;
    // True when folder exists and this user may create, rename and remove files in it.
    virtual bool canWrite(const std::filesystem::path& folder) const = 0;
};

} // namespace quillaro
