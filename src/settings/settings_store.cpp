#include "settings/settings_store.h"

#include <string.h>

const RegistryValueSpec g_settingsValueTable[SETTINGS_VALUE_COUNT] = {
    {"posx", REGISTRY_DWORD, &g_settings.posx, 0},
    {"posy", REGISTRY_DWORD, &g_settings.posy, 0},
    {"width", REGISTRY_DWORD, &g_settings.width, 0},
    {"height", REGISTRY_DWORD, &g_settings.height, 0},
    {"version", REGISTRY_DWORD, &g_settings.version, 0},
    {"flags", REGISTRY_DWORD, &g_settings.flags, 0},
    {"Astart", REGISTRY_SZ, g_settings.Astart, sizeof g_settings.Astart},
    {"Aend", REGISTRY_SZ, g_settings.Aend, sizeof g_settings.Aend},
    {"Bstart", REGISTRY_SZ, g_settings.Bstart, sizeof g_settings.Bstart},
    {"Bend", REGISTRY_SZ, g_settings.Bend, sizeof g_settings.Bend},
    {"Cstart", REGISTRY_SZ, g_settings.Cstart, sizeof g_settings.Cstart},
    {"Cend", REGISTRY_SZ, g_settings.Cend, sizeof g_settings.Cend},
    // The long texts are read with their whole field, so that a 256-character
    // text, saved as 257 bytes, loads back.
    {"URL", REGISTRY_SZ, g_settings.URL, sizeof g_settings.URL},
    {"DownloadDestination", REGISTRY_SZ, g_settings.DownloadDestination,
     sizeof g_settings.DownloadDestination},
    {"Filename", REGISTRY_SZ, g_settings.Filename, sizeof g_settings.Filename},
};

namespace {

const uint32_t DWORD_SIZE = 4;

bool IsText(uint32_t type) {
    return type == REGISTRY_SZ || type == REGISTRY_MULTI_SZ;
}

// A text ends with one zero byte, a list of texts with two in a row.
uint32_t TerminatorLength(uint32_t type) {
    return type == REGISTRY_MULTI_SZ ? 2 : 1;
}

// Bytes of a text row's data, terminator included, looked for only inside the
// field; 0 when the field holds no terminator.
uint32_t TextDataSize(const RegistryValueSpec& row) {
    const unsigned char* bytes = static_cast<const unsigned char*>(row.target);
    const uint32_t terminator = TerminatorLength(row.valueType);
    uint32_t zeros = 0;
    for (uint32_t i = 0; i < row.capacity; ++i) {
        zeros = bytes[i] == 0 ? zeros + 1 : 0;
        if (zeros == terminator)
            return i + 1;
    }
    return 0;
}

void EmptyText(const RegistryValueSpec& row) {
    const uint32_t terminator = TerminatorLength(row.valueType);
    memset(row.target, 0, row.capacity < terminator ? row.capacity : terminator);
}

} // namespace

bool LoadSettings(SettingsStore& store) {
    if (store.disabled)
        return false;
    const RegistryApi& registry = *store.registry;
    RegKey key = nullptr;
    if (registry.open(store.rootKey, store.subkeyPath, REGISTRY_KEY_READ, &key) != 0)
        return false;

    bool complete = true;
    for (uint32_t i = 0; i < store.valueCount; ++i) {
        const RegistryValueSpec& row = store.valueTable[i];
        const bool text = IsText(row.valueType);
        if (!text && row.valueType != REGISTRY_DWORD)
            continue;
        uint32_t size = text ? row.capacity : DWORD_SIZE;
        bool read = registry.query(key, row.valueName, row.target, &size) == 0;
        // A value that fills the field without its terminator (written by other
        // means), or the undefined rest of one that did not fit, must not leave
        // the field unterminated: it is refused and the field emptied.
        if (text && TextDataSize(row) == 0) {
            EmptyText(row);
            read = false;
        }
        if (!read)
            complete = false;
    }
    registry.close(key);
    return complete;
}

void SaveSettings(SettingsStore& store) {
    if (store.disabled)
        return;
    const RegistryApi& registry = *store.registry;
    RegKey key = nullptr;
    if (registry.create(store.rootKey, store.subkeyPath, REGISTRY_KEY_ALL_ACCESS, &key) != 0)
        return;

    for (uint32_t i = 0; i < store.valueCount; ++i) {
        const RegistryValueSpec& row = store.valueTable[i];
        uint32_t size = 0;
        if (row.valueType == REGISTRY_DWORD)
            size = DWORD_SIZE;
        else if (IsText(row.valueType))
            size = TextDataSize(row); // 0: no terminator inside the field; not written
        if (size == 0)
            continue;
        registry.set(key, row.valueName, row.valueType, row.target, size);
    }
    registry.close(key);
}

void DeleteSettings(SettingsStore& store) {
    const RegistryApi& registry = *store.registry;
    RegKey key = nullptr;
    if (registry.open(store.rootKey, store.subkeyPath, REGISTRY_KEY_WRITE, &key) != 0)
        return;
    // Named again from the root: the opened key only proves it exists and may be changed.
    registry.deleteKey(store.rootKey, store.subkeyPath);
    registry.close(key);
}
