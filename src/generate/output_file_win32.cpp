// Output file operations over the Win32 file API.
#include "generate/output_file.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

static LONG s_tempCounter;

bool OpenOutput(const char* path, OutputFile* file, uint32_t* error) {
    file->handle = (intptr_t)INVALID_HANDLE_VALUE;
    file->direct = false;
    file->tempPath[0] = '\0';

    for (int attempt = 0; attempt < 100; attempt++) {
        unsigned tag = (unsigned)GetCurrentProcessId() * 1000u +
                       (unsigned)InterlockedIncrement(&s_tempCounter);
        if (!FormatTempPath(file->tempPath, sizeof file->tempPath, path, tag)) {
            *error = ERROR_FILENAME_EXCED_RANGE;
            file->tempPath[0] = '\0';
            return false;
        }
        // Others may read the list while it is written, but not write it.
        HANDLE h = CreateFileA(file->tempPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE) {
            file->handle = (intptr_t)h;
            return true;
        }
        DWORD e = GetLastError();
        if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) {
            *error = e;
            file->tempPath[0] = '\0';
            return false;
        }
    }
    *error = ERROR_FILE_EXISTS;
    file->tempPath[0] = '\0';
    return false;
}

bool WriteOutput(OutputFile* file, const void* data, size_t size, uint32_t* error) {
    const char* p = (const char*)data;
    while (size > 0) {
        DWORD chunk = size > 0x40000000u ? 0x40000000u : (DWORD)size;
        DWORD written = 0;
        if (!WriteFile((HANDLE)file->handle, p, chunk, &written, NULL)) {
            *error = GetLastError();
            return false;
        }
        if (written == 0) {
            *error = ERROR_WRITE_FAULT;
            return false;
        }
        p += written;
        size -= written;
    }
    return true;
}

bool CloseOutput(OutputFile* file, const char* path, bool commit, uint32_t* error) {
    bool ok = true;
    // Every handle must be closed before the move: a file still open elsewhere
    // cannot be replaced.
    if ((HANDLE)file->handle != INVALID_HANDLE_VALUE && !CloseHandle((HANDLE)file->handle) &&
        commit) {
        *error = GetLastError();
        ok = false;
    }
    file->handle = (intptr_t)INVALID_HANDLE_VALUE;
    if (ok && commit &&
        !MoveFileExA(file->tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        *error = GetLastError();
        ok = false;
    }
    if (!ok || !commit)
        DeleteFileA(file->tempPath);
    file->tempPath[0] = '\0';
    return ok;
}

void SystemErrorText(uint32_t error, char* text, size_t size) {
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                             error, LANG_USER_DEFAULT, text, (DWORD)size, NULL);
    if (n == 0) {
        snprintf(text, size, "Error %lu", (unsigned long)error);
        return;
    }
    // The system's texts end with a line break, which a status bar cannot show.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        text[--n] = '\0';
}

uint32_t PathNotFoundError() {
    return ERROR_PATH_NOT_FOUND;
}
