// Range variables, template expansion and whole generation runs.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string.h>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "generate/generation.h"
#include "generate/output_file.h"
#include "generate/range.h"

namespace fs = std::filesystem;

namespace {

RangeVariable Var(uint32_t current, uint32_t digits) {
    RangeVariable v{};
    v.current = current;
    v.digits = digits;
    return v;
}

std::string Expand(const char* tmpl, uint32_t a, uint32_t ad, uint32_t b = 0, uint32_t bd = 0,
                   uint32_t c = 0, uint32_t cd = 0) {
    RangeVariable vars[3] = {Var(a, ad), Var(b, bd), Var(c, cd)};
    char out[LINE_SIZE];
    size_t end = ExpandTemplate(out, tmpl, vars);
    EXPECT_EQ(end, strlen(out));
    return out;
}

TEST(FormatVariableText, PadsToDigitsAndKeepsWiderValuesWhole) {
    struct Case {
        uint32_t value, digits;
        const char* text;
    } cases[] = {
        {2, 1, "2"},
        {7, 3, "007"},
        {10, 3, "010"},
        {0, 0, ""},
        {123, 2, "123"},
        {0, 5, "00000"},
        {4294967295u, 10, "4294967295"},
        {42, 15, "000000000000042"},
    };
    for (const Case& c : cases) {
        RangeVariable v = Var(c.value, c.digits);
        FormatVariableText(v);
        EXPECT_STREQ(v.text, c.text) << c.value << " with " << c.digits << " digits";
    }
}

TEST(ExpandTemplate, FollowsTheTemplateSyntax) {
    EXPECT_EQ(Expand("pics/img&A.jpg", 2, 1), "pics/img2.jpg");
    EXPECT_EQ(Expand("x&A", 7, 3), "x007");
    EXPECT_EQ(Expand("&&A", 5, 1), "&A");      // a literal ampersand, then the letter
    EXPECT_EQ(Expand("&a-&A", 5, 2), "05-05"); // lower case names the same variable
    EXPECT_EQ(Expand("1&x2&13", 5, 1), "123"); // unknown pairs vanish entirely
    EXPECT_EQ(Expand("abc&", 5, 1), "abc");    // a trailing '&' vanishes
    EXPECT_EQ(Expand("no variables", 5, 3, 6, 2, 7, 1), "no variables");
    EXPECT_EQ(Expand("a&Ab&Bc&Cd", 0, 0), "abcd"); // switched-off variables vanish
    EXPECT_EQ(Expand("&AB", 9, 1), "9B");          // only the letter after '&' counts
    EXPECT_EQ(Expand("&A&B&C", 1, 1, 22, 2, 333, 3), "122333");
    EXPECT_EQ(Expand("&A", 123, 2), "12"); // a value wider than its digits is cut
    EXPECT_EQ(Expand("", 1, 1), "");
}

TEST(ExpandTemplate, NeverWritesPastTheLineBuffer) {
    std::string tmpl;
    for (int i = 0; i < 128; i++)
        tmpl += "&A";
    struct {
        char out[LINE_SIZE];
        char guard[16];
    } buf;
    memset(buf.guard, 0x5A, sizeof buf.guard);
    RangeVariable vars[3] = {Var(1, 15), Var(0, 0), Var(0, 0)};
    size_t end = ExpandTemplate(buf.out, tmpl.c_str(), vars);
    EXPECT_EQ(end, (size_t)MAX_LINE);
    EXPECT_EQ(strlen(buf.out), (size_t)MAX_LINE);
    for (char g : buf.guard)
        EXPECT_EQ(g, 0x5A);
    EXPECT_EQ(ExpandedLength(tmpl.c_str(), vars), 128u * 15u);
}

TEST(ExpandTemplate, ExpandedLengthMatchesExpansionForRandomTemplates) {
    std::mt19937 rng(12345);
    const char alphabet[] = "&&&AaBbCcxX/.1 ";
    for (int round = 0; round < 2000; round++) {
        std::string tmpl;
        int n = rng() % 40;
        for (int i = 0; i < n; i++)
            tmpl += alphabet[rng() % (sizeof alphabet - 1)];
        RangeVariable vars[3] = {Var(rng() % 1000, 3), Var(rng() % 10, 1), Var(0, 0)};
        char out[LINE_SIZE];
        ExpandTemplate(out, tmpl.c_str(), vars);
        EXPECT_EQ(ExpandedLength(tmpl.c_str(), vars), strlen(out)) << tmpl;
    }
}

TEST(ReadNumber, ReadsUnsignedDecimalsAndRefusesTheRest) {
    struct Case {
        const char* text;
        bool ok;
        uint32_t value;
    } cases[] = {
        {"5", true, 5},
        {" 5", true, 5},
        {"\t\n\v\f\r 12", true, 12},
        {"+7", true, 7},
        {"3x", true, 3},
        {"007", true, 7},
        {"-0", true, 0},
        {"4294967295", true, 4294967295u},
        {"0000000000004294967295", true, 4294967295u},
        {"x3", false, 0},
        {"", false, 0},
        {"   ", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {"+-1", false, 0},
        {"- 1", false, 0},
        {"-1", false, 0}, // negative: refused instead of wrapping
        {"-00001", false, 0},
        {"4294967296", false, 0}, // does not fit in 32 bits
        {"99999999999", false, 0},
        {"18446744073709551617", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t value = 12345;
        EXPECT_EQ(ReadNumber(c.text, &value), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(value, c.value) << "'" << c.text << "'";
        }
    }
}

TEST(FormatTempPath, NamesATemporaryFileInTheListsFolder) {
    struct Case {
        const char* path;
        const char* temp;
    } cases[] = {
        {"list.grx", "~qv0000002a.tmp"},
        {"dir/sub/list.grx", "dir/sub/~qv0000002a.tmp"},
        {"/list.grx", "/~qv0000002a.tmp"},
#ifdef _WIN32
        {"C:\\dl\\list.grx", "C:\\dl\\~qv0000002a.tmp"},
        {"C:list.grx", "C:~qv0000002a.tmp"},
        {"C:\\dl/x\\list.grx", "C:\\dl/x\\~qv0000002a.tmp"},
#endif
    };
    for (const Case& c : cases) {
        char out[TEMP_PATH_SIZE];
        ASSERT_TRUE(FormatTempPath(out, sizeof out, c.path, 42));
        EXPECT_STREQ(out, c.temp);
    }
    char small[16];
    EXPECT_FALSE(FormatTempPath(small, sizeof small, "dir/list.grx", 42));
    EXPECT_STREQ(small, "");
}

// A fresh folder per test, removed afterwards.
class RunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int counter;
        dir_ = fs::temp_directory_path() /
               ("quorvel-test-" + std::to_string(Pid()) + "-" + std::to_string(counter++));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        settings_ = Settings{};
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static long Pid() {
#ifdef _WIN32
        return (long)GetCurrentProcessId();
#else
        return (long)getpid();
#endif
    }
    void SetTemplates(const char* url, const char* destination, const std::string& file) {
        snprintf(settings_.URL, sizeof settings_.URL, "%s", url);
        snprintf(settings_.DownloadDestination, sizeof settings_.DownloadDestination, "%s",
                 destination);
        snprintf(settings_.Filename, sizeof settings_.Filename, "%s", file.c_str());
    }
    std::string Path(const char* name) const {
        return (dir_ / name).string();
    }
    RunOutcome Run(VariableSwitch a, VariableSwitch b = {}, VariableSwitch c = {},
                   const std::atomic<bool>* cancel = nullptr) {
        VariableSwitch sw[3] = {a, b, c};
        return RunGeneration(settings_, sw, cancel, result_, &entries_);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        return names;
    }
    static std::string ErrorText(uint32_t error) {
        char text[RESULT_TEXT_SIZE];
        SystemErrorText(error, text, sizeof text);
        return text;
    }

    fs::path dir_;
    Settings settings_;
    char result_[RESULT_TEXT_SIZE] = "";
    uint64_t entries_ = 0;
};

const VariableSwitch kOff = {false, "", ""};

TEST_F(RunTest, WritesTheRoadExampleByteForByte) {
    std::string out = Path("list.grx");
    SetTemplates("pics/img&A.jpg", "C:\\dl\\img&A.jpg", out);
    ASSERT_EQ(Run({true, "01", "03"}), RUN_CREATED);
    EXPECT_STREQ(result_, "Output file has been successfully created");
    EXPECT_EQ(Read(out), "URL: pics/img01.jpg\r\nFile: C:\\dl\\img01.jpg\r\n"
                         "URL: pics/img02.jpg\r\nFile: C:\\dl\\img02.jpg\r\n"
                         "URL: pics/img03.jpg\r\nFile: C:\\dl\\img03.jpg\r\n");
    EXPECT_EQ(entries_, 3u);
    EXPECT_EQ(Files(), std::vector<std::string>{"list.grx"}); // no temporary file left
}

TEST_F(RunTest, NestsAOutermostAndCInnermost) {
    std::string out = Path("six.grx");
    SetTemplates("site/a&A/b&B.jpg", "D:\\dl\\a&A_b&B.jpg", out);
    ASSERT_EQ(Run({true, "1", "2"}, {true, "08", "10"}), RUN_CREATED);
    std::string expected;
    for (const char* a : {"1", "2"})
        for (const char* b : {"08", "09", "10"})
            expected += std::string("URL: site/a") + a + "/b" + b + ".jpg\r\nFile: D:\\dl\\a" + a +
                        "_b" + b + ".jpg\r\n";
    EXPECT_EQ(Read(out), expected);

    SetTemplates("&A&B&C", "&C", out);
    ASSERT_EQ(Run({true, "0", "9"}, kOff, {true, "1", "3"}), RUN_CREATED);
    EXPECT_EQ(entries_, 30u);
    std::string text = Read(out);
    EXPECT_EQ(text.substr(0, 54),
              "URL: 01\r\nFile: 1\r\nURL: 02\r\nFile: 2\r\nURL: 03\r\nFile: 3\r\n");
    EXPECT_NE(text.find("URL: 93\r\nFile: 3\r\n"), std::string::npos);
    EXPECT_EQ(text.rfind("URL: 93\r\nFile: 3\r\n"), text.size() - 18);
}

TEST_F(RunTest, AllVariablesOffGiveOneEntryAndIgnoreTheirTexts) {
    std::string out = Path("one.grx");
    SetTemplates("u&A&B&C&&", "d&a&b&c", out);
    ASSERT_EQ(Run({false, "x", "yy"}, {false, "9", "1"}, {false, "", "-5"}), RUN_CREATED);
    EXPECT_EQ(Read(out), "URL: u&\r\nFile: d\r\n");
}

TEST_F(RunTest, RendersTheTypedWidth) {
    struct Case {
        const char *start, *end, *first, *last;
        uint64_t entries;
    } cases[] = {
        {" 5", "10", "05", "10", 6},
        {"3x", "5y", "03", "05", 3},
        {"+7", "12", "07", "12", 6},
        {"007", "010", "007", "010", 4},
        {"4294967294", "4294967295", "4294967294", "4294967295", 2}, // ends without wrapping
    };
    std::string out = Path("w.grx");
    for (const Case& c : cases) {
        SetTemplates("&A", "x", out);
        ASSERT_EQ(Run({true, c.start, c.end}), RUN_CREATED) << c.start;
        EXPECT_EQ(entries_, c.entries) << c.start;
        std::string text = Read(out);
        EXPECT_EQ(text.substr(0, 5 + strlen(c.first)), std::string("URL: ") + c.first);
        EXPECT_NE(text.find(std::string("URL: ") + c.last + "\r\nFile: x\r\n"), std::string::npos);
    }
}

TEST_F(RunTest, RefusesBadRangesWithoutTouchingTheFile) {
    struct Case {
        VariableSwitch a, b;
        RunOutcome outcome;
        const char* text;
    } cases[] = {
        {{true, "", ""}, kOff, RUN_INVALID_NUMBER, "Invalid number"},
        {{true, "5", "4"}, kOff, RUN_INVALID_NUMBER, "Invalid number"},
        {{true, "x3", "55"}, kOff, RUN_INVALID_NUMBER, "Invalid number"},
        {{true, "1", " "}, kOff, RUN_INVALID_NUMBER, "Invalid number"},
        {{true, "00", "-1"}, kOff, RUN_INVALID_NUMBER, "Invalid number"},
        {{true, "-1", "00"}, kOff, RUN_INVALID_NUMBER, "Invalid number"},
        {{true, "00000000000", "99999999999"}, kOff, RUN_INVALID_NUMBER, "Invalid number"},
        {{true, "0000000000000001", "0000000000000002"},
         kOff,
         RUN_INVALID_NUMBER,
         "Invalid number"}, // 16 characters: wider than a value can render
        {{true, "05", "5"},
         kOff,
         RUN_DIGITS_DIFFER,
         "Number of digits for start and end must be equal"},
        {{true, "1", "2"},
         {true, "9", "10"},
         RUN_DIGITS_DIFFER,
         "Number of digits for start and end must be equal"},
        // Both kinds at once: the digits message wins.
        {{true, "9", "8"},
         {true, "05", "5"},
         RUN_DIGITS_DIFFER,
         "Number of digits for start and end must be equal"},
        {{true, "", "5"},
         kOff,
         RUN_DIGITS_DIFFER,
         "Number of digits for start and end must be equal"},
        {{true, "x", "10"},
         kOff,
         RUN_DIGITS_DIFFER,
         "Number of digits for start and end must be equal"},
    };
    std::string out = Path("keep.grx");
    Write(out, "previous list\r\n");
    SetTemplates("&A&B", "&A", out);
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.a, c.b), c.outcome) << c.a.startText << ".." << c.a.endText;
        EXPECT_STREQ(result_, c.text);
        EXPECT_EQ(Read(out), "previous list\r\n");
    }
    EXPECT_EQ(Files(), std::vector<std::string>{"keep.grx"});
}

