// Range variables (&A, &B, &C) and the expansion of a template for their
// current values.
#ifndef QUORVEL_RANGE_H
#define QUORVEL_RANGE_H

#include <stddef.h>
#include <stdint.h>

enum {
    VARIABLE_COUNT = 3,      // A, B, C, in nesting order
    VARIABLE_TEXT_SIZE = 16, // rendered value: at most 15 digits and the terminator
    MAX_DIGITS = VARIABLE_TEXT_SIZE - 1,
    LINE_SIZE = 257, // an expanded line: 256 characters and the terminator
    MAX_LINE = LINE_SIZE - 1,
};

struct RangeVariable {
    uint32_t start;
    uint32_t end;     // inclusive
    uint32_t current; // the value being rendered
    uint32_t digits;  // characters to render: the length of the start text as typed
    char text[VARIABLE_TEXT_SIZE];
};

// Renders current into text, zero-padded to digits characters.
void FormatVariableText(RangeVariable& variable);

// Expands template into out (LINE_SIZE bytes) for the variables' current values
// and returns the position of the terminator. Never writes past out[MAX_LINE].
size_t ExpandTemplate(char* out, const char* tmpl, RangeVariable* variables);

// Length of the expansion of tmpl when each variable renders exactly its digit
// count, without the cut at MAX_LINE: tells a run whether its lines fit.
size_t ExpandedLength(const char* tmpl, const RangeVariable* variables);

// Reads one unsigned decimal number: white space, then one optional sign, then
// digits up to the first non-digit. False when no digit follows, when the value
// does not fit in 32 bits, or when it is negative ("-0" reads as 0).
bool ReadNumber(const char* text, uint32_t* value);

#endif
