#include "AtomicFile.h"

#include "FileDescriptor.h"

#include <cerrno>
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
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                           mode_t newMode, const struct stat* keepFrom) {
    if (target.empty() || !target.has_filename())
        return false;
    // The temporary lies beside the target, hidden: rename is atomic only within one file
    // system.
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (folder / ("." + target.filename().string() + TemporarySuffix)).string();
    const int raw = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (raw < 0)
        return false;
    FileDescriptor fd(raw);
    TemporaryName temporary(pattern);

    if (keepFrom) {
        if (::fchmod(fd.get(), keepFrom->st_mode & 07777) != 0)
            return false;
        if (keepFrom->st_uid != ::geteuid() || keepFrom->st_gid != ::getegid())
            (void)!::fchown(fd.get(), keepFrom->st_uid, keepFrom->st_gid); // only root may
    } else if (::fchmod(fd.get(), newMode) != 0) {
        return false;
    }
    if (!writeAll(fd.get(), bytes))
        return false;
    // The data must be on disk before the new name points at it, or a crash could leave a file
    // of the right name and the wrong content.
    if (::fsync(fd.get()) != 0 || fd.close())
        return false;
    if (::rename(temporary.name().c_str(), target.c_str()) != 0)
        return false;
    temporary.keep();

    // Make the rename itself durable; the file is already complete, so a failure here is no
    // reason to report one.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        ::fsync(dir.get());
    return true;
}

} // namespace quillaro