TEST_F(RunTest, RefusesLinesLongerThan256Characters) {
    std::string out = Path("long.grx");
    Write(out, "old");
    std::string url(246, 'u');
    SetTemplates((url + "&A").c_str(), "x", out); // 246 + 10 digits = 256: fits
    EXPECT_EQ(Run({true, "0000000001", "0000000002"}), RUN_CREATED);
    EXPECT_EQ(Read(out).substr(5, 256), url + "0000000001");

    Write(out, "old");
    SetTemplates((url + "&A").c_str(), "x", out); // 246 + 11 digits: one too many
    EXPECT_EQ(Run({true, "00000000001", "00000000002"}), RUN_LINE_TOO_LONG);
    EXPECT_STREQ(result_, "Expanded line is longer than 256 characters");
    SetTemplates("x", (url + "&b").c_str(), out);
    EXPECT_EQ(Run(kOff, {true, "00000000001", "00000000002"}), RUN_LINE_TOO_LONG);
    EXPECT_EQ(Read(out), "old");
}

TEST_F(RunTest, ReplacesAnExistingListInsteadOfAppending) {
    std::string out = Path("again.grx");
    Write(out, std::string(10000, 'z'));
    SetTemplates("u", "f", out);
    ASSERT_EQ(Run(kOff), RUN_CREATED);
    EXPECT_EQ(Read(out), "URL: u\r\nFile: f\r\n");
}

