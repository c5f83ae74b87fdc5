#include "list/rare_fields.h"

#include "common/outcome.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarnwick::list {
namespace {

TEST(RareText, ReadsAndWritesAsAString) {
    RareText text;
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(text, "");
    text = std::string("/v/a.part");
    const std::string& held = text;
    text = "/v/b.part";
    EXPECT_EQ(held, "/v/b.part") << "a text written over keeps its place";
    RareText copy = text;
    copy = copy;
    EXPECT_EQ(copy, text);
    copy = "";
    EXPECT_TRUE(copy.empty());
    text = {};
    EXPECT_TRUE(text.empty()) << "= {} clears it, as it clears a std::string";
    EXPECT_EQ(RareText(static_cast<const char*>(nullptr)), "");
}

TEST(RareValue, ReadsAndWritesAsAnOptional) {
    RareValue<Failure> failure;
    EXPECT_FALSE(failure);
    EXPECT_EQ(failure, std::optional<Failure>());
    failure = Failure{Reason::kDiskFull};
    RareValue<Failure> copy = failure;
    copy = copy;
    EXPECT_EQ(copy, failure);
    EXPECT_EQ(copy, std::optional(Failure{Reason::kDiskFull}));
    copy->http_status = 404;
    EXPECT_NE(copy, failure) << "a copy is a value of its own";
    failure = {};
    EXPECT_FALSE(failure) << "= {} empties it, as it empties an optional";
    RareValue<long> number = 7L;
    number = {};
    EXPECT_FALSE(number.has_value());
}

} // namespace
} // namespace tarnwick::list
