#include "generate/range.h"

#include <stdio.h>
#include <string.h>

void FormatVariableText(RangeVariable& variable) {
    // "%3.3u": the precision supplies the leading zeros, the equal width adds nothing.
    char format[32];
    snprintf(format, sizeof format, "%%%u.%uu", (unsigned)variable.digits,
             (unsigned)variable.digits);
    snprintf(variable.text, sizeof variable.text, format, (unsigned)variable.current);
}

static int VariableIndex(char letter) {
    switch (letter) {
    case 'A':
    case 'a':
        return 0;
    case 'B':
    case 'b':
        return 1;
    case 'C':
    case 'c':
        return 2;
    default:
        return -1;
    }
}

size_t ExpandTemplate(char* out, const char* tmpl, RangeVariable* variables) {
    for (int v = 0; v < VARIABLE_COUNT; v++)
        FormatVariableText(variables[v]);

    size_t o = 0;
    for (size_t i = 0; tmpl[i] != '\0';) {
        if (tmpl[i] != '&') {
            if (o < MAX_LINE)
                out[o++] = tmpl[i];
            i++;
            continue;
        }
        char next = tmpl[i + 1];
        if (next == '\0')
            break; // a trailing '&' is dropped and ends the line
        if (next == '&') {
            if (o < MAX_LINE)
                out[o++] = '&';
        } else {
            int v = VariableIndex(next);
            if (v >= 0) {
                const RangeVariable& var = variables[v];
                size_t n = strnlen(var.text, sizeof var.text);
                if (n > var.digits)
                    n = var.digits; // a value wider than its digits is cut
                if (n > MAX_LINE - o)
                    n = MAX_LINE - o;
                memcpy(out + o, var.text, n);
                o += n;
            }
        }
        i += 2;
    }
    out[o] = '\0';
    return o;
}

size_t ExpandedLength(const char* tmpl, const RangeVariable* variables) {
    size_t length = 0;
    for (size_t i = 0; tmpl[i] != '\0';) {
        if (tmpl[i] != '&') {
            length++;
            i++;
            continue;
        }
        char next = tmpl[i + 1];
        if (next == '\0')
            break;
        if (next == '&')
            length++;
        else if (VariableIndex(next) >= 0)
            length += variables[VariableIndex(next)].digits;
        i += 2;
    }
    return length;
}

static bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool ReadNumber(const char* text, uint32_t* value) {
    const char* p = text;
    while (IsBlank(*p))
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        p++;
    }
    if (*p < '0' || *p > '9')
        return false;
    uint64_t n = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        n = n * 10 + (uint64_t)(*p - '0');
        if (n > UINT32_MAX)
            return false;
    }
    if (negative && n != 0)
        return false;
    *value = (uint32_t)n;
    return true;
}
