// The result of a creation that can fail: a value, or the reason there is none.
#include "common/Result.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <variant>

using quillaro::failure;
using quillaro::Result;

namespace {

struct Shape {
    virtual ~Shape() = default;
    virtual int sides() const = 0;
};
struct Square : Shape {
    int sides() const override { return 4; }
};

enum class Why { Missing, Refused };

Result<std::unique_ptr<Shape>, Why> make(bool works) {
    if (!works)
        return failure(Why::Refused);
    return std::make_unique<Square>(); // a derived pointer is the value
}

// Where the value and the reason share a type, only failure() makes a reason.
Result<int, int> sectorOr(int code, int sector) {
    if (code)
        return failure(code);
    return sector;
}

} // namespace

TEST(Result, CarriesTheValueOrTheReasonAndNeverBoth) {
    auto made = make(true);
    ASSERT_TRUE(made);
    EXPECT_EQ((*made)->sides(), 4);
    std::unique_ptr<Shape> taken = std::move(*made); // a move-only value can be taken out
    EXPECT_EQ(taken->sides(), 4);
    EXPECT_THROW((void)made.error(), std::bad_variant_access);

    auto refused = make(false);
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), Why::Refused);
    EXPECT_THROW((void)refused.value(), std::bad_variant_access);

    EXPECT_EQ(*sectorOr(0, 270), 270);
    EXPECT_FALSE(sectorOr(270, 0));
    EXPECT_EQ(sectorOr(270, 0).error(), 270);

    const Result<std::string, Why> text = std::string("abc");
    EXPECT_EQ(text->size(), 3u);
}
