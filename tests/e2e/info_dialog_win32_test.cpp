// End-to-end tests of the program information dialog opened by Info.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "e2e/driver_win32.h"
#include "e2e/fixture_win32.h"
#include "resources/resource.h"

namespace e2e {
namespace {

const char kInfoCaption[] = "Quorvel - Program Information";

// The text box's lines, whatever carriage returns stand before each line feed.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n')
            lines.emplace_back();
        else if (c != '\r')
            lines.back() += c;
    }
    return lines;
}

class InfoDialogTest : public ProgramTest {
  protected:
    void SetUp() override {
        DeleteSettingsKey();
        ASSERT_NO_FATAL_FAILURE(Start());
    }

    // Clicks Info and waits for the dialog; it is modal, so the click is posted.
    void OpenInfo() {
        ASSERT_TRUE(PostClick(program_.dialog, IDC_INFO));
        ASSERT_TRUE(WaitUntil([&] {
            info_ = FindProcessWindow(program_.process.dwProcessId, "#32770", kInfoCaption);
            return info_ != nullptr;
        })) << "no dialog \""
            << kInfoCaption << "\"";
    }

    // Waits for the information dialog to be gone and the main dialog to take
    // input again.
    void ExpectInfoClosed() {
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(info_); })) << "the dialog stays open";
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program_.dialog) != FALSE; }))
            << "the main dialog stays disabled";
    }

    std::string InfoText() { return Text(GetDlgItem(info_, IDC_INFO_TEXT)); }

    HWND info_ = nullptr;
};

TEST_F(InfoDialogTest, ShowsTitleAuthorAddressesDescriptionAndOptions) {
    ASSERT_NO_FATAL_FAILURE(OpenInfo());
    std::string text = InfoText();
    std::vector<std::string> lines = Lines(text);
    const std::vector<std::string> expected = {
        "Quorvel for GetRight - Version 0.10 ",
        "", // author line, checked below by its form
        "for updates check: https://quorvel.example.org/",
        "or email to: quorvel@example.org",
        "",
        "This program generates a GRX file for GetRight.",
        "",
        "The following command line parameters are supported:",
        "-rc: clear registry entries for this program",
        "-rd: disable use of the registry for this program",
        "-pp=n: set process priority for dialog",
        "       (0:idle, 1:normal, 2:high, 3:realtime)",
        "-pt=n: set priority for processing thread",
        "       (0:idle, 1:lowest, 2:below normal, 3:normal,",
        "        4:above normal, 5:highest, 6:time critical)",
        "", // the text ends with a line break
    };
    ASSERT_EQ(expected.size(), lines.size()) << text;
    for (size_t i = 0; i < expected.size(); i++) {
        if (i != 1) {
            EXPECT_EQ(expected[i], lines[i]) << "line " << i + 1;
        }
    }
    // The build's date and time, as the compiler gives them: 'Oct 12 2008', '16:31:20'.
    EXPECT_TRUE(std::regex_match(
        lines[1], std::regex("Written by: Veskaran, "
                             "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                             "[ 123][0-9] [0-9]{4}, [0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
        << lines[1];
    // The edit control hands the text back as it was given: every line break
    // is the text box's "\r\r\n".
    size_t breaks = 0, boxBreaks = 0;
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at++) {
        breaks++;
        boxBreaks += at >= 2 && text.compare(at - 2, 3, "\r\r\n") == 0;
    }
    EXPECT_EQ(breaks, boxBreaks) << "line breaks other than \"\\r\\r\\n\"";
}

TEST_F(InfoDialogTest, OkEnterEscapeAndTheCloseBoxEndIt) {
    const struct {
        const char* what;
        bool (*close)(HWND info);
    } ways[] = {
        {"ok", [](HWND info) { return PostClick(info, IDOK); }},
        {"Enter", [](HWND info) { return PressKeyIn(info, IDOK, VK_RETURN); }},
        {"Escape", [](HWND info) { return PressKeyIn(info, IDOK, VK_ESCAPE); }},
        {"close box",
         [](HWND info) { return PostMessageA(info, WM_SYSCOMMAND, SC_CLOSE, 0) != 0; }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        ASSERT_NO_FATAL_FAILURE(OpenInfo());
        EXPECT_FALSE(IsWindowEnabled(program_.dialog)) << "the main dialog takes input";
        ASSERT_TRUE(way.close(info_));
        ASSERT_NO_FATAL_FAILURE(ExpectInfoClosed());
    }
    // The main dialog goes on as before.
    EXPECT_EQ("", StatusText(program_));
    ASSERT_NO_FATAL_FAILURE(Close());
}

TEST_F(InfoDialogTest, TextBoxIsReadOnly) {
    ASSERT_NO_FATAL_FAILURE(OpenInfo());
    HWND box = GetDlgItem(info_, IDC_INFO_TEXT);
    std::string text = InfoText();
    EXPECT_TRUE(GetWindowLongPtrA(box, GWL_STYLE) & ES_READONLY);
    DWORD_PTR ignored;
    // Select all, then type over it and delete it: the text stays.
    ASSERT_TRUE(
        SendMessageTimeoutA(box, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored));
    DWORD_PTR selection = 0;
    ASSERT_TRUE(
        SendMessageTimeoutA(box, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &selection));
    EXPECT_EQ(0u, LOWORD(selection));
    EXPECT_EQ(Text(box).size(), HIWORD(selection)) << "the whole text can be selected";
    for (WPARAM typed : {WPARAM('x'), WPARAM('\b')})
        ASSERT_TRUE(SendMessageTimeoutA(box, WM_CHAR, typed, 1, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                                        &ignored));
    ASSERT_TRUE(
        SendMessageTimeoutA(box, WM_CLEAR, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored));
    EXPECT_EQ(text, InfoText());
}

TEST_F(InfoDialogTest, OpeningItTwiceShowsTheSameText) {
    ASSERT_NO_FATAL_FAILURE(OpenInfo());
    std::string first = InfoText();
    ASSERT_TRUE(PostClick(info_, IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectInfoClosed());
    ASSERT_NO_FATAL_FAILURE(OpenInfo());
    EXPECT_EQ(first, InfoText());
    EXPECT_NE(std::string::npos, first.find("-pt=n")) << first;
}

// The information dialog's message loop serves the worker too: a run that
// ends while it is open reports in the main dialog's status bar.
TEST_F(InfoDialogTest, RunEndingWhileItIsOpenIsReported) {
    std::string folder = FreshFolder("info-run");
    ASSERT_TRUE(FillForm(program_, MillionEntryRun(folder + "\\list.grx")));
    DWORD pid = program_.process.dwProcessId;
    std::vector<DWORD> threads = ProcessThreads(pid);
    ASSERT_TRUE(Click(program_.dialog, IDC_START));
    held_ = HoldNewThread(pid, threads); // the run goes on once Info is open
    ASSERT_TRUE(held_) << "Start started no run";
    ASSERT_EQ(TEXT_WORKING, StatusText(program_)) << "the run ended before it could be held";
    ASSERT_NO_FATAL_FAILURE(OpenInfo());
    Release();
    std::string status;
    EXPECT_TRUE(WaitForStatus(program_, TEXT_CREATED, &status)) << status;
    EXPECT_TRUE(IsWindow(info_)) << "the dialog closed by itself";
    EXPECT_TRUE(IsWindowEnabled(Item(program_, IDC_START)));
    ASSERT_TRUE(PostClick(info_, IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectInfoClosed());
}

} // namespace
} // namespace e2e
