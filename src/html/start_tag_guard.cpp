#include "html/start_tag_guard.h"

namespace tarnwick::html {
namespace {

constexpr size_t kNameKept = 8;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

} // namespace

size_t StartTagGuard::Scan(std::string_view bytes) {
    if (tripped_) return 0;
    for (size_t at = 0; at < bytes.size(); ++at) {
        if (!Step(bytes[at])) {
            tripped_ = true;
            return at;
        }
    }
    return bytes.size();
}

// A script's or style's text holds no tags: it ends only at its end tag.
void StartTagGuard::EndTag() {
    state_ = State::kText;
    if (!end_tag_ && (name_ == "script" || name_ == "style")) {
        raw_end_ = "</" + name_;
        raw_matched_ = 0;
        state_ = State::kRawText;
    }
}

// False when `c` begins an attribute past the limit.
bool StartTagGuard::Step(char c) {
    switch (state_) {
        case State::kText:
            if (c == '<') state_ = State::kTagOpen;
            break;
        case State::kTagOpen:
            end_tag_ = c == '/';
            name_.clear();
            attributes_ = 0;
            if (IsLetter(c)) name_ += Lower(c);
            state_ = (IsLetter(c) || end_tag_) ? State::kTagName
                     : c == '<'                ? State::kTagOpen
                                               : State::kText;
            break;
        case State::kTagName:
            if (c == '>') {
                EndTag();
            } else if (IsBlank(c) || c == '/') {
                state_ = State::kBetween;
            } else if (name_.size() < kNameKept) {
                name_ += Lower(c);
            }
            break;
        case State::kBetween:
        case State::kName:
            if (c == '>') {
                EndTag();
            } else if (IsBlank(c) || c == '/') {
                state_ = State::kBetween;
            } else if (state_ == State::kName && c == '=') {
                state_ = State::kEquals;
            } else if (state_ == State::kBetween) {
                if (++attributes_ > kMaxAttributes) return false;
                state_ = State::kName;
            }
            break;
        case State::kEquals:
            if (c == '>') {
                EndTag();
            } else if (c == '"' || c == '\'') {
                quote_ = c;
                state_ = State::kQuoted;
            } else if (!IsBlank(c)) {
                state_ = State::kUnquoted;
            }
            break;
        case State::kQuoted:
            if (c == quote_) state_ = State::kBetween;
            break;
        case State::kUnquoted:
            if (c == '>') {
                EndTag();
            } else if (IsBlank(c)) {
                state_ = State::kBetween;
            }
            break;
        case State::kRawText:
            raw_matched_ = Lower(c) == raw_end_[raw_matched_] ? raw_matched_ + 1 : c == '<' ? 1 : 0;
            if (raw_matched_ == raw_end_.size()) {
                name_.clear();
                end_tag_ = true;
                state_ = State::kTagName;
            }
            break;
    }
    return true;
}

} // namespace tarnwick::html
