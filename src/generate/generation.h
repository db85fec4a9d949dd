// One generation run: checks the three range variables, expands the URL and
// destination templates for every combination and writes the GRX list.
#ifndef QUORVEL_GENERATION_H
#define QUORVEL_GENERATION_H

#include <atomic>
#include <stddef.h>
#include <stdint.h>

#include "generate/range.h"
#include "settings/settings.h"

enum { RESULT_TEXT_SIZE = 256 }; // result text: at most 255 characters

// What the dialog says of one variable: its check box and its two texts.
struct VariableSwitch {
    bool enabled;
    const char* startText;
    const char* endText;
};

enum RunOutcome {
    RUN_CREATED, // the list was written and moved into place
    RUN_INVALID_NUMBER,
    RUN_DIGITS_DIFFER,
    RUN_LINE_TOO_LONG,
    RUN_FILE_ERROR, // the system's text for the error is the result
    RUN_CANCELLED,  // stopped on request; the chosen file is untouched
};

// Fills the three variables from the switches. Returns RUN_CREATED when all
// are valid, else RUN_INVALID_NUMBER or RUN_DIGITS_DIFFER (the latter wins).
RunOutcome PrepareVariables(const VariableSwitch switches[VARIABLE_COUNT],
                            RangeVariable variables[VARIABLE_COUNT]);

// Runs the generation for the templates and output path in settings. cancel,
// when not null, is polled once per entry. The result text (RESULT_TEXT_SIZE
// bytes) receives the status text. *entries, when not null, receives the
// number of entries written.
RunOutcome RunGeneration(const Settings& settings, const VariableSwitch switches[VARIABLE_COUNT],
                         const std::atomic<bool>* cancel, char* resultText,
                         uint64_t* entries = nullptr);

// The text of a status string of the string table.
const char* StatusText(unsigned id);

#endif
