#include "common/text.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnwick::text {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool MatchesAt(std::string_view text, size_t index, std::string_view marker) {
    for (size_t i = 0; i < marker.size(); ++i) {
        if (AsciiLower(text[index + i]) != AsciiLower(marker[i])) return false;
    }
    return true;
}

#if !defined(__SSE2__)
// Horspool search over ASCII-lowered bytes: a 256-entry shift table keyed by
// the lowered byte under the window's last position.
size_t HorspoolIndex(std::string_view text, std::string_view marker, size_t start) {
    const size_t m = marker.size();
    std::array<size_t, 256> shift;
    shift.fill(m);
    for (size_t i = 0; i + 1 < m; ++i) {
        shift[static_cast<unsigned char>(AsciiLower(marker[i]))] = m - 1 - i;
    }
    const char last = AsciiLower(marker[m - 1]);
    for (size_t pos = start; pos + m <= text.size();) {
        const char c = AsciiLower(text[pos + m - 1]);
        if (c == last && MatchesAt(text, pos, marker.substr(0, m - 1))) return pos;
        pos += shift[static_cast<unsigned char>(c)];
    }
    return std::string_view::npos;
}
#endif

#if defined(__SSE2__)
// Sixteen bytes with 'A'..'Z' turned into 'a'..'z'; bytes from 0x80 on stay.
__m128i LowerSixteen(__m128i bytes) {
    const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('A' - 1)),
                                        _mm_cmplt_epi8(bytes, _mm_set1_epi8('Z' + 1)));
    return _mm_add_epi8(bytes, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
}

// Compares sixteen window starts at a time on the marker's first and last
// letters (lowered), and checks the whole marker only where both agree.
size_t WideIndex(std::string_view text, std::string_view marker, size_t start) {
    const size_t m = marker.size();
    const __m128i first = _mm_set1_epi8(AsciiLower(marker.front()));
    const __m128i last = _mm_set1_epi8(AsciiLower(marker.back()));
    const char* data = text.data();
    size_t pos = start;
    for (; pos + m - 1 + 16 <= text.size(); pos += 16) {
        const __m128i heads =
            LowerSixteen(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos)));
        const __m128i tails =
            LowerSixteen(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + m - 1)));
        auto candidates = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(heads, first), _mm_cmpeq_epi8(tails, last))));
        while (candidates != 0) {
            const size_t index = pos + static_cast<size_t>(__builtin_ctz(candidates));
            if (MatchesAt(text, index, marker)) return index;
            candidates &= candidates - 1;
        }
    }
    for (; pos + m <= text.size(); ++pos) {
        if (MatchesAt(text, pos, marker)) return pos;
    }
    return std::string_view::npos;
}
#endif

// 0-based index of the first match at or after `start`, or npos.
size_t FindIndex(std::string_view text, std::string_view marker, size_t start) {
    if (marker.size() > text.size() || start > text.size() - marker.size()) {
        return std::string_view::npos;
    }
    if (marker.size() == 1 && !IsAsciiLetter(marker[0])) {
        const void* hit = std::memchr(text.data() + start, marker[0], text.size() - start);
        return hit == nullptr ? std::string_view::npos
                              : static_cast<size_t>(static_cast<const char*>(hit) - text.data());
    }
#if defined(__SSE2__)
    return WideIndex(text, marker, start);
#else
    return HorspoolIndex(text, marker, start);
#endif
}

long ClampedStart(long start) {
    assert(start >= 1 && "a text position below 1");
    return std::max(start, 1L);
}

long ClampedCount(long count) {
    assert(count >= 0 && "a negative text length");
    return std::max(count, 0L);
}

} // namespace

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && MatchesAt(a, 0, b);
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && MatchesAt(text, 0, prefix);
}

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t j = 1; j < length; ++j) {
            if ((static_cast<unsigned char>(text[i + j]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

std::string TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

long Find(std::string_view text, std::string_view marker, long from) {
    from = ClampedStart(from);
    const auto start = static_cast<size_t>(from - 1);
    if (start > text.size()) return 0;
    if (marker.empty()) return from;
    const size_t index = FindIndex(text, marker, start);
    return index == std::string_view::npos ? 0 : static_cast<long>(index) + 1;
}

long FindLast(std::string_view text, std::string_view marker, long before) {
    assert(before >= 0 && "a text position below 0");
    if (before < 0) before = 1;
    if (marker.size() > text.size()) return 0;
    // Highest 0-based start that still fits the text and begins before `before`.
    long last = static_cast<long>(text.size() - marker.size());
    if (before > 0) last = std::min(last, before - 2);
    for (long index = last; index >= 0; --index) {
        if (MatchesAt(text, static_cast<size_t>(index), marker)) return index + 1;
    }
    return 0;
}

std::string Part(std::string_view text, long start, long length) {
    start = ClampedStart(start);
    length = ClampedCount(length);
    const auto index = static_cast<size_t>(start - 1);
    if (index >= text.size()) return {};
    return std::string(text.substr(index, static_cast<size_t>(length)));
}

std::string Part(std::string_view text, long start) {
    start = ClampedStart(start);
    const auto index = static_cast<size_t>(start - 1);
    if (index >= text.size()) return {};
    return std::string(text.substr(index));
}

std::string Left(std::string_view text, long count) {
    count = ClampedCount(count);
    return std::string(text.substr(0, static_cast<size_t>(count)));
}

std::string Right(std::string_view text, long count) {
    count = ClampedCount(count);
    const size_t n = std::min(text.size(), static_cast<size_t>(count));
    return std::string(text.substr(text.size() - n));
}

std::string Reverse(std::string_view text) { return std::string(text.rbegin(), text.rend()); }

std::string ReplaceAll(std::string_view text, std::string_view old_text,
                       std::string_view new_text) {
    if (old_text.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (true) {
        const size_t hit = FindIndex(text, old_text, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(new_text);
        pos = hit + old_text.size();
    }
    out.append(text.substr(pos));
    return out;
}

} // namespace tarnwick::text
