// SPDX-License-Identifier: MIT
// Glenvary: a value, or one line saying why there is none.
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace glenvary::base {

/// Why an operation produced nothing: one line a person can act on.
struct TError {
    std::string message;
};

/// A value of type T, or a TError. A small stand-in for C++23's
/// std::expected: the caller has to ask Ok() before it can take either.
template <class T>
class TResult {
public:
    TResult(T value) : state_(std::move(value)) {}           // NOLINT(google-explicit-constructor)
    TResult(TError error) : state_(std::move(error)) {}      // NOLINT(google-explicit-constructor)

    [[nodiscard]] bool Ok() const noexcept { return state_.index() == 0; }
    explicit operator bool() const noexcept { return Ok(); }

    /// The value. Precondition: Ok().
    [[nodiscard]] const T& Value() const& { return std::get<0>(state_); }
    [[nodiscard]] T& Value() & { return std::get<0>(state_); }
    [[nodiscard]] T&& Value() && { return std::get<0>(std::move(state_)); }

    /// The reason. Precondition: !Ok().
    [[nodiscard]] const std::string& Error() const { return std::get<1>(state_).message; }

private:
    std::variant<T, TError> state_;
};

/// What an operation that hands nothing back returns: done, or a TError.
using TStatus = TResult<std::monostate>;

/// The TStatus of an operation that was done.
[[nodiscard]] inline TStatus Done()
{
    return std::monostate{};
}

} // namespace glenvary::base
