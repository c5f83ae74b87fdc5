// A value, or the failure that kept it from being had. Operations that
// answer no value return a Status: success, or the failure.
#pragma once

#include "common/outcome.h"

#include <cassert>
#include <optional>
#include <utility>
#include <variant>

namespace tarnwick {

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }

    // Only when has_value().
    T& value() & {
        assert(has_value() && "the value of a failed result");
        return *std::get_if<0>(&state_);
    }
    const T& value() const& {
        assert(has_value() && "the value of a failed result");
        return *std::get_if<0>(&state_);
    }
    T&& value() && {
        assert(has_value() && "the value of a failed result");
        return std::move(*std::get_if<0>(&state_));
    }
    // Only when !has_value().
    const Failure& failure() const {
        assert(!has_value() && "the failure of a result that has its value");
        return *std::get_if<1>(&state_);
    }

private:
    std::variant<T, Failure> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}

    bool has_value() const { return !failure_.has_value(); }
    explicit operator bool() const { return has_value(); }
    // Only when !has_value().
    const Failure& failure() const {
        assert(!has_value() && "the failure of a status that succeeded");
        return *failure_;
    }

private:
    std::optional<Failure> failure_;
};

using Status = Result<void>;

} // namespace tarnwick