TEST_F(RunTest, ReportsTheSystemTextForAMissingFolder) {
    std::string out = Path("no-such-folder/list.grx");
    SetTemplates("u", "f", out);
    EXPECT_EQ(Run(kOff), RUN_FILE_ERROR);
    EXPECT_EQ(result_, ErrorText(PathNotFoundError()));
    EXPECT_NE(result_[0], '\0');
    EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
    EXPECT_TRUE(Files().empty());
}

TEST_F(RunTest, AnEmptyOutputPathIsAnError) {
    SetTemplates("u", "f", "");
    EXPECT_EQ(Run(kOff), RUN_FILE_ERROR);
    EXPECT_EQ(result_, ErrorText(PathNotFoundError()));
}

TEST_F(RunTest, ACancelledRunLeavesTheChosenFileAndNoTemporary) {
    std::string out = Path("cancel.grx");
    Write(out, "before");
    SetTemplates("&A", "&A", out);
    std::atomic<bool> cancel{true};
    EXPECT_EQ(Run({true, "0000", "9999"}, kOff, kOff, &cancel), RUN_CANCELLED);
    EXPECT_STREQ(result_, "aborted!");
    EXPECT_EQ(Read(out), "before");
    EXPECT_EQ(Files(), std::vector<std::string>{"cancel.grx"});
}

