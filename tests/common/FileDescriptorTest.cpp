// The owner of a file descriptor: exactly one close, whoever ends up holding it.
#include "common/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <type_traits>
#include <unistd.h>

using quillaro::FileDescriptor;

static_assert(!std::is_copy_constructible_v<FileDescriptor> &&
                  !std::is_copy_assignable_v<FileDescriptor>,
              "a copy would close the descriptor twice");
static_assert(std::is_nothrow_destructible_v<FileDescriptor> &&
              std::is_nothrow_move_constructible_v<FileDescriptor> &&
              std::is_nothrow_move_assignable_v<FileDescriptor>);

namespace {

bool isOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

} // namespace

TEST(FileDescriptor, ClosesOnceWhoeverHoldsItLast) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        FileDescriptor first(fds[0]);
        FileDescriptor second(fds[1]);
        FileDescriptor moved(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(moved.get(), fds[0]);
        moved = std::move(second); // closes what moved held before
        EXPECT_FALSE(isOpen(fds[0]));
        EXPECT_TRUE(isOpen(fds[1]));
        FileDescriptor& same = moved;
        moved = std::move(same);
        EXPECT_TRUE(isOpen(fds[1])) << "a move onto itself keeps the descriptor";
    }
    EXPECT_FALSE(isOpen(fds[1]));
}

TEST(FileDescriptor, ReleaseHandsTheDescriptorOverUnclosed) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int released = -1;
    {
        FileDescriptor owner(fds[0]);
        FileDescriptor other(fds[1]);
        released = owner.release();
        EXPECT_FALSE(owner);
        EXPECT_EQ(owner.release(), -1);
    }
    EXPECT_EQ(released, fds[0]);
    EXPECT_TRUE(isOpen(fds[0]));
    EXPECT_FALSE(isOpen(fds[1]));
    close(fds[0]);
}

TEST(FileDescriptor, CloseReportsItsErrorAndLeavesNothingToCloseAgain) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FileDescriptor owner(fds[0]);
    close(fds[1]);
    EXPECT_FALSE(owner.close());
    EXPECT_FALSE(owner);
    EXPECT_FALSE(owner.close()) << "nothing left to close";

    // A descriptor that someone else closed behind the owner's back.
    FileDescriptor stale(fds[0]);
    EXPECT_EQ(stale.close(), std::error_code(EBADF, std::generic_category()));
    EXPECT_FALSE(stale);
}
