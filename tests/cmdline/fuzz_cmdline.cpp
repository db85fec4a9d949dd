// libFuzzer target: the parser over the program's table and over a table with small string
// and positional buffers, the token splitter and the command tail. Every buffer the code
// writes is allocated at its exact size, so that the sanitizers catch a byte written past it.
#include "cmdline/cmdline.h"

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) {
        abort();
    }
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The unrecognised-options text: terminated within its bytes, options only, no separator
// at either end (a blank at the end can only belong to a token with an unclosed quote).
void CheckText(const char* tail, const char* text) {
    size_t length = strnlen(text, OPTION_TEXT_SIZE);
    Check(length < OPTION_TEXT_SIZE);
    if (length == 0) {
        return;
    }
    Check(text[0] == '-' || text[0] == '/');
    Check(strchr(tail, text[0]) != nullptr);
    if (text[length - 1] == ' ') {
        Check(strchr(text, '"') != nullptr);
    }
}

void CheckSplitToken(const char* source) {
    std::vector<char> token(OPTION_TOKEN_SIZE);
    bool result = SplitToken(source, token.data());
    size_t length = strnlen(token.data(), OPTION_TOKEN_SIZE);
    Check(length < OPTION_TOKEN_SIZE);
    Check(result == (length > 0));
    Check(memcmp(token.data(), source, length) == 0);
    int quotes = 0;
    for (size_t i = 0; i < length; ++i) {
        Check(token[i] != ' ' || quotes == 1);
        if (token[i] == '"') {
            ++quotes;
            Check(quotes == 1 || i == length - 1);
        }
    }
}

void CheckCommandTail(const char* commandLine, size_t size) {
    const char* tail = CommandTail(commandLine);
    Check(tail >= commandLine && tail <= commandLine + size);
    Check(strlen(tail) == size - size_t(tail - commandLine));
    Check(!IsSpace(*tail));
}

void CheckOptionTable(const char* tail) {
    for (uint32_t i = 0; i < OptionCount; ++i) {
        OptionTable[i].set = 0;
        OptionTable[i].value = 0;
    }
    std::vector<char> text(OPTION_TEXT_SIZE);
    ParseCommandLine(tail, text.data());
    CheckText(tail, text.data());
    for (uint32_t i = 0; i < OptionCount; ++i) {
        Check(OptionTable[i].set == 0 || OptionTable[i].set == 1);
        Check(OptionTable[i].set == 1 || OptionTable[i].value == 0);
        Check(OptionTable[i].target == nullptr);
    }
}

// A table of every kind with small buffers, including a capacity of 0.
void CheckSmallTable(const char* tail) {
    const int32_t capacities[] = {1, 3, 0, 1, 2, 5};
    std::vector<char*> buffers;
    for (int32_t capacity : capacities) {
        char* buffer = static_cast<char*>(malloc(size_t(capacity) + 1)); // never 0 bytes
        memset(buffer, 'X', size_t(capacity) + 1);
        buffers.push_back(buffer);
    }
    OptionEntry table[] = {
        {"s", OPT_STRING, buffers[0], capacities[0], 0, "s"},
        {"t", OPT_STRING, buffers[1], capacities[1], 0, "t"},
        {"z", OPT_STRING, buffers[2], capacities[2], 0, "z"},
        {"p", OPT_POSITIONAL, buffers[3], capacities[3], 0, "p"},
        {nullptr, OPT_POSITIONAL, nullptr, 4, 0, "no target"},
        {nullptr, OPT_POSITIONAL, buffers[4], capacities[4], 0, "q"},
        {nullptr, OPT_POSITIONAL, buffers[5], capacities[5], 0, "r"},
        {"f", OPT_FLAG, nullptr, 0, 0, "f"},
        {"n", OPT_NUMBER, nullptr, 0, 0, "n"},
    };
    const uint32_t count = sizeof(table) / sizeof(table[0]);
    const size_t withBuffer[] = {0, 1, 2, 3, 5, 6};
    std::vector<char> text(OPTION_TEXT_SIZE);
    ParseOptions(table, count, tail, text.data());
    CheckText(tail, text.data());
    for (size_t b = 0; b < buffers.size(); ++b) {
        const OptionEntry& entry = table[withBuffer[b]];
        size_t capacity = size_t(capacities[b]);
        Check(entry.set == 0 || entry.set == 1);
        Check(buffers[b][capacity] == 'X'); // the spare byte behind the capacity
        if (entry.set && capacity > 0) {
            Check(strnlen(buffers[b], capacity) < capacity);
        } else if (capacity > 0) {
            Check(buffers[b][0] == 'X');
        }
    }
    Check(table[2].set == 0); // capacity 0
    Check(table[4].set == 0); // no target
    char line[HELP_LINE_SIZE];
    for (uint32_t i = 0; i < count; ++i) {
        Check(strlen(FormatOptionHelpOf(table, count, i, line, sizeof(line))) < sizeof(line));
    }
    for (char* buffer : buffers) {
        free(buffer);
    }
}

// A value text without blanks, quotes or a cut reaches the conversion unchanged; whatever
// strtoll reads without overflow, the option must hold modulo 2^32.
void CheckNumber(const uint8_t* data, size_t size) {
    if (size > 100 || memchr(data, ' ', size) || memchr(data, '"', size) || memchr(data, 0, size)) {
        return;
    }
    std::vector<char> tail(size + 4);
    memcpy(tail.data(), "-n=", 3);
    memcpy(tail.data() + 3, data, size);
    tail[size + 3] = '\0';
    OptionEntry table[] = {{"n", OPT_NUMBER, nullptr, 0, 0, "n"}};
    std::vector<char> text(OPTION_TEXT_SIZE);
    ParseOptions(table, 1, tail.data(), text.data());
    Check(text[0] == '\0');
    char* end = nullptr;
    errno = 0;
    long long expected = strtoll(tail.data() + 3, &end, 0);
    if (end == tail.data() + 3) {
        Check(table[0].set == 0 && table[0].value == 0);
    } else if (errno == 0) {
        Check(table[0].set == 1);
        Check(uint32_t(table[0].value) == uint32_t(static_cast<unsigned long long>(expected)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input as a terminated text of its own exact size (embedded zero bytes end it early).
    std::vector<char> owned(data, data + size);
    owned.push_back('\0');
    const char* tail = owned.data();
    size_t length = strlen(tail);

    CheckCommandTail(tail, length);
    CheckSplitToken(tail);
    CheckOptionTable(tail);
    CheckSmallTable(tail);
    CheckNumber(data, size);
    return 0;
}