// The run writes lines from a prepared image of each entry; whatever the
// templates, its list must equal ExpandTemplate applied to every combination.
TEST_F(RunTest, ListEqualsExpandTemplateForEveryCombination) {
    std::mt19937 rng(2024);
    const char alphabet[] = "&&&&AaBbCcx/.9 -";
    std::string out = Path("random.grx");
    for (int round = 0; round < 200; round++) {
        std::string tmpl[2];
        for (std::string& t : tmpl)
            for (int i = 0, n = rng() % 30; i < n; i++)
                t += alphabet[rng() % (sizeof alphabet - 1)];
        std::string texts[3][2];
        VariableSwitch sw[3];
        RangeVariable vars[3] = {};
        for (int v = 0; v < 3; v++) {
            uint32_t digits = 1 + rng() % 3, start = rng() % 20, count = 1 + rng() % 3;
            char buf[16];
            snprintf(buf, sizeof buf, "%0*u", (int)digits, start);
            texts[v][0] = buf;
            snprintf(buf, sizeof buf, "%0*u", (int)digits, start + count - 1);
            texts[v][1] = buf;
            sw[v] = {rng() % 3 != 0, texts[v][0].c_str(), texts[v][1].c_str()};
        }
        SetTemplates(tmpl[0].c_str(), tmpl[1].c_str(), out);
        if (Run(sw[0], sw[1], sw[2]) != RUN_CREATED) {
            EXPECT_STREQ(result_, "Number of digits for start and end must be equal");
            continue; // start + count - 1 grew a digit
        }
        ASSERT_EQ(PrepareVariables(sw, vars), RUN_CREATED);
        std::string expected;
        char line[LINE_SIZE];
        for (uint32_t a = vars[0].start; a <= vars[0].end; a++)
            for (uint32_t b = vars[1].start; b <= vars[1].end; b++)
                for (uint32_t c = vars[2].start; c <= vars[2].end; c++) {
                    vars[0].current = a;
                    vars[1].current = b;
                    vars[2].current = c;
                    ExpandTemplate(line, tmpl[0].c_str(), vars);
                    expected += std::string("URL: ") + line + "\r\n";
                    ExpandTemplate(line, tmpl[1].c_str(), vars);
                    expected += std::string("File: ") + line + "\r\n";
                }
        ASSERT_EQ(Read(out), expected) << "'" << tmpl[0] << "' '" << tmpl[1] << "'";
    }
}

