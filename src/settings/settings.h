// The persisted record: everything of the main dialog that survives from one
// start of the program to the next.
#ifndef QUORVEL_SETTINGS_H
#define QUORVEL_SETTINGS_H

#include <stdint.h>

enum {
    SETTINGS_SHORT_TEXT = 17, // start and end texts: 16 characters and the terminator
    SETTINGS_LONG_TEXT = 257, // URL, destination, output path: 256 characters and the terminator
};

// Check-box bits of Settings::flags.
enum { FLAG_USE_A = 1, FLAG_USE_B = 2, FLAG_USE_C = 4 };

// Field order is the order of the registry value table.
struct Settings {
    int32_t posx;
    int32_t posy;
    int32_t width;
    int32_t height;
    uint32_t version;
    uint32_t flags;
    char Astart[SETTINGS_SHORT_TEXT];
    char Aend[SETTINGS_SHORT_TEXT];
    char Bstart[SETTINGS_SHORT_TEXT];
    char Bend[SETTINGS_SHORT_TEXT];
    char Cstart[SETTINGS_SHORT_TEXT];
    char Cend[SETTINGS_SHORT_TEXT];
    char URL[SETTINGS_LONG_TEXT];
    char DownloadDestination[SETTINGS_LONG_TEXT];
    char Filename[SETTINGS_LONG_TEXT];
};

// The one record of the process, zero-initialised: integers 0, texts empty.
extern Settings g_settings;

#endif
