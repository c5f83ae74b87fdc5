#include "driver/download_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tarnwick::driver {
namespace {

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

TEST(TemporaryPathFor, KeepsAShortNameWhole) {
    EXPECT_EQ(TemporaryPathFor("/v", "clip.flv", 7, 1), "/v/clip.flv.7.tarnwick.part");
    EXPECT_EQ(TemporaryPathFor("/v", "clip.flv", 7, 3), "/v/clip.flv.7-3.tarnwick.part");
}

TEST(TemporaryPathFor, CutsTheStemOfALongNameOnACharacter) {
    // 2-byte characters: the cut falls between two of them, never inside one.
    std::string name;
    while (name.size() < 250) name += "\xC3\xA9";
    const std::string file = FileNameOf(TemporaryPathFor("/v", name, 32767, 12));
    EXPECT_LE(file.size(), 255u);
    EXPECT_GE(file.size(), 254u);
    const std::string stem = file.substr(0, file.find(".32767-12.tarnwick.part"));
    EXPECT_EQ(stem.size() % 2, 0u);
    EXPECT_EQ(name.compare(0, stem.size(), stem), 0);
    EXPECT_TRUE(file.ends_with(".32767-12.tarnwick.part"));
}

} // namespace
} // namespace tarnwick::driver
