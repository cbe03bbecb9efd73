#include "AtomicFile.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace quillaro {
namespace {

constexpr const char* TemporarySuffix = ".XXXXXX";

// The temporary file's name, removed when it goes unless it has been renamed into place.
class TemporaryName {
public:
    explicit TemporaryName(std::string name) : name_(std::move(name)) {}
    ~TemporaryName() {
        if (!kept_)
            ::unlink(name_.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    const std::string& name() const { return name_; }
    void keep() { kept_ = true; }

private:
    std::string name_;
    bool kept_ = false;
};

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO; // a write that takes nothing and says nothing: no use to go on
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Swaps the new file with the regular file at target in one step. Readers see the old file or
// the new one, as with rename; but ext4 flushes a file that is renamed over another to the disk
// there and then, which costs a 6 MB picture about 8 ms. False when there is no such file to
// swap with or the file system cannot swap: then rename.
bool exchangeWithRegularFile(const std::string& temporary, const std::filesystem::path& target) {
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode))
        return false;
    return ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0;
}

} // namespace

Result<void, SystemError> replaceFileAtomically(const std::filesystem::path& target,
                                                std::string_view bytes, mode_t newMode,
                                                const struct stat* keepFrom,
                                                Durability durability) {
    bool given = false;
    return replaceFileAtomically(
        target,
        [&]() -> std::string_view {
            if (given)
                return {};
            given = true;
            return bytes;
        },
        newMode, keepFrom, durability);
}

Result<void, SystemError> replaceFileAtomically(const std::filesystem::path& target,
                                                const std::function<std::string_view()>& next,
                                                mode_t newMode, const struct stat* keepFrom,
                                                Durability durability) {
    if (target.empty() || !target.has_filename())
        return systemFailure("cannot replace a file without a name", target, EINVAL);
    // The temporary lies beside the target, hidden: rename is atomic only within one file
    // system.
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (folder / ("." + target.filename().string() + TemporarySuffix)).string();
    const int raw = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (raw < 0)
        return systemFailure("cannot create a temporary file beside", target);
    FileDescriptor fd(raw);
    TemporaryName temporary(pattern);

    if (keepFrom) {
        if (::fchmod(fd.get(), keepFrom->st_mode & 07777) != 0)
            return systemFailure("cannot give the new file the mode of", target);
        if (keepFrom->st_uid != ::geteuid() || keepFrom->st_gid != ::getegid())
            (void)!::fchown(fd.get(), keepFrom->st_uid, keepFrom->st_gid); // only root may
    } else if (::fchmod(fd.get(), newMode) != 0) {
        return systemFailure("cannot set the mode of the new file for", target);
    }
    for (std::string_view piece = next(); !piece.empty(); piece = next())
        if (!writeAll(fd.get(), piece))
            return systemFailure("cannot write the new content of", target);
    const bool synced = durability == Durability::Synced;
    // Synced, the data is on disk before the new name points at it, or a crash could leave a
    // file of the right name and the wrong content.
    if (synced && ::fsync(fd.get()) != 0)
        return systemFailure("cannot bring to the disk the new content of", target);
    if (const std::error_code closed = fd.close())
        return systemFailure("cannot finish the new content of", target, closed.value());
    if (!synced && exchangeWithRegularFile(temporary.name(), target))
        return {}; // the temporary's name now holds the old file, which goes with it
    if (::rename(temporary.name().c_str(), target.c_str()) != 0)
        return systemFailure("cannot put the new file in place of", target);
    temporary.keep();

    // Make the rename itself durable; the file is already complete, so a failure here is no
    // reason to report one.
    if (synced) {
        FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir)
            ::fsync(dir.get());
    }
    return {};
}

} // namespace quillaro
