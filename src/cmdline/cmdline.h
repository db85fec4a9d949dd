// Command-line options: one static table drives the parser of the command tail,
// the collecting of unrecognised options and the help lines of the information dialog.
#ifndef QUORVEL_CMDLINE_H
#define QUORVEL_CMDLINE_H

#include <stddef.h>
#include <stdint.h>

enum OptionKind : int32_t {
    OPT_FLAG = 1000,      // matched by name; giving the option is all
    OPT_NUMBER = 1001,    // matched by name; an integer after "="
    OPT_STRING = 1002,    // matched by name; a text after "="
    OPT_POSITIONAL = 1003 // matched by position: a whole token without option prefix
};

struct OptionEntry {
    const char* name; // without prefix; unused by positional entries
    OptionKind kind;
    char* target;  // string and positional entries: receives the text; else null
    int32_t value; // number: the number given; string/positional: capacity of target
    int32_t set;   // 1 once the option has been applied from the command line
    const char* help;
};

enum { OPTION_RC = 0, OPTION_RD = 1, OPTION_PP = 2, OPTION_PT = 3 }; // indexes in OptionTable
enum { OPTION_TOKEN_SIZE = 128, OPTION_TEXT_SIZE = 128, HELP_LINE_SIZE = 256 };

extern OptionEntry OptionTable[];
extern uint32_t OptionCount; // 4

// Copies one token from source into token (OPTION_TOKEN_SIZE bytes; a longer token is cut
// to OPTION_TOKEN_SIZE - 1 characters). A blank outside double quotes ends the token; quotes
// stay in it and a closing quote ends it. Returns true when the token is not empty.
bool SplitToken(const char* source, char* token);

// Parses the command tail (null allowed) into OptionTable; unrecognised (OPTION_TEXT_SIZE
// bytes) receives the unrecognised options separated by single blanks, or the empty text.
void ParseCommandLine(const char* tail, char* unrecognised);

// Writes the help line of OptionTable[index] into buffer (HELP_LINE_SIZE bytes); returns buffer.
char* FormatOptionHelp(uint32_t index, char* buffer);

// The same over any table.
void ParseOptions(OptionEntry* table, uint32_t count, const char* tail, char* unrecognised);
char* FormatOptionHelpOf(const OptionEntry* table, uint32_t count, uint32_t index, char* buffer,
                         size_t size);

// The command tail of a whole process command line: a name that begins with a double quote
// ends at the next double quote (dropped with it), any other name at the first white space;
// white space after the name is skipped and the rest returned unchanged (a pointer into
// commandLine). A null commandLine gives the empty text.
const char* CommandTail(const char* commandLine);

#endif
