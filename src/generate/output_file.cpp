#include "generate/output_file.h"

#include <stdio.h>

// Characters that end a folder in a path.
#ifdef _WIN32
static const char kSeparators[] = "\\/:";
#else
static const char kSeparators[] = "/";
#endif

bool FormatTempPath(char* out, size_t size, const char* path, unsigned tag) {
    size_t folder = 0;
    for (size_t i = 0; path[i] != '\0'; i++)
        for (const char* s = kSeparators; *s; s++)
            if (path[i] == *s)
                folder = i + 1;
    int n = snprintf(out, size, "%.*s~qv%08x.tmp", (int)folder, path, tag);
    if (n < 0 || (size_t)n >= size) {
        if (size > 0)
            out[0] = '\0';
        return false;
    }
    return true;
}
