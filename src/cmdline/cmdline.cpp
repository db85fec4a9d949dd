// Command-line options: option table, token splitter, parser and help lines.
#include "cmdline/cmdline.h"

#include <stdio.h>
#include <string.h>

OptionEntry OptionTable[] = {
    {"rc", OPT_FLAG, nullptr, 0, 0, "clear registry entries for this program"},
    {"rd", OPT_FLAG, nullptr, 0, 0, "disable use of the registry for this program"},
    {"pp", OPT_NUMBER, nullptr, 0, 0,
     "set process priority for dialog\r\r\n"
     "       (0:idle, 1:normal, 2:high, 3:realtime)"},
    {"pt", OPT_NUMBER, nullptr, 0, 0,
     "set priority for processing thread\r\r\n"
     "       (0:idle, 1:lowest, 2:below normal, 3:normal,\r\r\n"
     "        4:above normal, 5:highest, 6:time critical)"},
};
uint32_t OptionCount = sizeof(OptionTable) / sizeof(OptionTable[0]);

namespace {

const char BLANK = ' '; // the only separator of tokens; tabs are ordinary characters
const char QUOTE = '"';

// Runs the token rules over source, storing at most OPTION_TOKEN_SIZE - 1 characters, and
// returns how many characters of source the whole token holds, so that the parser can step
// past a token that was cut.
size_t ScanToken(const char* source, char* token) {
    size_t length = 0;
    size_t stored = 0;
    bool inQuote = false;
    for (;;) {
        char c = source[length];
        if (c == '\0' || (c == BLANK && !inQuote)) {
            break;
        }
        if (stored < OPTION_TOKEN_SIZE - 1) {
            token[stored++] = c;
        }
        ++length;
        if (c == QUOTE) {
            if (inQuote) {
                break; // a closing quote ends the token whatever follows
            }
            inQuote = true;
        }
    }
    token[stored] = '\0';
    return length;
}

// White space as the C locale's isspace knows it, without depending on the locale.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The digit's value in any base up to 16, or 16 for a character that is no digit.
uint32_t DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return uint32_t(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return uint32_t(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return uint32_t(c - 'A' + 10);
    }
    return 16;
}

// Reads one integer as "%i" does: white space, an optional sign, then hexadecimal after
// "0x"/"0X", octal after a leading 0, else decimal; whatever follows is ignored. The
// arithmetic is unsigned 32-bit and wraps modulo 2^32, so no input overflows. "0x" without
// a hexadecimal digit after it reads as the number 0 followed by junk. Returns false when
// no digit was found.
bool ReadNumber(const char* text, int32_t* value) {
    const char* p = text;
    while (IsSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    uint32_t base = 10;
    if (*p == '0') {
        base = 8;
        if ((p[1] == 'x' || p[1] == 'X') && DigitValue(p[2]) < 16) {
            base = 16;
            p += 2;
        }
    }
    bool any = false;
    uint32_t magnitude = 0;
    for (uint32_t digit; (digit = DigitValue(*p)) < base; ++p) {
        magnitude = magnitude * base + digit;
        any = true;
    }
    if (!any) {
        return false;
    }
    uint32_t bits = negative ? 0u - magnitude : magnitude;
    // Two's complement reinterpretation written out, since the plain conversion of an
    // out-of-range value is implementation-defined before C++20.
    *value = bits <= 0x7fffffffu ? int32_t(bits) : -int32_t(~bits) - 1;
    return true;
}

// strncpy's copy with the count capacity, then the last byte zeroed, so that the target
// always holds a terminated text of at most capacity - 1 characters.
void StoreText(char* target, int32_t capacity, const char* text) {
    if (target == nullptr || capacity <= 0) {
        return;
    }
    strncpy(target, text, size_t(capacity));
    target[capacity - 1] = '\0';
}

OptionEntry* FindNamed(OptionEntry* table, uint32_t count, const char* name, size_t length) {
    for (uint32_t i = 0; i < count; ++i) {
        OptionEntry& entry = table[i];
        bool named = entry.kind == OPT_FLAG || entry.kind == OPT_NUMBER || entry.kind == OPT_STRING;
        if (named && entry.name != nullptr && strlen(entry.name) == length &&
            memcmp(entry.name, name, length) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

// value is the text after the first "=", or null when the token has none.
void ApplyOption(OptionEntry* entry, const char* value) {
    switch (entry->kind) {
    case OPT_FLAG:
        entry->set = 1;
        break;
    case OPT_NUMBER:
        if (value != nullptr && ReadNumber(value, &entry->value)) {
            entry->set = 1;
        }
        break;
    case OPT_STRING:
        if (value != nullptr && entry->target != nullptr && entry->value > 0) {
            StoreText(entry->target, entry->value, value);
            entry->set = 1;
        }
        break;
    default:
        break;
    }
}

void ApplyPositional(OptionEntry* table, uint32_t count, const char* token) {
    for (uint32_t i = 0; i < count; ++i) {
        OptionEntry& entry = table[i];
        if (entry.kind == OPT_POSITIONAL && entry.set == 0 && entry.target != nullptr) {
            StoreText(entry.target, entry.value, token);
            entry.set = 1;
            return;
        }
    }
}

// The unrecognised-options text. Each option goes in whole behind a separating blank, so
// the text never ends with a separator; once one option does not fit, none after it goes in.
struct Report {
    char* text;
    size_t length;
    bool full;
};

void AddUnrecognised(Report* report, char prefix, const char* token) {
    if (report->full) {
        return;
    }
    size_t separator = report->length > 0 ? 1 : 0;
    size_t needed = separator + 1 + strlen(token);
    if (report->length + needed >= OPTION_TEXT_SIZE) {
        report->full = true;
        return;
    }
    snprintf(report->text + report->length, OPTION_TEXT_SIZE - report->length, "%s%c%s",
             separator ? " " : "", prefix, token);
    report->length += needed;
}

} // namespace

bool SplitToken(const char* source, char* token) {
    return ScanToken(source, token) > 0;
}

void ParseOptions(OptionEntry* table, uint32_t count, const char* tail, char* unrecognised) {
    Report report = {unrecognised, 0, false};
    unrecognised[0] = '\0';
    if (tail == nullptr) {
        return;
    }
    char token[OPTION_TOKEN_SIZE];
    const char* p = tail;
    for (;;) {
        while (*p == BLANK) {
            ++p;
        }
        if (*p == '\0') {
            return;
        }
        if (*p != '-' && *p != '/') {
            p += ScanToken(p, token);
            ApplyPositional(table, count, token);
            continue;
        }
        char prefix = *p++;
        token[0] = '\0';
        if (*p != BLANK && *p != '\0') {
            p += ScanToken(p, token);
        }
        const char* equals = strchr(token, '=');
        size_t nameLength = equals != nullptr ? size_t(equals - token) : strlen(token);
        OptionEntry* entry = FindNamed(table, count, token, nameLength);
        if (entry != nullptr) {
            ApplyOption(entry, equals != nullptr ? equals + 1 : nullptr);
        } else {
            AddUnrecognised(&report, prefix, token);
        }
    }
}

void ParseCommandLine(const char* tail, char* unrecognised) {
    ParseOptions(OptionTable, OptionCount, tail, unrecognised);
}

char* FormatOptionHelpOf(const OptionEntry* table, uint32_t count, uint32_t index, char* buffer,
                         size_t size) {
    if (buffer == nullptr || size == 0) {
        return buffer;
    }
    if (index >= count) {
        buffer[0] = '\0';
        return buffer;
    }
    const OptionEntry& entry = table[index];
    const char* name = entry.name != nullptr ? entry.name : "";
    const char* prefix = "";
    const char* suffix = "";
    char label[16] = "";
    switch (entry.kind) {
    case OPT_FLAG:
        prefix = "-";
        break;
    case OPT_NUMBER:
        prefix = "-";
        suffix = "=n";
        break;
    case OPT_STRING:
        prefix = "-";
        suffix = "=\"string\"";
        break;
    case OPT_POSITIONAL:
        // Every positional entry is labelled with the number 1.
        snprintf(label, sizeof(label), "pos%u", 1u);
        name = label;
        break;
    default:
        name = "";
        break;
    }
    snprintf(buffer, size, "%s%s%s: %s\r\r\n", prefix, name, suffix,
             entry.help != nullptr ? entry.help : "");
    return buffer;
}

char* FormatOptionHelp(uint32_t index, char* buffer) {
    return FormatOptionHelpOf(OptionTable, OptionCount, index, buffer, HELP_LINE_SIZE);
}

const char* CommandTail(const char* commandLine) {
    if (commandLine == nullptr) {
        return "";
    }
    const char* p = commandLine;
    if (*p == QUOTE) {
        ++p;
        while (*p != '\0' && *p != QUOTE) {
            ++p;
        }
        if (*p == QUOTE) {
            ++p;
        }
    } else {
        while (*p != '\0' && !IsSpace(*p)) {
            ++p;
        }
    }
    while (IsSpace(*p)) {
        ++p;
    }
    return p;
}
