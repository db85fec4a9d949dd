// The few file operations a run needs, with the platform's error codes, so
// that the run itself stays free of platform calls.
#ifndef QUORVEL_OUTPUT_FILE_H
#define QUORVEL_OUTPUT_FILE_H

#include <stddef.h>
#include <stdint.h>

enum { TEMP_PATH_SIZE = 512 };

struct OutputFile {
    intptr_t handle;               // platform file handle
    bool direct;                   // writing to the named file itself (a device), not a temp
    char tempPath[TEMP_PATH_SIZE]; // the temporary list beside the chosen name
};

// Opens a new temporary file in the folder of path (or, for an existing
// non-regular file such as a device, path itself). On failure returns false
// with the platform's error code in *error; nothing is left behind.
bool OpenOutput(const char* path, OutputFile* file, uint32_t* error);

// Writes all size bytes or fails with the platform's error code.
bool WriteOutput(OutputFile* file, const void* data, size_t size, uint32_t* error);

// Closes the file; if commit, moves the temporary file over path. On any
// failure, and whenever commit is false, the temporary file is removed, so
// path keeps its previous bytes.
bool CloseOutput(OutputFile* file, const char* path, bool commit, uint32_t* error);

// Names a temporary file in the folder of path ("~qv" and eight hex digits of
// tag). False when the name does not fit size.
bool FormatTempPath(char* out, size_t size, const char* path, unsigned tag);

// The platform's message text for an error code, without a trailing line break.
void SystemErrorText(uint32_t error, char* text, size_t size);

// The error code for "path not found", used for an empty output path.
uint32_t PathNotFoundError();

#endif
