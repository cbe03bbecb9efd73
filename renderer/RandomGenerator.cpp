#include "RandomGenerator.h"

namespace quillaro {
namespace {

constexpr std::uint32_t Multiplier = 214013;
constexpr std::uint32_t Increment = 2531011;
constexpr int KindCount = 4;

} // namespace

int RandomGenerator::next() {
    state_ = state_ * Multiplier + Increment; // wraps modulo 2^32 by design
    return static_cast<int>((state_ >> 16) & 0x7FFF);
}

SolidKind nextSolidKind(RandomGenerator& random) {
    return static_cast<SolidKind>(random.next() % KindCount);
}

} // namespace quillaro
