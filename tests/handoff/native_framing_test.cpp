#include "handoff/native_framing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <vector>

namespace tarnwick::handoff {
namespace {

std::string Length(uint32_t length) {
    std::string bytes(sizeof length, '\0');
    std::memcpy(bytes.data(), &length, sizeof length);
    return bytes;
}

// What Next() gives until it needs more or the stream breaks: "[json]" per
// message, then "too long N" for a length past the cap.
std::string Drained(FrameReader& reader) {
    std::string found;
    while (true) {
        const FrameReader::Found next = reader.Next();
        if (const auto* message = std::get_if<FrameReader::Message>(&next)) {
            found += "[" + message->json + "]";
            continue;
        }
        if (const auto* too_long = std::get_if<FrameReader::TooLong>(&next)) {
            found += "too long " + std::to_string(too_long->length) + ";";
        }
        return found;
    }
}

struct FramingCase {
    const char* name;
    std::vector<std::string> pieces;
    std::string found;
    bool partial;
};

void PrintTo(const FramingCase& c, std::ostream* out) { *out << c.name; }

class FramingTest : public testing::TestWithParam<FramingCase> {};

TEST_P(FramingTest, ReadsWhatIsWhole) {
    FrameReader reader;
    std::string found;
    for (const std::string& piece : GetParam().pieces) {
        reader.Append(piece);
        found += Drained(reader);
    }
    EXPECT_EQ(found, GetParam().found);
    EXPECT_EQ(reader.HasPartial(), GetParam().partial);
}

std::vector<std::string> ByteByByte(const std::string& bytes) {
    std::vector<std::string> pieces;
    for (const char c : bytes) pieces.emplace_back(1, c);
    return pieces;
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, FramingTest,
    testing::Values(
        FramingCase{"one", {FrameMessage("{}")}, "[{}]", false},
        FramingCase{"byte_by_byte", ByteByByte(FrameMessage(R"({"a":1})")), R"([{"a":1}])", false},
        FramingCase{"two_in_one", {FrameMessage("1") + FrameMessage("22")}, "[1][22]", false},
        FramingCase{"zero_length", {Length(0) + FrameMessage("x")}, "[][x]", false},
        FramingCase{"short_length", {FrameMessage("x") + Length(5).substr(0, 3)}, "[x]", true},
        FramingCase{"length_without_body", {Length(5)}, "", true},
        FramingCase{"body_cut_short", {Length(5) + "abc"}, "", true},
        FramingCase{"at_the_cap", {Length(kMaxIncomingBytes)}, "", true},
        FramingCase{"past_the_cap_stays_broken",
                    {Length(kMaxIncomingBytes + 1) + FrameMessage("x"), FrameMessage("y")},
                    "too long 8388609;too long 8388609;",
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarnwick::handoff
