// Tests of the option table, the token splitter, the parser, the help lines and the
// command tail.
#include "cmdline/cmdline.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>

namespace {

// Entries of OptionTable as the parser leaves them.
struct Expected {
    int32_t rcSet, rdSet;
    int32_t ppSet, ppValue;
    int32_t ptSet, ptValue;
};

struct ParseCase {
    const char* tail;
    Expected expected;
    const char* unrecognised;
};

void ResetOptionTable() {
    for (uint32_t i = 0; i < OptionCount; ++i) {
        OptionTable[i].set = 0;
        OptionTable[i].value = 0;
    }
}

void ExpectTable(const Expected& e, const std::string& context) {
    SCOPED_TRACE(context);
    EXPECT_EQ(OptionTable[OPTION_RC].set, e.rcSet);
    EXPECT_EQ(OptionTable[OPTION_RD].set, e.rdSet);
    EXPECT_EQ(OptionTable[OPTION_PP].set, e.ppSet);
    EXPECT_EQ(OptionTable[OPTION_PP].value, e.ppValue);
    EXPECT_EQ(OptionTable[OPTION_PT].set, e.ptSet);
    EXPECT_EQ(OptionTable[OPTION_PT].value, e.ptValue);
}

// Parses tail over a fresh OptionTable into a text buffer with guard bytes behind its
// 128 bytes, and checks that the parser never wrote into them.
std::string Parse(const char* tail) {
    ResetOptionTable();
    char text[OPTION_TEXT_SIZE + 16];
    memset(text, '#', sizeof(text));
    ParseCommandLine(tail, text);
    for (size_t i = OPTION_TEXT_SIZE; i < sizeof(text); ++i) {
        EXPECT_EQ(text[i], '#') << "written past the text at " << i;
    }
    EXPECT_LT(strnlen(text, OPTION_TEXT_SIZE), size_t(OPTION_TEXT_SIZE));
    return std::string(text, strnlen(text, OPTION_TEXT_SIZE));
}

const Expected NONE = {0, 0, 0, 0, 0, 0};
const Expected RC = {1, 0, 0, 0, 0, 0};
const Expected RC_RD = {1, 1, 0, 0, 0, 0};

Expected Pp(int32_t value) {
    return {0, 0, 1, value, 0, 0};
}

TEST(ParseCommandLine, OptionsAndUnrecognisedText) {
    const ParseCase cases[] = {
        // Nothing to parse.
        {nullptr, NONE, ""},
        {"", NONE, ""},
        {"     ", NONE, ""},
        // Flags, with either prefix; a value text is ignored.
        {"-rc /rd", RC_RD, ""},
        {"  -rc    -rd  ", RC_RD, ""},
        {"/rd -rc", RC_RD, ""},
        {"-rc=yes", RC, ""},
        {"-rc=", RC, ""},
        {"-rc -rc", RC, ""},
        // Names are compared whole and case-sensitively.
        {"-RC", NONE, "-RC"},
        {"-r", NONE, "-r"},
        {"-rcx", NONE, "-rcx"},
        {"-=5", NONE, "-=5"},
        // Numbers: decimal, octal, hexadecimal, sign, trailing junk.
        {"-pp=2", Pp(2), ""},
        {"-pp=0x2", Pp(2), ""},
        {"-pp=0X1f", Pp(31), ""},
        {"-pp=010", Pp(8), ""},
        {"-pp=08", Pp(0), ""},
        {"-pp=2abc", Pp(2), ""},
        {"-pp=5=6", Pp(5), ""},
        {"-pp=-1", Pp(-1), ""},
        {"-pp=+7", Pp(7), ""},
        {"-pp=-0x10", Pp(-16), ""},
        {"-pp=0", Pp(0), ""},
        {"-pp=\t\v4", Pp(4), ""},
        // "0x" without a hexadecimal digit reads as 0 followed by junk.
        {"-pp=0x", Pp(0), ""},
        {"-pp=0xg", Pp(0), ""},
        // 32-bit arithmetic that wraps modulo 2^32.
        {"-pp=4294967298", Pp(2), ""},
        {"-pp=0x100000005", Pp(5), ""},
        {"-pp=2147483647", Pp(INT32_MAX), ""},
        {"-pp=2147483648", Pp(INT32_MIN), ""},
        {"-pp=-2147483648", Pp(INT32_MIN), ""},
        {"-pp=-2147483649", Pp(INT32_MAX), ""},
        {"-pp=0xffffffff", Pp(-1), ""},
        {"-pp=-4294967295", Pp(1), ""},
        // Values that do not convert: recognised, not reported, entry unchanged.
        {"-pp=abc", NONE, ""},
        {"-pp=", NONE, ""},
        {"-pp=-", NONE, ""},
        {"-pp=+", NONE, ""},
        {"-pp=\"3\"", NONE, ""},
        {"-pp= 2", NONE, ""},
        {"-pp=- 5", NONE, ""},
        // A number option without "=": recognised, the entry stays as it was.
        {"-pp", NONE, ""},
        {"-pp=4 -pp", Pp(4), ""},
        // Repeats: the last value that converts is kept; set never returns to 0.
        {"-pp=1 -pp=3", Pp(3), ""},
        {"-pp=1 -pp=x", Pp(1), ""},
        {"/pt=6 -pp=3 -pt=2", {0, 0, 1, 3, 1, 2}, ""},
        // Unrecognised options: separated by single blanks, none at the end.
        {"-xy /q", NONE, "-xy /q"},
        {"  -xy    /q   ", NONE, "-xy /q"},
        {"-", NONE, "-"},
        {"-rc -", RC, "-"},
        {"- -xy", NONE, "- -xy"},
        {"-xy -rc /q -pp=2", {1, 0, 1, 2, 0, 0}, "-xy /q"},
        // Tokens without prefix are dropped, whole quoted options too.
        {"rc", NONE, ""},
        {"\"-rc\"", NONE, ""},
        {"rc -rd junk", {0, 1, 0, 0, 0, 0}, ""},
        // Only blanks separate tokens: a tab is part of the token.
        {"-rc\t-rd", NONE, "-rc\t-rd"},
        // Quotes stay in the token, blanks inside them too.
        {"-x=\"a b\"", NONE, "-x=\"a b\""},
        {"-\"rc\"", NONE, "-\"rc\""},
        {"-x=\"a b\" -rc", RC, "-x=\"a b\""},
        // A closing quote ends the token; 'd' is a token without prefix.
        {"-a\"b c\"d", NONE, "-a\"b c\""},
        {"-a\"b c\"-rc", RC, "-a\"b c\""},
        // An unclosed quote runs to the end of the tail, its blanks reported with it.
        {"-x=\"a -rc ", NONE, "-x=\"a -rc "},
    };
    for (const ParseCase& c : cases) {
        std::string context = c.tail != nullptr ? std::string("tail '") + c.tail + "'" : "null";
        EXPECT_EQ(Parse(c.tail), c.unrecognised) << context;
        ExpectTable(c.expected, context);
    }
}

TEST(ParseCommandLine, EmptiesTheTextFirst) {
    ResetOptionTable();
    char text[OPTION_TEXT_SIZE] = "stale text";
    ParseCommandLine("-rc", text);
    EXPECT_STREQ(text, "");
    ParseCommandLine(nullptr, text);
    EXPECT_STREQ(text, "");
}

// A token of more than 127 characters is cut in the token buffer, but the parser steps
// past all of it: the "/rd" behind the cut point must not be read as an option.
TEST(ParseCommandLine, LongTokenIsCutButSteppedOverWhole) {
    std::string number = "pp=5" + std::string(123, 'z');
    ASSERT_EQ(number.size(), size_t(OPTION_TOKEN_SIZE - 1));
    number += "/rd" + std::string(170, 'z');
    ASSERT_EQ(number.size(), 300u);
    std::string tail = "-" + number + " -rc";
    EXPECT_EQ(Parse(tail.c_str()), "");
    ExpectTable({1, 0, 1, 5, 0, 0}, "recognised 300-character token");

    // An unrecognised one cannot fit the text whole, so it and all after it are left out.
    tail = "-" + std::string(300, 'x') + " -rd /q";
    EXPECT_EQ(Parse(tail.c_str()), "");
    ExpectTable({0, 1, 0, 0, 0, 0}, "unrecognised 300-character token");

    // A long quoted token with blanks in it is stepped over too.
    tail = "rc \"" + std::string(150, ' ') + "-rd\" -rc";
    EXPECT_EQ(Parse(tail.c_str()), "");
    ExpectTable(RC, "long quoted token");
}

std::string Option(int i) {
    char name[8];
    snprintf(name, sizeof(name), "-o%02d", i);
    return name;
}

// Unrecognised options go in whole while they fit the 128 bytes; the first that does not
// fit and every one after it are left out.
TEST(ParseCommandLine, UnrecognisedOptionsThatDoNotFitAreLeftOut) {
    std::string tail;
    std::string expected;
    bool full = false;
    for (int i = 1; i <= 40; ++i) {
        tail += Option(i) + " ";
        std::string joined = expected.empty() ? Option(i) : expected + " " + Option(i);
        full = full || joined.size() > size_t(OPTION_TEXT_SIZE - 1);
        if (!full) {
            expected = joined;
        }
    }
    tail += "-rc";
    std::string text = Parse(tail.c_str());
    EXPECT_EQ(text, expected);
    // 25 options of four characters take 124 bytes with their separators; a 26th does not fit.
    EXPECT_NE(text.find(Option(25)), std::string::npos);
    EXPECT_EQ(text.find(Option(26)), std::string::npos);
    EXPECT_NE(text.back(), ' ');
    ExpectTable(RC, "options after the overflow are still applied");

    // After one that does not fit, a shorter one that would fit is left out as well.
    tail.clear();
    expected.clear();
    for (int i = 1; i <= 24; ++i) {
        tail += Option(i) + " ";
        expected += (i > 1 ? " " : "") + Option(i);
    }
    ASSERT_EQ(expected.size(), 119u);
    EXPECT_EQ(Parse((tail + "-longer12 -q").c_str()), expected);

    // One that fits to the last byte is kept, and the text stays terminated.
    std::string last = "-" + std::string(OPTION_TEXT_SIZE - 1 - expected.size() - 2, 'k');
    EXPECT_EQ(Parse((tail + last).c_str()), expected + " " + last);
    EXPECT_EQ((expected + " " + last).size(), size_t(OPTION_TEXT_SIZE - 1));
}

TEST(ParseCommandLine, CommandTailOfAProcessCommandLine) {
    EXPECT_EQ(Parse(CommandTail("\"C:\\Program Files\\q.exe\" -pp=2 -zz")), "-zz");
    ExpectTable(Pp(2), "parsed tail");
}

// A small table with the kinds that the program's own table does not use.
struct SmallTable {
    char name[8];
    char none[4];
    char first[4];
    char second[6];
    OptionEntry entries[8];
};

void MakeSmallTable(SmallTable* t) {
    memset(t->name, 'X', sizeof(t->name));
    memset(t->none, 'X', sizeof(t->none));
    memset(t->first, 'X', sizeof(t->first));
    memset(t->second, 'X', sizeof(t->second));
    const OptionEntry entries[8] = {
        {"name", OPT_STRING, t->name, int32_t(sizeof(t->name)), 0, "a name"},
        {"none", OPT_STRING, t->none, 0, 0, "no room"},
        {"d", OPT_FLAG, nullptr, 0, 0, "first d"},
        {"d", OPT_NUMBER, nullptr, 0, 0, "second d"},
        {"p", OPT_POSITIONAL, nullptr, 4, 0, "no target"},
        {"p", OPT_POSITIONAL, t->first, int32_t(sizeof(t->first)), 0, "first"},
        {nullptr, OPT_POSITIONAL, t->second, int32_t(sizeof(t->second)), 0, "second"},
        {"n", OPT_NUMBER, nullptr, 0, 0, "a number"},
    };
    memcpy(t->entries, entries, sizeof(entries));
}

const uint32_t SMALL_COUNT = 8;
enum { S_NAME, S_NONE, S_FLAG_D, S_NUMBER_D, S_NO_TARGET, S_FIRST, S_SECOND, S_N };

struct SmallCase {
    const char* tail;
    int32_t nameSet;
    const char* name; // expected text of the string entry when set
    int32_t firstSet;
    const char* first;
    int32_t secondSet;
    const char* second;
    const char* unrecognised;
};

TEST(ParseOptions, StringAndPositionalEntries) {
    const SmallCase cases[] = {
        {"-name=abc", 1, "abc", 0, "", 0, "", ""},
        {"/name=abc", 1, "abc", 0, "", 0, "", ""},
        // At most capacity - 1 characters are stored.
        {"-name=abcdefg", 1, "abcdefg", 0, "", 0, "", ""},
        {"-name=abcdefghij", 1, "abcdefg", 0, "", 0, "", ""},
        {"-name=", 1, "", 0, "", 0, "", ""},
        {"-name=\"a b\"", 1, "\"a b\"", 0, "", 0, "", ""},
        {"-name=a=b", 1, "a=b", 0, "", 0, "", ""},
        {"-name=a -name=b", 1, "b", 0, "", 0, "", ""},
        // A string option without "=": recognised, the entry stays as it was.
        {"-name", 0, "", 0, "", 0, "", ""},
        // Positional tokens fill the free positional entries with a target, in order.
        {"one", 0, "", 1, "one", 0, "", ""},
        {"one two", 0, "", 1, "one", 1, "two", ""},
        {"one two three", 0, "", 1, "one", 1, "two", ""},
        {"-name=x one", 1, "x", 1, "one", 0, "", ""},
        // A positional token of capacity or more characters: capacity - 1 of them.
        {"abc", 0, "", 1, "abc", 0, "", ""},
        {"abcd", 0, "", 1, "abc", 0, "", ""},
        {"abcdefgh 123456789", 0, "", 1, "abc", 1, "12345", ""},
        {"a\"b c\"d", 0, "", 1, "a\"b", 1, "d", ""},
        // Positional entries are never matched by name.
        {"-p", 0, "", 0, "", 0, "", "-p"},
        {"-p=x", 0, "", 0, "", 0, "", "-p=x"},
        // A string entry of capacity 0: recognised, nothing stored.
        {"-none=abc", 0, "", 0, "", 0, "", ""},
    };
    for (const SmallCase& c : cases) {
        SCOPED_TRACE(std::string("tail '") + c.tail + "'");
        SmallTable t;
        MakeSmallTable(&t);
        char text[OPTION_TEXT_SIZE];
        ParseOptions(t.entries, SMALL_COUNT, c.tail, text);
        EXPECT_STREQ(text, c.unrecognised);
        EXPECT_EQ(t.entries[S_NAME].set, c.nameSet);
        if (c.nameSet) {
            EXPECT_STREQ(t.name, c.name);
        } else {
            EXPECT_EQ(t.name[0], 'X');
        }
        EXPECT_EQ(t.entries[S_NONE].set, 0);
        EXPECT_EQ(t.none[0], 'X');
        EXPECT_EQ(t.entries[S_NO_TARGET].set, 0);
        EXPECT_EQ(t.entries[S_FIRST].set, c.firstSet);
        if (c.firstSet) {
            EXPECT_STREQ(t.first, c.first);
        }
        EXPECT_EQ(t.entries[S_SECOND].set, c.secondSet);
        if (c.secondSet) {
            EXPECT_STREQ(t.second, c.second);
        }
    }
}

// Positional values are copied as strncpy copies: a short token is followed by zero bytes
// up to the capacity.
TEST(ParseOptions, ShortPositionalTokenIsZeroFilled) {
    SmallTable t;
    MakeSmallTable(&t);
    char text[OPTION_TEXT_SIZE];
    ParseOptions(t.entries, SMALL_COUNT, "a", text);
    EXPECT_EQ(memcmp(t.first, "a\0\0\0", 4), 0);
}

// The first entry of the name in table order takes the option.
TEST(ParseOptions, FirstEntryOfANameIsTaken) {
    SmallTable t;
    MakeSmallTable(&t);
    char text[OPTION_TEXT_SIZE];
    ParseOptions(t.entries, SMALL_COUNT, "-d=5 -n=0x7", text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(t.entries[S_FLAG_D].set, 1);
    EXPECT_EQ(t.entries[S_NUMBER_D].set, 0);
    EXPECT_EQ(t.entries[S_NUMBER_D].value, 0);
    EXPECT_EQ(t.entries[S_N].set, 1);
    EXPECT_EQ(t.entries[S_N].value, 7);
}

struct SplitCase {
    const char* source;
    const char* token;
    bool result;
};

TEST(SplitToken, Tokens) {
    const SplitCase cases[] = {
        {"abc def", "abc", true},
        {"abc", "abc", true},
        {"", "", false},
        {" abc", "", false},
        {"a\tb c", "a\tb", true},
        {"x=\"a b\" c", "x=\"a b\"", true},
        {"a\"b c\"d", "a\"b c\"", true},
        {"\"\"x", "\"\"", true},
        {"\"open  quote ", "\"open  quote ", true},
    };
    for (const SplitCase& c : cases) {
        char token[OPTION_TOKEN_SIZE];
        memset(token, '#', sizeof(token));
        EXPECT_EQ(SplitToken(c.source, token), c.result) << c.source;
        EXPECT_STREQ(token, c.token) << c.source;
    }
}

TEST(SplitToken, LongTokenIsCutTo127Characters) {
    std::string source = std::string(300, 'a') + " b";
    for (size_t i = 0; i < 300; ++i) {
        source[i] = char('a' + i % 26);
    }
    char token[OPTION_TOKEN_SIZE + 16];
    memset(token, '#', sizeof(token));
    EXPECT_TRUE(SplitToken(source.c_str(), token));
    EXPECT_EQ(std::string(token), source.substr(0, OPTION_TOKEN_SIZE - 1));
    for (size_t i = OPTION_TOKEN_SIZE; i < sizeof(token); ++i) {
        EXPECT_EQ(token[i], '#') << "written past the token at " << i;
    }
}

TEST(FormatOptionHelp, LinesOfTheOptionTable) {
    const char* lines[] = {
        "-rc: clear registry entries for this program\r\r\n",
        "-rd: disable use of the registry for this program\r\r\n",
        "-pp=n: set process priority for dialog\r\r\n"
        "       (0:idle, 1:normal, 2:high, 3:realtime)\r\r\n",
        "-pt=n: set priority for processing thread\r\r\n"
        "       (0:idle, 1:lowest, 2:below normal, 3:normal,\r\r\n"
        "        4:above normal, 5:highest, 6:time critical)\r\r\n",
    };
    ASSERT_EQ(OptionCount, 4u);
    for (uint32_t i = 0; i < OptionCount; ++i) {
        char buffer[HELP_LINE_SIZE];
        EXPECT_EQ(FormatOptionHelp(i, buffer), buffer);
        EXPECT_STREQ(buffer, lines[i]) << "entry " << i;
    }
    char buffer[HELP_LINE_SIZE];
    EXPECT_EQ(strlen(FormatOptionHelp(OPTION_PT, buffer)), 152u);
}

TEST(OptionTable, NamesKindsAndTargets) {
    const char* names[] = {"rc", "rd", "pp", "pt"};
    const OptionKind kinds[] = {OPT_FLAG, OPT_FLAG, OPT_NUMBER, OPT_NUMBER};
    for (uint32_t i = 0; i < OptionCount; ++i) {
        EXPECT_STREQ(OptionTable[i].name, names[i]);
        EXPECT_EQ(OptionTable[i].kind, kinds[i]);
        EXPECT_EQ(OptionTable[i].target, nullptr);
    }
}

TEST(FormatOptionHelp, EveryKind) {
    const OptionEntry table[] = {
        {"name", OPT_STRING, nullptr, 0, 0, "text"},
        {"a", OPT_POSITIONAL, nullptr, 0, 0, "first"},
        {"b", OPT_POSITIONAL, nullptr, 0, 0, "second"},
        {"odd", OptionKind(7), nullptr, 0, 0, "unknown"},
    };
    const char* lines[] = {
        "-name=\"string\": text\r\r\n",
        "pos1: first\r\r\n",
        "pos1: second\r\r\n",
        ": unknown\r\r\n",
    };
    for (uint32_t i = 0; i < 4; ++i) {
        char buffer[HELP_LINE_SIZE];
        EXPECT_STREQ(FormatOptionHelpOf(table, 4, i, buffer, sizeof(buffer)), lines[i]);
    }
}

TEST(FormatOptionHelp, BoundedByTheBuffer) {
    char buffer[32];
    memset(buffer, '#', sizeof(buffer));
    FormatOptionHelpOf(OptionTable, OptionCount, OPTION_PT, buffer, 10);
    EXPECT_STREQ(buffer, "-pt=n: se");
    EXPECT_EQ(buffer[10], '#');

    FormatOptionHelpOf(OptionTable, OptionCount, OptionCount, buffer, sizeof(buffer));
    EXPECT_STREQ(buffer, "");
}

struct TailCase {
    const char* commandLine;
    const char* tail;
};

TEST(CommandTail, ProgramNameRules) {
    const TailCase cases[] = {
        {"\"C:\\Program Files\\Quorvel\\quorvel.exe\" -rc -pp=2", "-rc -pp=2"},
        {"quorvel.exe -rc -rd", "-rc -rd"},
        {"quorvel.exe\t\t-rc", "-rc"},
        {"quorvel.exe \t\r\n\v\f -rc", "-rc"},
        {"quorvel.exe\t-rc\t-rd", "-rc\t-rd"},
        {"quorvel.exe", ""},
        {"quorvel.exe   ", ""},
        {"\"C:\\a b\\quorvel.exe\"", ""},
        {"\"C:\\a b\\quorvel.exe\"-rc", "-rc"},
        // An unclosed quote makes the whole line the name.
        {"\"C:\\a b\\quorvel.exe -rc", ""},
        // Trailing blanks and quotes of the tail are kept.
        {"quorvel.exe -rc   ", "-rc   "},
        {"quorvel.exe -x=\"a b\"  \"c\"", "-x=\"a b\"  \"c\""},
        {"", ""},
        // An empty unquoted name ends at once.
        {"  -rc", "-rc"},
    };
    for (const TailCase& c : cases) {
        const char* tail = CommandTail(c.commandLine);
        EXPECT_STREQ(tail, c.tail) << c.commandLine;
        EXPECT_EQ(tail, c.commandLine + strlen(c.commandLine) - strlen(c.tail)) << c.commandLine;
    }
    EXPECT_STREQ(CommandTail(nullptr), "");
}

} // namespace
