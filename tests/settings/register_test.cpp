#include "settings/register.h"

#include "fakes/fake_settings_store.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::settings {
namespace {

using platform::kCurrentUserRoot;
using platform::kLocalMachineRoot;

class RegisterTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(store.OpenHandles(), 0u) << "a key was left open"; }

    std::string Get(const std::string& section, const std::string& key) {
        return CRegister(store).REGGetSetting(kCurrentUserRoot, section, key, "fallback");
    }

    fakes::FakeSettingsStore store;
};

struct SectionForm {
    const char* name;
    const char* section;
    bool same_key;
};

class SectionFormTest : public RegisterTest, public testing::WithParamInterface<SectionForm> {};

TEST_P(SectionFormTest, ReadsAndWritesTheKeyItNames) {
    store.Put(kCurrentUserRoot, "Software\\Test", "Name", "stored");
    const SectionForm& form = GetParam();
    EXPECT_EQ(Get(form.section, "Name"), form.same_key ? "stored" : "fallback");
    const bool saved =
        CRegister(store).REGSaveSetting(kCurrentUserRoot, form.section, "Name", "new");
    EXPECT_EQ(saved, form.same_key);
    EXPECT_EQ(*store.Get(kCurrentUserRoot, "Software\\Test", "Name"),
              form.same_key ? "new" : "stored");
}

INSTANTIATE_TEST_SUITE_P(OneSeparatorTrimmedAtEachEnd, SectionFormTest,
                         testing::Values(SectionForm{"Plain", "Software\\Test", true},
                                         SectionForm{"Leading", "\\Software\\Test", true},
                                         SectionForm{"Trailing", "Software\\Test\\", true},
                                         SectionForm{"BothEnds", "\\Software\\Test\\", true},
                                         SectionForm{"TwoLeading", "\\\\Software\\Test", false},
                                         SectionForm{"TwoTrailing", "Software\\Test\\\\", false}),
                         [](const testing::TestParamInfo<SectionForm>& info) {
                             return info.param.name;
                         });

TEST_F(RegisterTest, MissingDataGivesTheDefaultButStoredEmptyTextIsEmpty) {
    store.Put(kCurrentUserRoot, "Software\\Test", "Empty", "");
    store.PutRaw(kCurrentUserRoot, "Software\\Test", "NoData", "");
    EXPECT_EQ(Get("Software\\Missing", "Name"), "fallback");
    EXPECT_EQ(Get("Software\\Test", "Missing"), "fallback");
    EXPECT_EQ(Get("Software\\Test", "NoData"), "fallback");
    EXPECT_EQ(Get("Software\\Test", "Empty"), "");
}

TEST_F(RegisterTest, StarNamesTheKeysDefaultValue) {
    CRegister(store).REGSaveSetting(kCurrentUserRoot, "Software\\Test", "*", "unnamed");
    store.Put(kCurrentUserRoot, "Software\\Test", "Other", "kept");
    EXPECT_EQ(store.Get(kCurrentUserRoot, "Software\\Test", ""), "unnamed");
    EXPECT_EQ(Get("Software\\Test", "*"), "unnamed");
    EXPECT_TRUE(CRegister(store).REGDeleteSetting(kCurrentUserRoot, "Software\\Test", "*"));
    EXPECT_EQ(Get("Software\\Test", "*"), "fallback");
    EXPECT_EQ(Get("Software\\Test", "Other"), "kept");
}

TEST_F(RegisterTest, AKeyThatOnlyOpensForReadingStillReads) {
    store.Put(kLocalMachineRoot, "Software\\Test", "Name", "machine");
    store.MakeReadOnly(kLocalMachineRoot, "Software\\Test");
    CRegister reg(store);
    EXPECT_EQ(reg.REGGetSetting(kLocalMachineRoot, "Software\\Test", "Name", "-"), "machine");
    EXPECT_FALSE(reg.REGSaveSetting(kLocalMachineRoot, "Software\\Test", "Name", "changed"));
    EXPECT_FALSE(reg.REGDeleteSetting(kLocalMachineRoot, "Software\\Test", "Name"));
    EXPECT_EQ(store.Get(kLocalMachineRoot, "Software\\Test", "Name"), "machine");
}

TEST_F(RegisterTest, AFailedWriteIsReportedAndLeavesTheStoredValue) {
    store.Put(kCurrentUserRoot, "Software\\Test", "Name", "before");
    store.fail_writes = true;
    EXPECT_FALSE(CRegister(store).REGSaveSetting(kCurrentUserRoot, "Software\\Test", "Name", "x"));
    EXPECT_EQ(Get("Software\\Test", "Name"), "before");
}

TEST_F(RegisterTest, SavingCreatesMissingLevels) {
    EXPECT_TRUE(CRegister(store).REGSaveSetting(kCurrentUserRoot, "A\\B\\C", "Name", "deep"));
    EXPECT_TRUE(store.HasKey(kCurrentUserRoot, "A\\B"));
    EXPECT_EQ(Get("A\\B\\C", "Name"), "deep");
}

TEST_F(RegisterTest, DeletingValuesAndKeys) {
    store.Put(kCurrentUserRoot, "Software\\Test\\Leaf", "Name", "leaf");
    store.Put(kCurrentUserRoot, "Software\\Test", "Name", "parent");
    CRegister reg(store);
    EXPECT_FALSE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test", "Missing"));
    EXPECT_FALSE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test", ""))
        << "a key with subkeys is never deleted";
    EXPECT_EQ(Get("Software\\Test\\Leaf", "Name"), "leaf");
    EXPECT_TRUE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test\\Leaf", ""));
    EXPECT_FALSE(store.HasKey(kCurrentUserRoot, "Software\\Test\\Leaf"));
    EXPECT_FALSE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test\\Leaf", ""));
    EXPECT_TRUE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test", "Name"));
    EXPECT_TRUE(reg.REGDeleteSetting(kCurrentUserRoot, "Software\\Test", ""));
}

} // namespace
} // namespace tarnwick::settings
