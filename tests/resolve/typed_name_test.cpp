#include "resolve/typed_name.h"

#include "resolve/file_naming.h"

#include <gtest/gtest.h>

namespace tarnwick::resolve {
namespace {

TEST(TypedNameTest, AnExtensionIsAShortRunOfLettersAndDigitsAfterALaterDot) {
    EXPECT_EQ(ExtensionOf("clip.mp4"), ".mp4");
    EXPECT_EQ(ExtensionOf("a.b.webm"), ".webm");
    EXPECT_EQ(ExtensionOf("Trip 1.5"), "") << "digits alone are a number";
    EXPECT_EQ(ExtensionOf("holiday.final"), ".final");
    EXPECT_EQ(ExtensionOf("holiday.finale"), "") << "longer than five";
    EXPECT_EQ(ExtensionOf(".profile"), "");
    EXPECT_EQ(ExtensionOf("Mr. Smith"), "");
    EXPECT_EQ(ExtensionOf("clip."), "");
}

TEST(TypedNameTest, ANameTypedWithoutAnExtensionKeepsTheFilesType) {
    EXPECT_EQ(TypedFileName("holiday", "clip.mp4"), "holiday.mp4");
    EXPECT_EQ(TypedFileName("holiday.mkv", "clip.mp4"), "holiday.mkv");
    EXPECT_EQ(TypedFileName("Trip 1.5", "clip.mp4"), "Trip 1.5.mp4");
    EXPECT_EQ(TypedFileName("holiday. ", "clip.mp4"), "holiday.mp4");
    EXPECT_EQ(TypedFileName("holiday", "clip"), "holiday") << "nothing to keep";
    EXPECT_EQ(TypedFileName("a/b", "clip.mp4"), "ab.mp4") << "cleaned first";
    EXPECT_EQ(TypedFileName("", "clip.mp4"), kEnterFileName);
    EXPECT_EQ(TypedFileName("..", "clip.mp4"), kEnterFileName);
}

} // namespace
} // namespace tarnwick::resolve
