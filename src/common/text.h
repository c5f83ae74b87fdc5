// The text vocabulary shared by site recognition, the extractors and the URL
// helpers. Texts are byte strings; positions are 1-based as in the site rules;
// every search compares ASCII letters case-insensitively.
//
// A position below 1 or a negative length names no part of a text, and a
// caller that computes one from outside input checks it first. Passing one
// fails an assertion; where assertions are off, a position below 1 is taken
// as 1 (so a negative `before` finds nothing) and a negative length as 0.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::text {

// Position of the first occurrence of `marker` that begins at or after `from`,
// or 0. A `from` past the end finds nothing.
long Find(std::string_view text, std::string_view marker, long from = 1);

// Position of the last occurrence of `marker` that begins before `before`
// (anywhere when `before` is 0), or 0.
long FindLast(std::string_view text, std::string_view marker, long before = 0);

// `length` characters from `start` on; a start past the end gives the empty
// text.
std::string Part(std::string_view text, long start, long length);
// From `start` to the end of the text.
std::string Part(std::string_view text, long start);

std::string Left(std::string_view text, long count);
std::string Right(std::string_view text, long count);
std::string Reverse(std::string_view text);

// Every occurrence of `old_text` replaced by `new_text`, scanning from the
// start; an empty `old_text` leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view old_text, std::string_view new_text);

char AsciiLower(char c);
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);
// The text without leading and trailing blanks (spaces only).
std::string TrimSpaces(std::string_view text);
// Whether the text is UTF-8: each lead byte followed by as many continuation
// bytes as it announces (overlong forms are not looked for).
bool IsUtf8(std::string_view text);

} // namespace tarnwick::text
