// Fields that most items of a long list never set, kept out of line: each is
// one pointer in the item, and nothing more while unset. A reference to the
// text or value inside does not outlive the field's clearing.
#pragma once

#include <concepts>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

namespace tarnwick::list {

// A text that is usually empty; reads as a std::string.
class RareText {
public:
    RareText() = default;
    RareText(const std::string& text) { Set(text); }                 // NOLINT: reads as a text
    RareText(const char* text) { Set(text != nullptr ? text : ""); } // NOLINT
    RareText(const RareText& other) { Set(other.str()); }
    RareText(RareText&&) noexcept = default;
    RareText& operator=(const RareText& other) { return Set(other.str()); }
    RareText& operator=(RareText&&) noexcept = default;
    RareText& operator=(const std::string& text) { return Set(text); }
    // `= {}` comes here, with no text: it clears, as it clears a std::string.
    RareText& operator=(const char* text) { return Set(text != nullptr ? text : ""); }

    const std::string& str() const {
        static const std::string kEmpty;
        return text_ ? *text_ : kEmpty;
    }
    operator const std::string&() const { return str(); } // NOLINT
    bool empty() const { return !text_; }
    void clear() { text_.reset(); }

    friend bool operator==(const RareText& a, const RareText& b) { return a.str() == b.str(); }
    friend bool operator==(const RareText& a, const std::string& b) { return a.str() == b; }
    friend bool operator==(const RareText& a, const char* b) { return a.str() == b; }
    friend std::ostream& operator<<(std::ostream& out, const RareText& text) {
        return out << text.str();
    }

private:
    // A text that was there is written over, not replaced.
    RareText& Set(std::string text) {
        if (text.empty()) {
            text_.reset();
        } else if (text_) {
            *text_ = std::move(text);
        } else {
            text_ = std::make_unique<std::string>(std::move(text));
        }
        return *this;
    }

    std::unique_ptr<std::string> text_;
};

// A value that is usually absent; reads as a std::optional.
template <typename T>
class RareValue {
public:
    RareValue() = default;
    RareValue(std::nullopt_t) {}                                      // NOLINT
    RareValue(const T& value) : value_(std::make_unique<T>(value)) {} // NOLINT
    RareValue(const RareValue& other) { *this = other; }
    RareValue(RareValue&&) noexcept = default;
    RareValue& operator=(const RareValue& other) {
        value_ = other.value_ ? std::make_unique<T>(*other.value_) : nullptr;
        return *this;
    }
    RareValue& operator=(RareValue&&) noexcept = default;
    // A template, so that `= {}` empties the value as it empties an optional.
    template <std::same_as<T> U>
    RareValue& operator=(const U& value) {
        value_ = std::make_unique<T>(value);
        return *this;
    }
    RareValue& operator=(std::nullopt_t) {
        value_.reset();
        return *this;
    }

    explicit operator bool() const { return value_ != nullptr; }
    bool has_value() const { return value_ != nullptr; }
    void reset() { value_.reset(); }
    const T& operator*() const { return *value_; }
    T& operator*() { return *value_; }
    const T* operator->() const { return value_.get(); }
    T* operator->() { return value_.get(); }

    friend bool operator==(const RareValue& a, const RareValue& b) {
        return a ? (b && *a == *b) : !b;
    }
    friend bool operator==(const RareValue& a, const T& b) { return a && *a == b; }
    friend bool operator==(const RareValue& a, const std::optional<T>& b) {
        return a ? (b && *a == *b) : !b;
    }

private:
    std::unique_ptr<T> value_;
};

} // namespace tarnwick::list
