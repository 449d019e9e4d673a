#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace corvane {

// A value or the error that prevented it. Platform calls return these instead of
// throwing, so every failure of the window system is an explicit value.
template <typename T, typename E>
class Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    const E& error() const { return std::get<1>(state_); }

    // The value, or the error thrown as an exception.
    T valueOrThrow() const& {
        if (!ok()) throw error();
        return value();
    }

private:
    std::variant<T, E> state_;
};

template <typename E>
class Result<void, E> {
public:
    Result() = default;
    Result(E error) : error_(std::move(error)) {}

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const E& error() const { return *error_; }
    void valueOrThrow() const {
        if (error_) throw *error_;
    }

private:
    std::optional<E> error_;
};

}  // namespace corvane
