#include "support/served_file.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <utility>

namespace tarnwick::test_support {
namespace {

std::string Head(int status, const char* reason, const ServedFile& file,
                 const std::vector<std::string>& fields) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    if (!file.etag.empty()) head += "ETag: " + file.etag + "\r\n";
    if (!file.last_modified.empty()) head += "Last-Modified: " + file.last_modified + "\r\n";
    if (file.ranges) head += "Accept-Ranges: bytes\r\n";
    for (const std::string& field : fields) head += field + "\r\n";
    return head + "\r\n";
}

// Bytes [first, last] of a file, as a range request asks for them.
struct Span {
    uint64_t first = 0;
    std::optional<uint64_t> last; // none: to the file's end
};

std::optional<uint64_t> Number(const char* first, const char* last) {
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}

// The span of "bytes=N-" or "bytes=N-M", when the request asks for a range
// the file takes.
std::optional<Span> AskedSpan(const ServedFile& file, const Request& request) {
    const std::optional<std::string> range = request.Header("Range");
    if (!file.ranges || !range || !range->starts_with("bytes=")) return std::nullopt;
    const std::optional<std::string> if_range = request.Header("If-Range");
    if (if_range && *if_range != file.etag && *if_range != file.last_modified) return std::nullopt;
    const std::string_view spec = std::string_view(*range).substr(6);
    const size_t dash = spec.find('-');
    if (dash == std::string_view::npos || dash == 0) return std::nullopt;
    const std::optional<uint64_t> first = Number(spec.data(), spec.data() + dash);
    if (!first) return std::nullopt;
    if (dash + 1 == spec.size()) return Span{*first, std::nullopt};
    const std::optional<uint64_t> last = Number(spec.data() + dash + 1, spec.data() + spec.size());
    // A range that ends before it starts is no range: the whole file goes.
    if (!last || *last < *first) return std::nullopt;
    return Span{*first, *last};
}

// `count` bytes of the file from `first` on.
Answer& AddBytes(Answer& answer, const ServedFile& file, uint64_t first, uint64_t count) {
    if (file.contents) return answer.Body(file.contents->substr(first, count));
    return answer.GeneratedBody(count, file.offset + first);
}

} // namespace

ServedFile FileOf(std::string bytes) {
    ServedFile file;
    file.size = bytes.size();
    file.contents = std::move(bytes);
    return file;
}

Answer AnswerForFile(const ServedFile& file, const Request& request, bool first_whole) {
    Answer answer;
    if (const std::optional<Span> span = AskedSpan(file, request)) {
        if (span->first >= file.size) {
            return answer.Head(
                Head(416, "Range Not Satisfiable", file,
                     {"Content-Range: bytes */" + std::to_string(file.size), "Content-Length: 0"}));
        }
        const uint64_t last = std::min(span->last.value_or(file.size - 1), file.size - 1);
        const uint64_t count = last - span->first + 1;
        const std::string range = "Content-Range: bytes " + std::to_string(span->first) + "-" +
                                  std::to_string(last) + "/" + std::to_string(file.size);
        answer.Head(Head(206, "Partial Content", file,
                         {range, "Content-Length: " + std::to_string(count)}));
        return AddBytes(answer, file, span->first, count);
    }
    answer.Head(Head(200, "OK", file, {"Content-Length: " + std::to_string(file.size)}));
    const std::optional<uint64_t> cut = first_whole ? file.break_first_after : std::nullopt;
    const std::optional<uint64_t> hold = first_whole ? file.hold_first_after : std::nullopt;
    if (cut) return AddBytes(answer, file, 0, *cut).Drop();
    if (hold) {
        AddBytes(answer, file, 0, *hold).WaitForRelease();
        return AddBytes(answer, file, *hold, file.size - *hold);
    }
    return AddBytes(answer, file, 0, file.size);
}

std::string FileBytes(const ServedFile& file) {
    if (file.contents) return *file.contents;
    std::string bytes(file.size, '\0');
    for (uint64_t i = 0; i < file.size; ++i) bytes[i] = GeneratedByte(file.offset + i);
    return bytes;
}

} // namespace tarnwick::test_support
