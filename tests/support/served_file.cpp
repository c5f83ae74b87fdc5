#include "support/served_file.h"

#include <charconv>

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

// The N of "bytes=N-", when the request asks for a range the file takes.
std::optional<uint64_t> RangeStart(const ServedFile& file, const Request& request) {
    const std::optional<std::string> range = request.Header("Range");
    if (!file.ranges || !range || !range->starts_with("bytes=") || !range->ends_with("-")) {
        return std::nullopt;
    }
    const std::optional<std::string> if_range = request.Header("If-Range");
    if (if_range && *if_range != file.etag && *if_range != file.last_modified) return std::nullopt;
    uint64_t start = 0;
    const char* first = range->data() + 6;
    const char* last = range->data() + range->size() - 1;
    const auto [end, error] = std::from_chars(first, last, start);
    if (error != std::errc() || end != last) return std::nullopt;
    return start;
}

} // namespace

Answer AnswerForFile(const ServedFile& file, const Request& request, bool first_whole) {
    Answer answer;
    if (const std::optional<uint64_t> start = RangeStart(file, request)) {
        if (*start >= file.size) {
            return answer.Head(
                Head(416, "Range Not Satisfiable", file,
                     {"Content-Range: bytes */" + std::to_string(file.size), "Content-Length: 0"}));
        }
        const std::string range = "Content-Range: bytes " + std::to_string(*start) + "-" +
                                  std::to_string(file.size - 1) + "/" + std::to_string(file.size);
        return answer
            .Head(Head(206, "Partial Content", file,
                       {range, "Content-Length: " + std::to_string(file.size - *start)}))
            .GeneratedBody(file.size - *start, file.offset + *start);
    }
    answer.Head(Head(200, "OK", file, {"Content-Length: " + std::to_string(file.size)}));
    const std::optional<uint64_t> cut = first_whole ? file.break_first_after : std::nullopt;
    const std::optional<uint64_t> hold = first_whole ? file.hold_first_after : std::nullopt;
    if (cut) return answer.GeneratedBody(*cut, file.offset).Drop();
    if (hold) {
        return answer.GeneratedBody(*hold, file.offset)
            .WaitForRelease()
            .GeneratedBody(file.size - *hold, file.offset + *hold);
    }
    return answer.GeneratedBody(file.size, file.offset);
}

std::string FileBytes(const ServedFile& file) {
    std::string bytes(file.size, '\0');
    for (uint64_t i = 0; i < file.size; ++i) bytes[i] = GeneratedByte(file.offset + i);
    return bytes;
}

} // namespace tarnwick::test_support
