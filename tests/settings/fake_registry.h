// An in-memory registry behind the store's interface, for tests. It keeps the
// contract the store relies on: a query never writes more bytes than offered and
// fails when the data are larger; data are copied as raw bytes whatever their
// type; creating a key creates the keys above it; deleting a key leaves its
// parents. It can be told to fail opens, creates or one value, and logs every call.
// Unlike Windows, names are compared case-sensitively.
#ifndef QUORVEL_TESTS_FAKE_REGISTRY_H
#define QUORVEL_TESTS_FAKE_REGISTRY_H

#include <map>
#include <string>
#include <vector>

#include "settings/settings_store.h"

enum class FakeOp { Open, Query, Create, Set, DeleteKey, Close };

struct FakeCall {
    FakeOp op;
    std::string name; // key path for open/create/delete, value name for query/set
    uint32_t access;  // open, create
    uint32_t type;    // set
    uint32_t size;    // size offered to a query, size given to a set
};

struct FakeValue {
    uint32_t type;
    std::vector<unsigned char> data;
};
inline bool operator==(const FakeValue& a, const FakeValue& b) {
    return a.type == b.type && a.data == b.data;
}

struct FakeRegistry {
    // Key name (root and path) to its values.
    std::map<std::string, std::map<std::string, FakeValue>> keys;
    std::map<RegKey, std::string> openKeys;
    uintptr_t nextHandle = 0x1000;
    std::vector<FakeCall> calls;

    bool failOpen = false;
    bool failCreate = false;
    // A query of data larger than offered fills the offered bytes, as Windows may:
    // it leaves the buffer's contents undefined then.
    bool fillWhenTooLarge = false;
    std::string failValue; // queries and sets of this value name fail
};

// The one fake registry of the test program; the interface has no context pointer.
FakeRegistry& Fake();
void ResetFake();
extern const RegistryApi g_fakeRegistry;

// Direct access for arranging and inspecting, outside the logged calls.
bool FakeKeyExists(RegKey root, const std::string& path);
void FakeAddKey(RegKey root, const std::string& path);
void FakePutValue(RegKey root, const std::string& path, const std::string& name, uint32_t type,
                  const std::vector<unsigned char>& data);
void FakeRemoveValue(RegKey root, const std::string& path, const std::string& name);
const FakeValue* FakeGetValue(RegKey root, const std::string& path, const std::string& name);
size_t FakeCallCount(FakeOp op);

#endif
