// What a creation that can fail gives back: the thing made, or the reason it was not made. Every
// open or parse that can fail answers with one (a display, a file, a CD drive, a music stream, a
// command), the reason in that unit's own terms: an enum of its own, or an MCI error code.
//
//   Result<RegularFile, RegularFile::Problem> file = RegularFile::open(path);
//   if (!file) return file.error() == RegularFile::Problem::Missing ? ... : ...;
//   file->readSome(...);
//
// A function returns its value as it is and a reason as failure(reason); the wrapper tells the
// two apart even where they have the same type (a sector number or an error code). An action
// that makes nothing (a write, a folder made) returns Result<void, E>: `return {};` on success.
#pragma once

#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace quillaro {

template <typename E> struct Failure { E reason; };

template <typename E> Failure<std::decay_t<E>> failure(E&& reason) {
    return {std::forward<E>(reason)};
}

template <typename T, typename E> class [[nodiscard]] Result {
public:
    template <typename U>
    requires(std::is_constructible_v<T, U&&> && !std::is_same_v<std::decay_t<U>, Result>)
        Result(U&& value)
        : state_(std::in_place_index<0>, std::forward<U>(value)) {}
    template <typename F>
    requires std::is_constructible_v<E, F&&> Result(Failure<F> failed)
        : state_(std::in_place_index<1>, std::move(failed.reason)) {}

    bool ok() const noexcept { return state_.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    // The value; asking a failure for it throws std::bad_variant_access.
    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // The reason; asking a success for it throws std::bad_variant_access.
    const E& error() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

template <typename E> class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    template <typename F>
    requires std::is_constructible_v<E, F&&> Result(Failure<F> failed)
        : reason_(std::move(failed.reason)) {}

    bool ok() const noexcept { return !reason_.has_value(); }
    explicit operator bool() const noexcept { return ok(); }

    // The reason; asking a success for it throws std::bad_optional_access.
    const E& error() const { return reason_.value(); }

private:
    std::optional<E> reason_;
};

} // namespace quillaro
