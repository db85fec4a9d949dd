// The registry of Windows behind the store's interface, and the program's store.
#include <windows.h>

#include "settings/settings_store.h"

static_assert(REGISTRY_SZ == REG_SZ && REGISTRY_DWORD == REG_DWORD &&
                  REGISTRY_MULTI_SZ == REG_MULTI_SZ,
              "registry type codes");
static_assert(REGISTRY_KEY_READ == KEY_READ && REGISTRY_KEY_WRITE == KEY_WRITE &&
                  REGISTRY_KEY_ALL_ACCESS == KEY_ALL_ACCESS,
              "registry access masks");

namespace {

HKEY ToHkey(RegKey key) {
    return static_cast<HKEY>(key);
}

long Open(RegKey root, const char* subkeyPath, uint32_t access, RegKey* key) {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(ToHkey(root), subkeyPath, 0, access, &opened);
    if (result == ERROR_SUCCESS)
        *key = opened;
    return result;
}

long Query(RegKey key, const char* valueName, void* data, uint32_t* size) {
    DWORD bytes = *size;
    const LONG result = RegQueryValueExA(ToHkey(key), valueName, nullptr, nullptr,
                                         static_cast<BYTE*>(data), &bytes);
    *size = bytes;
    return result;
}

long Create(RegKey root, const char* subkeyPath, uint32_t access, RegKey* key) {
    HKEY created = nullptr;
    DWORD disposition = 0;
    const LONG result =
        RegCreateKeyExA(ToHkey(root), subkeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, &created, &disposition);
    if (result == ERROR_SUCCESS)
        *key = created;
    return result;
}

long Set(RegKey key, const char* valueName, uint32_t valueType, const void* data, uint32_t size) {
    return RegSetValueExA(ToHkey(key), valueName, 0, valueType, static_cast<const BYTE*>(data),
                          size);
}

long DeleteKey(RegKey root, const char* subkeyPath) {
    return RegDeleteKeyA(ToHkey(root), subkeyPath);
}

long Close(RegKey key) {
    return RegCloseKey(ToHkey(key));
}

} // namespace

const RegistryApi g_win32Registry = {Open, Query, Create, Set, DeleteKey, Close};

SettingsStore g_settingsStore = {
    HKEY_CURRENT_USER,
    "Software\\Veskaran Freeware\\Quorvel",
    g_settingsValueTable,
    SETTINGS_VALUE_COUNT,
    0,
    &g_win32Registry,
};