#ifndef _WIN32
TEST_F(RunTest, AFullDeviceGivesTheSystemText) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    SetTemplates("&A", "&A", "/dev/full");
    EXPECT_EQ(Run({true, "00000", "99999"}), RUN_FILE_ERROR);
    EXPECT_STREQ(result_, strerror(ENOSPC));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

// A write that fails in the middle of a large list (here: the file size limit,
// in a child process) leaves the previous list byte for byte and no temporary.
TEST_F(RunTest, AWriteFailureKeepsThePreviousList) {
    std::string out = Path("intact.grx");
    std::string previous = "URL: old\r\nFile: old\r\n";
    Write(out, previous);
    SetTemplates("http://example.org/&A", "C:\\x\\&A", out);
    fflush(nullptr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {100000, 100000};
        setrlimit(RLIMIT_FSIZE, &limit);
        RunOutcome outcome = Run({true, "00000", "99999"});
        bool textOk = strcmp(result_, strerror(EFBIG)) == 0;
        _exit(outcome == RUN_FILE_ERROR && textOk ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Read(out), previous);
    EXPECT_EQ(Files(), std::vector<std::string>{"intact.grx"});
}
#else
// A list that another program holds open without sharing cannot be replaced:
// the run reports the system's text and the old bytes stay.
TEST_F(RunTest, ALockedListIsReportedAndKept) {
    std::string out = Path("locked.grx");
    Write(out, "locked bytes");
    HANDLE lock = CreateFileA(out.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    SetTemplates("u", "f", out);
    EXPECT_EQ(Run(kOff), RUN_FILE_ERROR);
    EXPECT_NE(std::string(result_), "Output file has been successfully created");
    EXPECT_NE(result_[0], '\0');
    CloseHandle(lock);
    EXPECT_EQ(Read(out), "locked bytes");
    EXPECT_EQ(Files(), std::vector<std::string>{"locked.grx"});
}
#endif

} // namespace
