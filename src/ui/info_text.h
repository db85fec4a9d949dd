// The text of the program information dialog, composed without any window.
#ifndef QUORVEL_INFO_TEXT_H
#define QUORVEL_INFO_TEXT_H

#include <stddef.h>

#include "cmdline/cmdline.h"

enum { INFO_TEXT_SIZE = 256 };

// Where users look for updates and write to; kept here so they are easy to change.
#define QUORVEL_UPDATES_ADDRESS "https://quorvel.example.org/"
#define QUORVEL_CONTACT_ADDRESS "quorvel@example.org"

// Formats the five header lines (each ending "\r\r\n") into text (size bytes).
// Returns false when the header did not fit and was cut.
bool FormatInfoHeader(char* text, size_t size, const char* title, const char* version,
                      const char* date, const char* time);

// Hands the pieces of the dialog's text to emit in order: the header already in
// scratch, the description, the options line, then one help line per entry of
// table, each formatted into scratch (INFO_TEXT_SIZE bytes).
void EmitInfoPieces(char* scratch, const OptionEntry* table, uint32_t count,
                    void (*emit)(const char* piece, void* context), void* context);

#endif
