#include "support/coded_body.h"

#include <zlib.h>

#include <stdexcept>

namespace tarnwick::test_support {
namespace {

constexpr int kZlibWindow = 15;
constexpr int kGzipWindow = kZlibWindow + 16; // asks zlib for the gzip wrapper

std::string Compressed(std::string_view bytes, int window) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, window, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw std::runtime_error("zlib cannot compress");
    }
    std::string coded(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(coded.data());
    stream.avail_out = static_cast<uInt>(coded.size());
    const int result = deflate(&stream, Z_FINISH);
    coded.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("zlib did not finish");
    return coded;
}

} // namespace

std::string Gzipped(std::string_view bytes) { return Compressed(bytes, kGzipWindow); }
std::string Deflated(std::string_view bytes) { return Compressed(bytes, kZlibWindow); }

} // namespace tarnwick::test_support
