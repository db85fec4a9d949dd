// The program's settings store against the registry of Windows (under Wine:
// the build's own throwaway prefix).
#include <windows.h>

#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "settings/settings_store.h"
#include "settings_sample.h"

namespace {

const char kParent[] = "Software\\Veskaran Freeware";

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

class RegistryStoreTest : public ::testing::Test {
  protected:
    // Every case starts as the program's first start: no key, not even the parent.
    void SetUp() override {
        RemoveKeys();
        g_settings = Settings();
        g_settingsStore.disabled = 0;
    }
    void TearDown() override {
        RemoveKeys();
        g_settingsStore.disabled = 0;
    }
    static void RemoveKeys() {
        RegDeleteKeyA(HKEY_CURRENT_USER, g_settingsStore.subkeyPath);
        RegDeleteKeyA(HKEY_CURRENT_USER, kParent);
    }
};

TEST(ProgramSettingsStore, IsBoundToTheUsersQuorvelKey) {
    EXPECT_EQ(static_cast<RegKey>(HKEY_CURRENT_USER), g_settingsStore.rootKey);
    EXPECT_STREQ("Software\\Veskaran Freeware\\Quorvel", g_settingsStore.subkeyPath);
    EXPECT_EQ(g_settingsValueTable, g_settingsStore.valueTable);
    EXPECT_EQ(15u, g_settingsStore.valueCount);
    EXPECT_EQ(0, g_settingsStore.disabled);
    EXPECT_EQ(&g_win32Registry, g_settingsStore.registry);
}

TEST_F(RegistryStoreTest, FirstStartLoadsNothingAndCreatesNoKey) {
    EXPECT_FALSE(LoadSettings(g_settingsStore));
    ExpectSameSettings(Settings(), g_settings);
    EXPECT_FALSE(KeyExists(g_settingsStore.subkeyPath));
}

TEST_F(RegistryStoreTest, SaveLoadAndDeleteKeepTheParentKey) {
    FillSample(g_settings);
    const Settings saved = g_settings;
    SaveSettings(g_settingsStore);
    EXPECT_TRUE(KeyExists(kParent));

    // Every value is stored with its row's type, a text with its terminator.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, g_settingsStore.subkeyPath, 0, KEY_READ, &key));
    for (uint32_t i = 0; i < g_settingsStore.valueCount; ++i) {
        const RegistryValueSpec& row = g_settingsStore.valueTable[i];
        SCOPED_TRACE(row.valueName);
        DWORD type = 0;
        DWORD size = 0;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegQueryValueExA(key, row.valueName, nullptr, &type, nullptr, &size));
        EXPECT_EQ(row.valueType, type);
        const DWORD expected =
            type == REG_DWORD ? 4 : static_cast<DWORD>(strlen(static_cast<char*>(row.target)) + 1);
        EXPECT_EQ(expected, size);
    }
    RegCloseKey(key);

    g_settings = Settings();
    EXPECT_TRUE(LoadSettings(g_settingsStore));
    ExpectSameSettings(saved, g_settings);

    DeleteSettings(g_settingsStore);
    EXPECT_FALSE(KeyExists(g_settingsStore.subkeyPath));
    EXPECT_TRUE(KeyExists(kParent));
    EXPECT_FALSE(LoadSettings(g_settingsStore));
}

TEST_F(RegistryStoreTest, DisabledStoreLeavesTheKeyAlone) {
    FillSample(g_settings);
    const Settings saved = g_settings;
    SaveSettings(g_settingsStore);

    g_settingsStore.disabled = 1;
    g_settings = Settings();
    EXPECT_FALSE(LoadSettings(g_settingsStore));
    ExpectSameSettings(Settings(), g_settings);
    SaveSettings(g_settingsStore);

    g_settingsStore.disabled = 0;
    EXPECT_TRUE(LoadSettings(g_settingsStore));
    ExpectSameSettings(saved, g_settings);
}

// 17 bytes without a terminator, written by other means. As a text, Wine hands
// it back with a terminator added, which does not fit; as binary data it comes
// back raw and fits the field exactly. Either way it must not be taken.
TEST_F(RegistryStoreTest, UnterminatedStartValueWrittenByOtherMeansIsRefused) {
    for (DWORD type : {REG_SZ, REG_BINARY}) {
        SCOPED_TRACE(type);
        SetUp();
        FillSample(g_settings);
        const Settings saved = g_settings;
        SaveSettings(g_settingsStore);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegOpenKeyExA(HKEY_CURRENT_USER, g_settingsStore.subkeyPath, 0, KEY_WRITE, &key));
        const std::string full(sizeof g_settings.Astart, '5');
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, "Astart", 0, type, reinterpret_cast<const BYTE*>(full.data()),
                                 static_cast<DWORD>(full.size())));
        RegCloseKey(key);

        g_settings = Settings();
        EXPECT_FALSE(LoadSettings(g_settingsStore));
        EXPECT_STREQ("", g_settings.Astart);
        EXPECT_STREQ(saved.Aend, g_settings.Aend);
        EXPECT_STREQ(saved.URL, g_settings.URL);
    }
}

TEST_F(RegistryStoreTest, DeleteWithoutKeyDoesNothing) {
    DeleteSettings(g_settingsStore);
    EXPECT_FALSE(KeyExists(g_settingsStore.subkeyPath));
    EXPECT_FALSE(KeyExists(kParent));
}

} // namespace
