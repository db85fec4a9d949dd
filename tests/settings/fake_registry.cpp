#include "fake_registry.h"

#include <string.h>

namespace {

// Windows error codes, for realism; the store only tests for non-zero.
const long FAKE_ERROR_FILE_NOT_FOUND = 2;
const long FAKE_ERROR_ACCESS_DENIED = 5;
const long FAKE_ERROR_INVALID_HANDLE = 6;
const long FAKE_ERROR_MORE_DATA = 234;

FakeRegistry g_fake;

std::string KeyName(RegKey root, const std::string& path) {
    return std::to_string(reinterpret_cast<uintptr_t>(root)) + "\\" + path;
}

void Log(FakeOp op, const std::string& name, uint32_t access, uint32_t type, uint32_t size) {
    g_fake.calls.push_back(FakeCall{op, name, access, type, size});
}

// The values of an open key, or null for a handle that is not open.
std::map<std::string, FakeValue>* OpenKeyValues(RegKey key) {
    auto handle = g_fake.openKeys.find(key);
    if (handle == g_fake.openKeys.end())
        return nullptr;
    auto found = g_fake.keys.find(handle->second);
    return found == g_fake.keys.end() ? nullptr : &found->second;
}

RegKey NewHandle(const std::string& keyName) {
    RegKey handle = reinterpret_cast<RegKey>(g_fake.nextHandle++);
    g_fake.openKeys[handle] = keyName;
    return handle;
}

long Open(RegKey root, const char* subkeyPath, uint32_t access, RegKey* key) {
    Log(FakeOp::Open, subkeyPath, access, 0, 0);
    if (g_fake.failOpen)
        return FAKE_ERROR_ACCESS_DENIED;
    const std::string name = KeyName(root, subkeyPath);
    if (g_fake.keys.count(name) == 0)
        return FAKE_ERROR_FILE_NOT_FOUND;
    *key = NewHandle(name);
    return 0;
}

long Query(RegKey key, const char* valueName, void* data, uint32_t* size) {
    Log(FakeOp::Query, valueName, 0, 0, *size);
    std::map<std::string, FakeValue>* values = OpenKeyValues(key);
    if (values == nullptr)
        return FAKE_ERROR_INVALID_HANDLE;
    if (g_fake.failValue == valueName)
        return FAKE_ERROR_ACCESS_DENIED;
    auto found = values->find(valueName);
    if (found == values->end())
        return FAKE_ERROR_FILE_NOT_FOUND;
    const std::vector<unsigned char>& bytes = found->second.data;
    if (bytes.size() > *size) {
        if (g_fake.fillWhenTooLarge)
            memset(data, 'X', *size);
        *size = static_cast<uint32_t>(bytes.size());
        return FAKE_ERROR_MORE_DATA;
    }
    if (!bytes.empty())
        memcpy(data, bytes.data(), bytes.size());
    *size = static_cast<uint32_t>(bytes.size());
    return 0;
}

long Create(RegKey root, const char* subkeyPath, uint32_t access, RegKey* key) {
    Log(FakeOp::Create, subkeyPath, access, 0, 0);
    if (g_fake.failCreate)
        return FAKE_ERROR_ACCESS_DENIED;
    FakeAddKey(root, subkeyPath);
    *key = NewHandle(KeyName(root, subkeyPath));
    return 0;
}

long Set(RegKey key, const char* valueName, uint32_t valueType, const void* data, uint32_t size) {
    Log(FakeOp::Set, valueName, 0, valueType, size);
    std::map<std::string, FakeValue>* values = OpenKeyValues(key);
    if (values == nullptr)
        return FAKE_ERROR_INVALID_HANDLE;
    if (g_fake.failValue == valueName)
        return FAKE_ERROR_ACCESS_DENIED;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    (*values)[valueName] = FakeValue{valueType, std::vector<unsigned char>(bytes, bytes + size)};
    return 0;
}

long DeleteKey(RegKey root, const char* subkeyPath) {
    Log(FakeOp::DeleteKey, subkeyPath, 0, 0, 0);
    const std::string name = KeyName(root, subkeyPath);
    if (g_fake.keys.count(name) == 0)
        return FAKE_ERROR_FILE_NOT_FOUND;
    // Like Windows, a key with keys below it is not deleted.
    const std::string below = name + "\\";
    auto next = g_fake.keys.lower_bound(below);
    if (next != g_fake.keys.end() && next->first.compare(0, below.size(), below) == 0)
        return FAKE_ERROR_ACCESS_DENIED;
    g_fake.keys.erase(name);
    return 0;
}

long Close(RegKey key) {
    Log(FakeOp::Close, "", 0, 0, 0);
    return g_fake.openKeys.erase(key) == 1 ? 0 : FAKE_ERROR_INVALID_HANDLE;
}

} // namespace

const RegistryApi g_fakeRegistry = {Open, Query, Create, Set, DeleteKey, Close};

FakeRegistry& Fake() {
    return g_fake;
}

void ResetFake() {
    g_fake = FakeRegistry();
}

bool FakeKeyExists(RegKey root, const std::string& path) {
    return g_fake.keys.count(KeyName(root, path)) == 1;
}

void FakeAddKey(RegKey root, const std::string& path) {
    // Every key above the new one comes into being too.
    for (size_t end = path.find('\\'); end != std::string::npos; end = path.find('\\', end + 1))
        g_fake.keys[KeyName(root, path.substr(0, end))];
    g_fake.keys[KeyName(root, path)];
}

void FakePutValue(RegKey root, const std::string& path, const std::string& name, uint32_t type,
                  const std::vector<unsigned char>& data) {
    FakeAddKey(root, path);
    g_fake.keys[KeyName(root, path)][name] = FakeValue{type, data};
}

void FakeRemoveValue(RegKey root, const std::string& path, const std::string& name) {
    auto key = g_fake.keys.find(KeyName(root, path));
    if (key != g_fake.keys.end())
        key->second.erase(name);
}

const FakeValue* FakeGetValue(RegKey root, const std::string& path, const std::string& name) {
    auto key = g_fake.keys.find(KeyName(root, path));
    if (key == g_fake.keys.end())
        return nullptr;
    auto value = key->second.find(name);
    return value == key->second.end() ? nullptr : &value->second;
}

size_t FakeCallCount(FakeOp op) {
    size_t count = 0;
    for (const FakeCall& call : g_fake.calls)
        count += call.op == op;
    return count;
}
