// Output file operations over POSIX (the native build, where the run is tested).
#include "generate/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static unsigned s_tempCounter;

bool OpenOutput(const char* path, OutputFile* file, uint32_t* error) {
    file->handle = -1;
    file->direct = false;
    file->tempPath[0] = '\0';

    // A device (such as /dev/full) or fifo cannot be replaced: write to it directly.
    struct stat st;
    if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
        int fd = open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) {
            *error = (uint32_t)errno;
            return false;
        }
        file->handle = fd;
        file->direct = true;
        return true;
    }

    for (int attempt = 0; attempt < 100; attempt++) {
        unsigned tag = (unsigned)getpid() * 1000u + s_tempCounter++;
        if (!FormatTempPath(file->tempPath, sizeof file->tempPath, path, tag)) {
            *error = ENAMETOOLONG;
            file->tempPath[0] = '\0';
            return false;
        }
        int fd = open(file->tempPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file->handle = fd;
            return true;
        }
        if (errno != EEXIST) {
            *error = (uint32_t)errno;
            file->tempPath[0] = '\0';
            return false;
        }
    }
    *error = EEXIST;
    file->tempPath[0] = '\0';
    return false;
}

bool WriteOutput(OutputFile* file, const void* data, size_t size, uint32_t* error) {
    const char* p = (const char*)data;
    while (size > 0) {
        ssize_t n = write((int)file->handle, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = (uint32_t)errno;
            return false;
        }
        p += n;
        size -= (size_t)n;
    }
    return true;
}

bool CloseOutput(OutputFile* file, const char* path, bool commit, uint32_t* error) {
    bool ok = true;
    if (file->handle >= 0 && close((int)file->handle) != 0 && commit) {
        *error = (uint32_t)errno;
        ok = false;
    }
    file->handle = -1;
    if (file->direct)
        return ok;
    if (ok && commit && rename(file->tempPath, path) != 0) {
        *error = (uint32_t)errno;
        ok = false;
    }
    if (!ok || !commit)
        unlink(file->tempPath);
    file->tempPath[0] = '\0';
    return ok;
}

void SystemErrorText(uint32_t error, char* text, size_t size) {
    snprintf(text, size, "%s", strerror((int)error));
}

uint32_t PathNotFoundError() {
    return ENOENT;
}
