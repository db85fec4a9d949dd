// The settings store: carries the Settings record from one start of the
// program to the next in one registry key, one named value per field.
// The store core is plain code over a small registry interface, so it builds
// and is tested without Windows; registry_win32.cpp supplies the real registry.
#ifndef QUORVEL_SETTINGS_STORE_H
#define QUORVEL_SETTINGS_STORE_H

#include <stdint.h>

#include "settings/settings.h"

// An open registry key or a predefined root key (HKEY on Windows).
typedef void* RegKey;

// Registry type codes and access masks, with the values Windows gives them.
enum : uint32_t {
    REGISTRY_SZ = 1,
    REGISTRY_DWORD = 4,
    REGISTRY_MULTI_SZ = 7,
};
enum : uint32_t {
    REGISTRY_KEY_READ = 0x20019,
    REGISTRY_KEY_WRITE = 0x20006,
    REGISTRY_KEY_ALL_ACCESS = 0xF003F,
};

// The six registry operations the store uses. Every result is 0 on success.
struct RegistryApi {
    // 0 and an open key in *key when the key exists and the access is granted;
    // otherwise non-zero and *key untouched.
    long (*open)(RegKey root, const char* subkeyPath, uint32_t access, RegKey* key);
    // Copies the value's data (whatever its stored type) into data when the value
    // exists and its data fit *size; non-zero when missing or larger. Never writes
    // more than *size bytes.
    long (*query)(RegKey key, const char* valueName, void* data, uint32_t* size);
    // Creates or opens a non-volatile key, creating any missing key above it.
    long (*create)(RegKey root, const char* subkeyPath, uint32_t access, RegKey* key);
    // Creates or replaces a value.
    long (*set)(RegKey key, const char* valueName, uint32_t valueType, const void* data,
                uint32_t size);
    // Removes the key and its values; the keys above it stay.
    long (*deleteKey)(RegKey root, const char* subkeyPath);
    long (*close)(RegKey key);
};

// One row of a registry value table: a value name bound to a record field.
struct RegistryValueSpec {
    const char* valueName;
    uint32_t valueType; // REGISTRY_SZ, REGISTRY_DWORD or REGISTRY_MULTI_SZ; other rows are skipped
    void* target;       // the field a load fills and a save reads
    uint32_t capacity;  // text rows: the field's size in bytes, terminator included; 0 for DWORD
};

enum { SETTINGS_VALUE_COUNT = 15 };

// The 15 values of g_settings, in the order they are read and written.
extern const RegistryValueSpec g_settingsValueTable[SETTINGS_VALUE_COUNT];

// The binding of a record's value table to one registry key.
struct SettingsStore {
    RegKey rootKey;
    const char* subkeyPath;
    const RegistryValueSpec* valueTable;
    uint32_t valueCount;
    int32_t disabled; // non-zero: LoadSettings and SaveSettings leave the registry alone
    const RegistryApi* registry;
};

// Reads every row's value into its field. True when the key was opened and every
// value was read; a value that could not be read leaves the answer false but does
// not stop the others. Every text field holds a terminated text afterwards.
bool LoadSettings(SettingsStore& store);

// Creates the key if needed and writes every row's value; failed writes are ignored.
void SaveSettings(SettingsStore& store);

// Removes the store's key (only the last key of its path) if it exists, whether
// or not the store is disabled.
void DeleteSettings(SettingsStore& store);

#ifdef _WIN32
// The registry of Windows (advapi32).
extern const RegistryApi g_win32Registry;

// The program's store: g_settings under HKEY_CURRENT_USER\Software\Veskaran Freeware\Quorvel.
extern SettingsStore g_settingsStore;
#endif

#endif
