#include "settings/window_placement.h"

#include "fakes/fake_settings_store.h"
#include "settings/setting_names.h"

#include <gtest/gtest.h>
#include <ostream>

#include <optional>

namespace tarnwick::settings {
namespace {

TEST(WindowPlacementSetting, ComesBackAsItWasStored) {
    fakes::FakeSettingsStore store;
    EXPECT_EQ(LoadWindowPlacement(store), std::nullopt) << "nothing stored yet";
    const WindowPlacement placed{{-40, 25, 1280, 800}, true};
    SaveWindowPlacement(store, placed);
    EXPECT_EQ(store.values[kWindowGeometrySetting], "-40,25,1280,800");
    EXPECT_EQ(store.values[kWindowMaximizedSetting], "True");
    EXPECT_EQ(LoadWindowPlacement(store), placed);
}

struct StoredGeometry {
    const char* geometry;
    const char* maximized; // nullptr: not stored
    std::optional<WindowPlacement> read;
};

void PrintTo(const StoredGeometry& c, std::ostream* out) { *out << c.geometry; }

class StoredGeometryTest : public testing::TestWithParam<StoredGeometry> {};

TEST_P(StoredGeometryTest, ReadsOnlyFourWholeNumbersWithASize) {
    fakes::FakeSettingsStore store;
    store.values[kWindowGeometrySetting] = GetParam().geometry;
    if (GetParam().maximized != nullptr) {
        store.values[kWindowMaximizedSetting] = GetParam().maximized;
    }
    EXPECT_EQ(LoadWindowPlacement(store), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoredGeometryTest,
    testing::Values(StoredGeometry{"10,20,700,600", nullptr, WindowPlacement{{10, 20, 700, 600}}},
                    StoredGeometry{"10,20,700,600", "yes", WindowPlacement{{10, 20, 700, 600}}},
                    StoredGeometry{"10,20,700,600", "1", WindowPlacement{{10, 20, 700, 600}, true}},
                    StoredGeometry{"10,20,700", "True", std::nullopt},
                    StoredGeometry{"10,20,700,600,5", "True", std::nullopt},
                    StoredGeometry{"10, 20,700,600", nullptr, std::nullopt},
                    StoredGeometry{"10,20,0,600", nullptr, std::nullopt},
                    StoredGeometry{"10,20,700,-600", nullptr, std::nullopt},
                    StoredGeometry{"a,20,700,600", nullptr, std::nullopt},
                    StoredGeometry{"", nullptr, std::nullopt},
                    StoredGeometry{"10,20,99999999999,600", nullptr, std::nullopt}));

} // namespace
} // namespace tarnwick::settings
