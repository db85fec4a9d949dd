// The settings store against the in-memory registry.
#include "settings/settings_store.h"

#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_registry.h"
#include "settings_sample.h"

namespace {

const RegKey kRoot = reinterpret_cast<RegKey>(static_cast<uintptr_t>(0x80000001));
const char kPath[] = "Software\\Veskaran Freeware\\Quorvel";
const char kParent[] = "Software\\Veskaran Freeware";
const size_t kCount = SETTINGS_VALUE_COUNT;
const uint32_t REGISTRY_BINARY = 3;
const uint32_t REGISTRY_EXPAND_SZ = 2;

// What each row of the value table must say, and the size of its field.
struct ExpectedRow {
    const char* name;
    uint32_t type;
    void* field;
    uint32_t fieldSize;
};

const ExpectedRow kRows[SETTINGS_VALUE_COUNT] = {
    {"posx", REGISTRY_DWORD, &g_settings.posx, 4},
    {"posy", REGISTRY_DWORD, &g_settings.posy, 4},
    {"width", REGISTRY_DWORD, &g_settings.width, 4},
    {"height", REGISTRY_DWORD, &g_settings.height, 4},
    {"version", REGISTRY_DWORD, &g_settings.version, 4},
    {"flags", REGISTRY_DWORD, &g_settings.flags, 4},
    {"Astart", REGISTRY_SZ, g_settings.Astart, 17},
    {"Aend", REGISTRY_SZ, g_settings.Aend, 17},
    {"Bstart", REGISTRY_SZ, g_settings.Bstart, 17},
    {"Bend", REGISTRY_SZ, g_settings.Bend, 17},
    {"Cstart", REGISTRY_SZ, g_settings.Cstart, 17},
    {"Cend", REGISTRY_SZ, g_settings.Cend, 17},
    {"URL", REGISTRY_SZ, g_settings.URL, 257},
    {"DownloadDestination", REGISTRY_SZ, g_settings.DownloadDestination, 257},
    {"Filename", REGISTRY_SZ, g_settings.Filename, 257},
};

std::vector<unsigned char> Bytes(const std::string& bytes) {
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

// The same field of another record.
const void* FieldOf(const Settings& record, const void* field) {
    const char* base = reinterpret_cast<const char*>(&g_settings);
    return reinterpret_cast<const char*>(&record) + (static_cast<const char*>(field) - base);
}

// Integers compare whole, texts up to their terminator.
bool SameField(const Settings& record, const ExpectedRow& row) {
    const void* other = FieldOf(record, row.field);
    if (row.type == REGISTRY_DWORD)
        return memcmp(row.field, other, row.fieldSize) == 0;
    return strcmp(static_cast<const char*>(row.field), static_cast<const char*>(other)) == 0;
}

// Every field but one holds what was saved.
void ExpectOthersLoaded(const Settings& saved, const ExpectedRow& except) {
    for (const ExpectedRow& row : kRows) {
        if (&row != &except) {
            EXPECT_TRUE(SameField(saved, row)) << row.name;
        }
    }
}

// How many of the table's values the key holds.
size_t StoredValueCount() {
    size_t count = 0;
    for (const ExpectedRow& row : kRows)
        count += FakeGetValue(kRoot, kPath, row.name) != nullptr;
    return count;
}

bool Terminated(const ExpectedRow& row) {
    return memchr(row.field, 0, row.fieldSize) != nullptr;
}

const FakeCall* QueryOf(const char* valueName) {
    for (const FakeCall& call : Fake().calls)
        if (call.op == FakeOp::Query && call.name == valueName)
            return &call;
    return nullptr;
}

class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { Fresh(); }
    void TearDown() override {
        EXPECT_TRUE(Fake().openKeys.empty()) << "a key was left open";
        ResetFake();
    }

    // An empty registry and record, also between the cases of one test.
    virtual void Fresh() {
        EXPECT_TRUE(Fake().openKeys.empty()) << "a key was left open";
        ResetFake();
        g_settings = Settings();
    }

    // The sample saved under the key; g_settings is empty again and the log clear.
    Settings SaveSample() {
        FillSample(g_settings);
        const Settings saved = g_settings;
        SaveSettings(store);
        g_settings = Settings();
        Fake().calls.clear();
        return saved;
    }

    SettingsStore store = {kRoot, kPath,          g_settingsValueTable, SETTINGS_VALUE_COUNT,
                           0,     &g_fakeRegistry};
};

TEST(SettingsValueTable, BindsEveryFieldInOrderWithItsWholeSize) {
    for (uint32_t i = 0; i < SETTINGS_VALUE_COUNT; ++i) {
        SCOPED_TRACE(kRows[i].name);
        const RegistryValueSpec& row = g_settingsValueTable[i];
        EXPECT_STREQ(kRows[i].name, row.valueName);
        EXPECT_EQ(kRows[i].type, row.valueType);
        EXPECT_EQ(kRows[i].field, row.target);
        EXPECT_EQ(kRows[i].type == REGISTRY_DWORD ? 0u : kRows[i].fieldSize, row.capacity);
    }
}

TEST_F(SettingsStoreTest, FirstStartWithoutKeyLoadsNothing) {
    EXPECT_FALSE(LoadSettings(store));
    ExpectSameSettings(Settings(), g_settings);
    ASSERT_EQ(1u, Fake().calls.size());
    EXPECT_EQ(FakeOp::Open, Fake().calls[0].op);
    EXPECT_EQ(kPath, Fake().calls[0].name);
    EXPECT_EQ(REGISTRY_KEY_READ, Fake().calls[0].access);
}

TEST_F(SettingsStoreTest, SaveCreatesTheKeyAndWritesAllValuesInTableOrder) {
    FillSample(g_settings);
    SaveSettings(store);

    const std::vector<FakeCall>& calls = Fake().calls;
    ASSERT_EQ(kCount + 2, calls.size());
    EXPECT_EQ(FakeOp::Create, calls.front().op);
    EXPECT_EQ(kPath, calls.front().name);
    EXPECT_EQ(REGISTRY_KEY_ALL_ACCESS, calls.front().access);
    EXPECT_EQ(FakeOp::Close, calls.back().op);
    EXPECT_TRUE(FakeKeyExists(kRoot, kParent));

    for (uint32_t i = 0; i < SETTINGS_VALUE_COUNT; ++i) {
        const ExpectedRow& row = kRows[i];
        SCOPED_TRACE(row.name);
        const FakeCall& call = calls[i + 1];
        EXPECT_EQ(FakeOp::Set, call.op);
        EXPECT_EQ(row.name, call.name);
        EXPECT_EQ(row.type, call.type);
        const uint32_t size =
            row.type == REGISTRY_DWORD
                ? 4u
                : static_cast<uint32_t>(strlen(static_cast<char*>(row.field))) + 1;
        EXPECT_EQ(size, call.size);
        const FakeValue* stored = FakeGetValue(kRoot, kPath, row.name);
        ASSERT_NE(nullptr, stored);
        ASSERT_EQ(size, stored->data.size());
        EXPECT_EQ(0, memcmp(row.field, stored->data.data(), size));
    }
    // The edges: an empty text is its terminator alone, full texts keep theirs.
    EXPECT_EQ(1u, FakeGetValue(kRoot, kPath, "Bstart")->data.size());
    EXPECT_EQ(17u, FakeGetValue(kRoot, kPath, "Cstart")->data.size());
    EXPECT_EQ(257u, FakeGetValue(kRoot, kPath, "URL")->data.size());
}

TEST_F(SettingsStoreTest, RoundTripRestoresEveryFieldIncludingFullLengthTexts) {
    const Settings saved = SaveSample();
    EXPECT_TRUE(LoadSettings(store));
    ExpectSameSettings(saved, g_settings);

    // Each query is offered exactly its field: never a byte more.
    ASSERT_EQ(kCount + 2, Fake().calls.size());
    for (const ExpectedRow& row : kRows) {
        SCOPED_TRACE(row.name);
        const FakeCall* query = QueryOf(row.name);
        ASSERT_NE(nullptr, query);
        EXPECT_EQ(row.fieldSize, query->size);
    }
}

TEST_F(SettingsStoreTest, MissingValueLeavesItsFieldAndTheOthersAreRead) {
    for (const ExpectedRow& row : kRows) {
        SCOPED_TRACE(row.name);
        Fresh();
        const Settings saved = SaveSample();
        FakeRemoveValue(kRoot, kPath, row.name);
        Settings before = Settings();
        before.posx = before.posy = before.width = before.height = -1;
        before.version = before.flags = 0xFFFFFFFFu;
        snprintf(before.Astart, sizeof before.Astart, "%s", "kept");
        snprintf(before.Cend, sizeof before.Cend, "%s", "kept");
        snprintf(before.URL, sizeof before.URL, "%s", "kept");
        snprintf(before.Filename, sizeof before.Filename, "%s", "kept");
        g_settings = before;

        EXPECT_FALSE(LoadSettings(store));
        EXPECT_EQ(kCount, FakeCallCount(FakeOp::Query));
        for (const ExpectedRow& other : kRows) {
            SCOPED_TRACE(other.name);
            EXPECT_TRUE(SameField(&other == &row ? before : saved, other));
        }
    }
}

TEST_F(SettingsStoreTest, OversizedValueIsRefusedAndItsFieldStaysTerminated) {
    // Windows leaves the buffer undefined when the data do not fit; the fake
    // either leaves it alone or fills all the bytes it was offered.
    for (bool fill : {false, true}) {
        for (const ExpectedRow& row : kRows) {
            SCOPED_TRACE(std::string(row.name) + (fill ? " filled" : " left alone"));
            Fresh();
            const Settings saved = SaveSample();
            Fake().fillWhenTooLarge = fill;
            const std::string oversized = row.type == REGISTRY_DWORD
                                              ? std::string(8, '\x01')
                                              : std::string(row.fieldSize, 'x') + '\0';
            FakePutValue(kRoot, kPath, row.name, row.type, Bytes(oversized));

            EXPECT_FALSE(LoadSettings(store));
            EXPECT_EQ(row.fieldSize, QueryOf(row.name)->size);
            EXPECT_TRUE(row.type == REGISTRY_DWORD || Terminated(row));
            ExpectOthersLoaded(saved, row);
        }
    }
}

TEST_F(SettingsStoreTest, ValueOfAnotherTypeIsCopiedAsRawBytes) {
    SaveSample();
    FakePutValue(kRoot, kPath, "posx", REGISTRY_BINARY, Bytes(std::string("\x2a\x01\0\0", 4)));
    FakePutValue(kRoot, kPath, "Astart", REGISTRY_EXPAND_SZ, Bytes(std::string("0042\0", 5)));
    FakePutValue(kRoot, kPath, "URL", REGISTRY_MULTI_SZ, Bytes(std::string("a\0b\0\0", 5)));

    EXPECT_TRUE(LoadSettings(store));
    EXPECT_EQ(0x12a, g_settings.posx);
    EXPECT_STREQ("0042", g_settings.Astart);
    EXPECT_EQ(0, memcmp("a\0b\0\0", g_settings.URL, 5));
}

TEST_F(SettingsStoreTest, DisabledStoreMakesNoRegistryCall) {
    SaveSample();
    const auto keysBefore = Fake().keys;
    store.disabled = 1;
    Settings other = Settings();
    other.posx = 5;
    snprintf(other.URL, sizeof other.URL, "%s", "other");
    g_settings = other;

    EXPECT_FALSE(LoadSettings(store));
    ExpectSameSettings(other, g_settings);
    SaveSettings(store);
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_TRUE(keysBefore == Fake().keys);
}

TEST_F(SettingsStoreTest, DeleteRemovesOnlyTheLastKeyWhetherDisabledOrNot) {
    for (int32_t disabled : {0, 1}) {
        SCOPED_TRACE(disabled);
        Fresh();
        SaveSample();
        store.disabled = disabled;
        DeleteSettings(store);

        EXPECT_FALSE(FakeKeyExists(kRoot, kPath));
        EXPECT_TRUE(FakeKeyExists(kRoot, kParent));
        const std::vector<FakeCall>& calls = Fake().calls;
        ASSERT_EQ(3u, calls.size());
        EXPECT_EQ(FakeOp::Open, calls[0].op);
        EXPECT_EQ(REGISTRY_KEY_WRITE, calls[0].access);
        EXPECT_EQ(FakeOp::DeleteKey, calls[1].op);
        EXPECT_EQ(kPath, calls[1].name);
        EXPECT_EQ(FakeOp::Close, calls[2].op);
    }
}

TEST_F(SettingsStoreTest, DeleteDoesNothingWithoutKeyOrRightToChangeIt) {
    FakeAddKey(kRoot, kParent);
    DeleteSettings(store);
    EXPECT_TRUE(FakeKeyExists(kRoot, kParent));
    EXPECT_EQ(1u, Fake().calls.size());
    EXPECT_EQ(0u, FakeCallCount(FakeOp::DeleteKey));

    SaveSample();
    Fake().failOpen = true;
    DeleteSettings(store);
    EXPECT_TRUE(FakeKeyExists(kRoot, kPath));
    EXPECT_EQ(0u, FakeCallCount(FakeOp::DeleteKey));
}

TEST_F(SettingsStoreTest, UnreadableKeyLoadsNothing) {
    SaveSample();
    Fake().failOpen = true;
    EXPECT_FALSE(LoadSettings(store));
    ExpectSameSettings(Settings(), g_settings);
    EXPECT_EQ(1u, Fake().calls.size());
}

TEST_F(SettingsStoreTest, KeyThatCannotBeCreatedGetsNothingWritten) {
    Fake().failCreate = true;
    FillSample(g_settings);
    SaveSettings(store);
    EXPECT_FALSE(FakeKeyExists(kRoot, kPath));
    EXPECT_EQ(1u, Fake().calls.size());
}

TEST_F(SettingsStoreTest, FailedWriteOfOneValueDoesNotStopTheOthers) {
    Fake().failValue = "Aend";
    FillSample(g_settings);
    SaveSettings(store);
    EXPECT_EQ(kCount, FakeCallCount(FakeOp::Set));
    EXPECT_EQ(kCount - 1, StoredValueCount());
    EXPECT_EQ(nullptr, FakeGetValue(kRoot, kPath, "Aend"));
    EXPECT_EQ(1u, FakeCallCount(FakeOp::Close));
}

// A start, end or long text stored by other means as a whole field of bytes
// without a terminator fits the field exactly; it must not be taken as a text.
TEST_F(SettingsStoreTest, UnterminatedValueFillingItsFieldIsRefused) {
    for (const ExpectedRow& row : kRows) {
        if (row.type == REGISTRY_DWORD)
            continue;
        SCOPED_TRACE(row.name);
        Fresh();
        const Settings saved = SaveSample();
        FakePutValue(kRoot, kPath, row.name, REGISTRY_SZ, Bytes(std::string(row.fieldSize, 'x')));

        // Had the load looked past the field, it would have found the next
        // field's terminator and taken the value.
        EXPECT_FALSE(LoadSettings(store));
        EXPECT_STREQ("", static_cast<char*>(row.field));
        ExpectOthersLoaded(saved, row);
    }
}

TEST_F(SettingsStoreTest, SaveSkipsTextWithoutTerminatorInsideItsField) {
    FillSample(g_settings);
    memset(g_settings.Aend, 'x', sizeof g_settings.Aend);
    SaveSettings(store);
    EXPECT_EQ(kCount - 1, FakeCallCount(FakeOp::Set));
    EXPECT_EQ(nullptr, FakeGetValue(kRoot, kPath, "Aend"));
}

// The program's table has no list of texts nor other types; a table of its own
// shows how the store treats them.
struct ListRecord {
    char list[12];
    uint32_t binary;
    char text[4];
};
ListRecord g_list;
const RegistryValueSpec kListTable[] = {
    {"list", REGISTRY_MULTI_SZ, g_list.list, sizeof g_list.list},
    {"binary", REGISTRY_BINARY, &g_list.binary, sizeof g_list.binary},
    {"text", REGISTRY_SZ, g_list.text, sizeof g_list.text},
};

class ListStoreTest : public SettingsStoreTest {
  protected:
    void Fresh() override {
        SettingsStoreTest::Fresh();
        g_list = ListRecord();
        snprintf(g_list.text, sizeof g_list.text, "%s", "abc");
        store.valueTable = kListTable;
        store.valueCount = 3;
    }
};

TEST_F(ListStoreTest, ListIsSavedUpToItsFirstDoubleZeroAndOtherTypesAreSkipped) {
    struct Case {
        std::string field;
        uint32_t size; // 0: not written
    };
    const Case cases[] = {
        {std::string("a\0bc\0\0zz\0\0\0\0", 12), 6},
        {std::string("abc\0\0\0\0\0\0\0\0\0", 12), 5},
        {std::string("\0\0q\0\0\0\0\0\0\0\0\0", 12), 2},
        {std::string("\0x\0\0\0\0\0\0\0\0\0\0", 12), 4},
        {std::string("abcdefghij\0k", 12), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Fresh();
        memcpy(g_list.list, c.field.data(), sizeof g_list.list);
        SaveSettings(store);
        EXPECT_EQ(0u, FakeCallCount(FakeOp::Query));
        EXPECT_EQ(nullptr, FakeGetValue(kRoot, kPath, "binary"));
        EXPECT_NE(nullptr, FakeGetValue(kRoot, kPath, "text"));
        const FakeValue* list = FakeGetValue(kRoot, kPath, "list");
        if (c.size == 0) {
            EXPECT_EQ(nullptr, list);
            continue;
        }
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(REGISTRY_MULTI_SZ, list->type);
        EXPECT_EQ(Bytes(c.field.substr(0, c.size)), list->data);
    }
}

TEST_F(ListStoreTest, ListLoadsWhenItEndsInsideItsFieldAndOtherTypesAreNotRead) {
    FakePutValue(kRoot, kPath, "list", REGISTRY_MULTI_SZ, Bytes(std::string("x\0yz\0\0", 6)));
    FakePutValue(kRoot, kPath, "binary", REGISTRY_BINARY, Bytes("1234"));
    FakePutValue(kRoot, kPath, "text", REGISTRY_SZ, Bytes(std::string("ok\0", 3)));
    EXPECT_TRUE(LoadSettings(store));
    EXPECT_EQ(0, memcmp("x\0yz\0\0", g_list.list, 6));
    EXPECT_EQ(0u, g_list.binary);
    EXPECT_STREQ("ok", g_list.text);
    EXPECT_EQ(nullptr, QueryOf("binary"));

    // A list without its double zero inside the field is refused and emptied.
    FakePutValue(kRoot, kPath, "list", REGISTRY_MULTI_SZ, Bytes(std::string("abcdefghij\0k", 12)));
    EXPECT_FALSE(LoadSettings(store));
    EXPECT_EQ(0, memcmp("\0\0", g_list.list, 2));
    EXPECT_STREQ("ok", g_list.text);
}

} // namespace
