// End-to-end tests of the main dialog: quorvel.exe started under Wine and
// driven from outside, as a user would, through its controls, its registry key
// and the files it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/driver_win32.h"
#include "e2e/fixture_win32.h"
#include "resources/resource.h"

namespace e2e {
namespace {

using Files = std::vector<std::string>;

// One entry of a list as the program writes it: two lines ending in CR LF.
std::string Entry(const std::string& url, const std::string& file) {
    return "URL: " + url + "\r\nFile: " + file + "\r\n";
}

const char kPreviousList[] = "URL: old\r\nFile: old\r\n";

// A run of 10^9 entries: it takes minutes, so it is certainly still going
// when the test acts on it.
Form EndlessRun(const std::string& output) {
    Form form;
    form.url = "http://example.org/pictures/&A/&B/&C.jpg";
    form.destination = "C:\\downloads\\pictures\\&A_&B_&C.jpg";
    form.output = output;
    for (int v = 0; v < 3; v++) {
        form.use[v] = true;
        form.start[v] = "000";
        form.end[v] = "999";
    }
    return form;
}

const int kTextIds[] = {IDC_URL,     IDC_DOWNLOAD_TO, IDC_OUTPUT_FILE, IDC_A_START, IDC_B_START,
                        IDC_C_START, IDC_A_END,       IDC_B_END,       IDC_C_END};
const int kUseIds[] = {IDC_USE_A, IDC_USE_B, IDC_USE_C};

// A key whose values differ from the template's contents in every field.
StoredSettings SampleSettings() {
    StoredSettings s;
    s.posx = 300;
    s.posy = 200;
    s.width = 500;
    s.height = 400;
    s.version = 10;
    s.flags = 5;
    s.Astart = "01";
    s.Aend = "12";
    s.Bstart = "x";
    s.Bend = "y";
    s.Cstart = "7";
    s.Cend = "9";
    s.URL = "http://example.org/&A/&C.jpg";
    s.DownloadDestination = "C:\\dl\\&A_&C.jpg";
    s.Filename = "C:\\dl\\sample.grx";
    return s;
}

class MainDialogTest : public ProgramTest {
  protected:
    // Fails the test unless every field is empty and every box unchecked, as
    // the dialog template has them.
    void ExpectTemplateContents() {
        for (int id : kTextIds)
            EXPECT_EQ("", Text(Item(program_, id))) << "control " << id;
        for (int id : kUseIds)
            EXPECT_FALSE(IsChecked(Item(program_, id))) << "check box " << id;
    }

    void ExpectContentsOf(const StoredSettings& s) {
        const std::string texts[] = {
            s.URL, s.DownloadDestination, s.Filename, s.Astart, s.Bstart, s.Cstart, s.Aend, s.Bend,
            s.Cend};
        for (int i = 0; i < 9; i++)
            EXPECT_EQ(texts[i], Text(Item(program_, kTextIds[i]))) << "control " << kTextIds[i];
        for (int v = 0; v < 3; v++)
            EXPECT_EQ((s.flags >> v) & 1, IsChecked(Item(program_, kUseIds[v])) ? 1u : 0u)
                << "check box " << kUseIds[v];
    }

    // Waits for the dialog to stand at exactly r.
    void ExpectWindowAt(const RECT& r) {
        ASSERT_TRUE(WaitUntil([&] { return WindowRect(program_.dialog) == r; }))
            << "window at " << Describe(WindowRect(program_.dialog)) << ", expected "
            << Describe(r);
    }

    // The template's rectangle: where and how large a dialog without settings opens.
    void TemplateRect(RECT* r) {
        DeleteSettingsKey();
        ASSERT_NO_FATAL_FAILURE(Start("-rd"));
        *r = WindowRect(program_.dialog);
        EndProgram(&program_);
    }

    // Through the "GRX file" button: types path into the save dialog and
    // confirms it, or cancels the dialog when path is empty.
    void ChooseOutputFile(const std::string& path) {
        std::string before = Text(Item(program_, IDC_OUTPUT_FILE));
        ASSERT_TRUE(PostClick(program_.dialog, IDC_BROWSE));
        HWND save = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            save = FindProcessWindow(program_.process.dwProcessId, "#32770", "GRX output file");
            return save != nullptr;
        })) << "no save dialog \"GRX output file\"";
        if (path.empty()) {
            ASSERT_TRUE(PostClick(save, IDCANCEL));
        } else {
            HWND name = FileNameBox(save);
            ASSERT_TRUE(name) << "no file name box in the save dialog: " << DescribeChildren(save);
            ASSERT_TRUE(SetText(name, path));
            ASSERT_TRUE(PostClick(save, IDOK));
        }
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(save); })) << "the save dialog stays open";
        // Once the save dialog is gone, a message to the dialog is served only
        // after the button's command has been handled.
        std::string expected = path.empty() ? before : path;
        EXPECT_TRUE(WaitUntil([&] { return Text(Item(program_, IDC_OUTPUT_FILE)) == expected; }))
            << "output file field: " << Text(Item(program_, IDC_OUTPUT_FILE));
    }

    // The save dialog's file name box: edt1, or the edit inside the combo box
    // cmb13 (in Wine a ComboBoxEx32 holding a ComboBox holding the Edit).
    static HWND FileNameBox(HWND save) {
        const int kEdt1 = 0x480, kCmb13 = 0x47c;
        HWND box = GetDlgItem(save, kEdt1);
        if (box && IsWindowVisible(box))
            return box;
        HWND combo = GetDlgItem(save, kCmb13);
        return combo ? FindDescendant(combo, "Edit") : nullptr;
    }
};

// --- One run, from typing to the file on disk -------------------------------

// The road of one run: templates typed, A ticked from '01' to '03', the output
// file picked with "GRX file", Start pressed, Exit.
TEST_F(MainDialogTest, RoadOfOneRunWritesTheListByteForByte) {
    DeleteSettingsKey();
    std::string folder = FreshFolder("road");
    std::string output = folder + "\\road.grx";
    ASSERT_NO_FATAL_FAILURE(Start());

    Form form;
    form.url = "pics/img&A.jpg";
    form.destination = "C:\\dl\\img&A.jpg";
    form.use[0] = true;
    form.start[0] = "01";
    form.end[0] = "03";
    ASSERT_TRUE(FillForm(program_, form));
    ASSERT_NO_FATAL_FAILURE(ChooseOutputFile("")); // cancelled: nothing changes
    ASSERT_NO_FATAL_FAILURE(ChooseOutputFile(output));

    EXPECT_EQ(TEXT_CREATED, RunOnce(program_));
    std::string list;
    ASSERT_TRUE(ReadBytes(output, &list));
    EXPECT_EQ(Entry("pics/img01.jpg", "C:\\dl\\img01.jpg") +
                  Entry("pics/img02.jpg", "C:\\dl\\img02.jpg") +
                  Entry("pics/img03.jpg", "C:\\dl\\img03.jpg"),
              list);
    EXPECT_EQ(Files{"road.grx"}, FolderFiles(folder)) << "no temporary file stays behind";

    ASSERT_NO_FATAL_FAILURE(Close());
    StoredSettings saved;
    std::string problem;
    ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
    EXPECT_EQ(form.url, saved.URL);
    EXPECT_EQ(form.destination, saved.DownloadDestination);
    EXPECT_EQ(output, saved.Filename);
    EXPECT_EQ("01", saved.Astart);
    EXPECT_EQ("03", saved.Aend);
    EXPECT_EQ(1u, saved.flags);
}

// Successful runs replace an existing file; unchecked variables play no part.
TEST_F(MainDialogTest, RunsReplaceAnExistingFile) {
    struct Case {
        const char* what;
        Form form;
        std::string list;
    };
    Form allOff;
    allOff.url = "site/&A&B&C/x&&y.jpg";
    allOff.destination = "D:\\dl\\x&a.jpg";
    allOff.start[1] = "x"; // unchecked: not even read
    allOff.end[1] = "-";
    Form nested; // A outermost, B inside it, zero-padded to the start text's length
    nested.url = "site/a&A/b&B.jpg";
    nested.destination = "D:\\dl\\a&A_b&B.jpg";
    nested.use[0] = nested.use[1] = true;
    nested.start[0] = "1";
    nested.end[0] = "2";
    nested.start[1] = "08";
    nested.end[1] = "10";
    std::string nestedList;
    for (const char* a : {"1", "2"})
        for (const char* b : {"08", "09", "10"})
            nestedList += Entry(std::string("site/a") + a + "/b" + b + ".jpg",
                                std::string("D:\\dl\\a") + a + "_b" + b + ".jpg");
    const Case cases[] = {
        {"all variables off", allOff, Entry("site//x&y.jpg", "D:\\dl\\x.jpg")},
        {"A and B nested", nested, nestedList},
    };

    DeleteSettingsKey();
    ASSERT_NO_FATAL_FAILURE(Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string folder = FreshFolder("replace");
        Form form = c.form;
        form.output = folder + "\\list.grx";
        ASSERT_TRUE(WriteBytes(form.output, std::string(kPreviousList) + kPreviousList));
        ASSERT_TRUE(FillForm(program_, form));
        EXPECT_EQ(TEXT_CREATED, RunOnce(program_));
        std::string list;
        EXPECT_TRUE(ReadBytes(form.output, &list));
        EXPECT_EQ(c.list, list);
        EXPECT_EQ(Files{"list.grx"}, FolderFiles(folder));
    }
}

// Every refused run shows its text and leaves the chosen file byte for byte
// as it was, with no temporary file beside it.
TEST_F(MainDialogTest, FailingRunsLeaveTheFileUntouched) {
    struct Case {
        const char* what;
        std::string url;
        const char *aStart, *aEnd; // A is ticked
        bool useB;
        const char *bStart, *bEnd;
        const char* status;
    };
    const std::string longUrl = std::string(250, 'u') + "&A"; // 250 + 15 digits > 256
    const Case cases[] = {
        {"empty start and end texts", "u&A", "", "", false, "", "", TEXT_INVALID_NUMBER},
        {"start above end", "u&A", "5", "4", false, "", "", TEXT_INVALID_NUMBER},
        {"start that is no number", "u&A", "x3", "55", false, "", "", TEXT_INVALID_NUMBER},
        {"negative end", "u&A", "00", "-1", false, "", "", TEXT_INVALID_NUMBER},
        {"end beyond 32 bits", "u&A", "4294967290", "4294967296", false, "", "",
         TEXT_INVALID_NUMBER},
        {"start text of 16 characters", "u&A", "0000000000000001", "0000000000000002", false, "",
         "", TEXT_INVALID_NUMBER},
        {"digits differ", "u&A", "05", "5", false, "", "", TEXT_DIGITS_DIFFER},
        {"invalid number and digits differ", "u&A&B", "5", "4", true, "05", "5",
         TEXT_DIGITS_DIFFER},
        {"expanded line over 256 characters", longUrl, "000000000000000", "000000000000001", false,
         "", "", TEXT_LINE_TOO_LONG},
    };

    DeleteSettingsKey();
    ASSERT_NO_FATAL_FAILURE(Start());
    std::string folder = FreshFolder("refused");
    std::string output = folder + "\\list.grx";
    ASSERT_TRUE(WriteBytes(output, kPreviousList));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Form form;
        form.url = c.url;
        form.destination = "C:\\dl\\f&A.jpg";
        form.output = output;
        form.use[0] = true;
        form.start[0] = c.aStart;
        form.end[0] = c.aEnd;
        form.use[1] = c.useB;
        form.start[1] = c.bStart;
        form.end[1] = c.bEnd;
        ASSERT_TRUE(FillForm(program_, form));
        EXPECT_EQ(c.status, RunOnce(program_));
        std::string list;
        EXPECT_TRUE(ReadBytes(output, &list));
        EXPECT_EQ(kPreviousList, list);
        EXPECT_EQ(Files{"list.grx"}, FolderFiles(folder));
    }
}

TEST_F(MainDialogTest, OutputInAMissingFolderShowsTheSystemText) {
    DeleteSettingsKey();
    ASSERT_NO_FATAL_FAILURE(Start());
    std::string folder = FreshFolder("missing");
    Form form;
    form.url = "u&A";
    form.destination = "d&A";
    form.output = folder + "\\no such folder\\list.grx";
    form.use[0] = true;
    form.start[0] = "1";
    form.end[0] = "3";
    ASSERT_TRUE(FillForm(program_, form));
    EXPECT_EQ(SystemMessage(ERROR_PATH_NOT_FOUND), RunOnce(program_));
    EXPECT_EQ(Files{}, FolderFiles(folder));
    // The dialog stays usable: the next run succeeds.
    form.output = folder + "\\list.grx";
    ASSERT_TRUE(FillForm(program_, form));
    EXPECT_EQ(TEXT_CREATED, RunOnce(program_));
}

// --- Settings: first start, closing, restoring ------------------------------

TEST_F(MainDialogTest, FirstStartShowsTheTemplateAndClosingWritesAllValues) {
    DeleteSettingsKey();
    ASSERT_NO_FATAL_FAILURE(Start());
    ExpectTemplateContents();
    EXPECT_EQ("", StatusText(program_));
    RECT r = WindowRect(program_.dialog);
    ASSERT_NO_FATAL_FAILURE(Close());

    StoredSettings saved;
    std::string problem;
    ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
    StoredSettings expected;
    expected.posx = r.left;
    expected.posy = r.top;
    expected.width = r.right - r.left;
    expected.height = r.bottom - r.top;
    expected.version = 10;
    EXPECT_EQ(Describe(expected), Describe(saved));
}

// Closing stores every field; the next start shows them all again and puts
// the window where it was.
TEST_F(MainDialogTest, ClosingSavesTheFieldsAndTheNextStartRestoresThem) {
    DeleteSettingsKey();
    std::string folder = FreshFolder("restore");
    ASSERT_NO_FATAL_FAILURE(Start());
    RECT first = WindowRect(program_.dialog);
    Form form;
    form.url = "http://example.org/&A/&C.jpg";
    form.destination = "C:\\dl\\&A_&C.jpg";
    form.output = folder + "\\restore.grx";
    form.use[0] = form.use[2] = true;
    form.start[0] = "01";
    form.end[0] = "02";
    form.start[1] = "b1"; // B unchecked, its texts kept all the same
    form.end[1] = "b2";
    form.start[2] = "7";
    form.end[2] = "9";
    ASSERT_TRUE(FillForm(program_, form));
    ASSERT_EQ(TEXT_CREATED, RunOnce(program_));
    int width = first.right - first.left + 60, height = first.bottom - first.top + 30;
    RECT moved = {300, 200, 300 + width, 200 + height};
    ASSERT_TRUE(MoveTo(program_.dialog, 300, 200, width, height));
    ASSERT_NO_FATAL_FAILURE(ExpectWindowAt(moved));
    ASSERT_NO_FATAL_FAILURE(Close());

    StoredSettings expected;
    expected.posx = 300;
    expected.posy = 200;
    expected.width = width;
    expected.height = height;
    expected.version = 10;
    expected.flags = 5;
    expected.Astart = "01";
    expected.Aend = "02";
    expected.Bstart = "b1";
    expected.Bend = "b2";
    expected.Cstart = "7";
    expected.Cend = "9";
    expected.URL = form.url;
    expected.DownloadDestination = form.destination;
    expected.Filename = form.output;
    StoredSettings saved;
    std::string problem;
    ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
    EXPECT_EQ(Describe(expected), Describe(saved));

    ASSERT_NO_FATAL_FAILURE(Start());
    ExpectContentsOf(expected);
    ExpectWindowAt(moved);
}

TEST_F(MainDialogTest, EveryWayOfClosingSaves) {
    for (CloseWay way : {CloseWay::ExitButton, CloseWay::EscapeKey, CloseWay::CloseBox}) {
        SCOPED_TRACE(Name(way));
        WriteSettingsKey(SampleSettings());
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(SetText(Item(program_, IDC_C_END), "8"));
        ASSERT_NO_FATAL_FAILURE(Close(way));
        StoredSettings saved;
        std::string problem;
        ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
        EXPECT_EQ("8", saved.Cend);
    }
}

// The URL, destination and output path are taken at the start of a run, so
// an edit without a run is not saved.
TEST_F(MainDialogTest, ExitAfterEditingTheUrlSavesThePreviousUrl) {
    StoredSettings sample = SampleSettings();
    WriteSettingsKey(sample);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(SetText(Item(program_, IDC_URL), "http://example.org/edited/&A.jpg"));
    ASSERT_NO_FATAL_FAILURE(Close());
    StoredSettings saved;
    std::string problem;
    ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
    EXPECT_EQ(sample.URL, saved.URL);
}

// A file confirmed in the save dialog is stored at once, without a run; a
// cancelled one changes nothing.
TEST_F(MainDialogTest, FileChosenInTheSaveDialogIsSavedWithoutARun) {
    StoredSettings sample = SampleSettings();
    WriteSettingsKey(sample);
    std::string chosen = FreshFolder("chosen") + "\\chosen.grx";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ChooseOutputFile(""));
    EXPECT_EQ(sample.Filename, Text(Item(program_, IDC_OUTPUT_FILE)));
    ASSERT_NO_FATAL_FAILURE(ChooseOutputFile(chosen));
    ASSERT_NO_FATAL_FAILURE(Close());
    StoredSettings saved;
    std::string problem;
    ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
    EXPECT_EQ(chosen, saved.Filename);
    EXPECT_EQ(sample.URL, saved.URL);
    EXPECT_FALSE(FileExists(chosen)) << "choosing a file does not create it";
}

TEST_F(MainDialogTest, ClosedPartlyOffTheTopLeftSavesZeroZero) {
    StoredSettings sample = SampleSettings();
    WriteSettingsKey(sample);
    ASSERT_NO_FATAL_FAILURE(Start());
    // 50 and 40 pixels off: too far for the edge snapping to pull it back.
    RECT off = {-50, -40, -50 + sample.width, -40 + sample.height};
    ASSERT_TRUE(MoveTo(program_.dialog, off.left, off.top, sample.width, sample.height));
    ASSERT_NO_FATAL_FAILURE(ExpectWindowAt(off));
    ASSERT_NO_FATAL_FAILURE(Close());
    StoredSettings saved;
    std::string problem;
    ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
    EXPECT_EQ(0, saved.posx);
    EXPECT_EQ(0, saved.posy);
    EXPECT_EQ(sample.width, saved.width);
    EXPECT_EQ(sample.height, saved.height);
}

// --- Command-line options ---------------------------------------------------

TEST_F(MainDialogTest, UnrecognisedOptionsAreReportedInTheStatusBar) {
    WriteSettingsKey(SampleSettings());
    ASSERT_NO_FATAL_FAILURE(Start("-xy /q"));
    std::string status;
    EXPECT_TRUE(WaitForStatus(program_, "Invalid command line parameter(s) \"-xy /q\"", &status))
        << status;
    EXPECT_EQ(status, StatusPartText(program_, 0)) << "the text stands in the bar's first part";
    ExpectContentsOf(SampleSettings()); // the rest of start-up goes on as usual
}

TEST_F(MainDialogTest, OptionRdLeavesTheKeyAlone) {
    StoredSettings sample = SampleSettings();
    WriteSettingsKey(sample);
    ASSERT_NO_FATAL_FAILURE(Start("-rd"));
    ExpectTemplateContents();
    EXPECT_EQ("", StatusText(program_));
    ASSERT_TRUE(SetText(Item(program_, IDC_A_START), "99"));
    ASSERT_NO_FATAL_FAILURE(Close());
    StoredSettings saved;
    std::string problem;
    ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
    EXPECT_EQ(Describe(sample), Describe(saved));
}

TEST_F(MainDialogTest, OptionRcRemovesTheKeyAndClosingWritesItAnew) {
    WriteSettingsKey(SampleSettings());
    ASSERT_NO_FATAL_FAILURE(Start("-rc"));
    EXPECT_FALSE(SettingsKeyExists());
    ExpectTemplateContents();
    ASSERT_TRUE(SetText(Item(program_, IDC_A_START), "42"));
    ASSERT_NO_FATAL_FAILURE(Close());
    StoredSettings saved;
    std::string problem;
    ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
    EXPECT_EQ("42", saved.Astart);
    EXPECT_EQ("", saved.URL);
    EXPECT_EQ(10u, saved.version);
}

TEST_F(MainDialogTest, OptionsRcAndRdTogetherRemoveTheKeyForGood) {
    WriteSettingsKey(SampleSettings());
    ASSERT_NO_FATAL_FAILURE(Start("-rc -rd"));
    EXPECT_FALSE(SettingsKeyExists());
    ExpectTemplateContents();
    ASSERT_NO_FATAL_FAILURE(Close());
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(MainDialogTest, OptionPpSetsTheProcessPriorityClass) {
    const struct {
        const char* tail;
        DWORD priorityClass;
    } cases[] = {
        {"-pp=9", REALTIME_PRIORITY_CLASS}, // clamped to 3
        {"-pp=-4", IDLE_PRIORITY_CLASS},    // clamped to 0
        {"-pp=0x2", HIGH_PRIORITY_CLASS},
        {"", NORMAL_PRIORITY_CLASS},
    };
    DeleteSettingsKey();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        ASSERT_NO_FATAL_FAILURE(Start(c.tail));
        EXPECT_EQ(c.priorityClass, GetPriorityClass(program_.process.hProcess));
        ASSERT_NO_FATAL_FAILURE(Close());
    }
}

// --- One run at a time ------------------------------------------------------

// Enter while a run is going starts no second run: no thread is created,
// the status ends with the run's own result, and the URL typed meanwhile
// (which a second run would have taken up and stored) is not saved.
TEST_F(MainDialogTest, EnterDuringARunStartsNoSecondRun) {
    DeleteSettingsKey();
    std::string folder = FreshFolder("enter");
    Form form = MillionEntryRun(folder + "\\long.grx");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(FillForm(program_, form));
    HWND start = Item(program_, IDC_START);
    HWND url = Item(program_, IDC_URL);
    DWORD pid = program_.process.dwProcessId;

    // Enter in the URL field starts the run, since no button is the default
    // one. Its worker is held, so the run is certainly in progress below.
    std::vector<DWORD> threads = ProcessThreads(pid);
    ASSERT_TRUE(PressKeyIn(program_.dialog, IDC_URL, VK_RETURN));
    held_ = HoldNewThread(pid, threads);
    ASSERT_TRUE(held_) << "Enter started no run";
    ASSERT_FALSE(IsWindowEnabled(start)) << "the run ended before it could be held";
    EXPECT_EQ(TEXT_WORKING, StatusText(program_));

    // Enter again, then End and a typed character: once the character is in
    // the field, the Enter before it has been handled.
    threads = ProcessThreads(pid);
    ASSERT_TRUE(PressKeyIn(program_.dialog, IDC_URL, VK_RETURN));
    ASSERT_TRUE(PostKey(url, VK_END));
    ASSERT_TRUE(PostChar(url, 'z'));
    ASSERT_TRUE(WaitUntil([&] { return Text(url) == form.url + "z"; })) << Text(url);
    std::vector<DWORD> now = ProcessThreads(pid);
    std::sort(threads.begin(), threads.end());
    std::sort(now.begin(), now.end());
    EXPECT_EQ(threads, now) << "a thread was started";
    EXPECT_EQ(TEXT_WORKING, StatusText(program_));

    Release();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(start) != FALSE; }))
        << "the run did not end";
    EXPECT_EQ(TEXT_CREATED, StatusText(program_));
    EXPECT_EQ(Files{"long.grx"}, FolderFiles(folder));
    std::string list;
    ASSERT_TRUE(ReadBytes(form.output, &list));
    EXPECT_TRUE(list == MillionEntryList())
        << "the list is not the run's (" << list.size() << " bytes)";
    ASSERT_NO_FATAL_FAILURE(Close());
    StoredSettings saved;
    std::string problem;
    ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
    EXPECT_EQ(form.url, saved.URL);
}

// Closing during a run stops it: the chosen file keeps its bytes, the
// temporary file goes, and the process ends within seconds.
TEST_F(MainDialogTest, ClosingDuringARunLeavesTheFileAsItWas) {
    for (CloseWay way : {CloseWay::ExitButton, CloseWay::EscapeKey, CloseWay::CloseBox}) {
        SCOPED_TRACE(Name(way));
        DeleteSettingsKey();
        std::string folder = FreshFolder("closing");
        Form form = EndlessRun(folder + "\\list.grx");
        ASSERT_TRUE(WriteBytes(form.output, kPreviousList));
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(FillForm(program_, form));
        ASSERT_TRUE(Click(program_.dialog, IDC_START));
        EXPECT_EQ(TEXT_WORKING, StatusText(program_));
        ASSERT_TRUE(WaitUntil([&] { return FolderFiles(folder).size() == 2; }))
            << "the run wrote no temporary file";
        ASSERT_TRUE(RequestClose(way));
        EXPECT_TRUE(WaitForExit(program_, 10000)) << "still running 10 s after closing";
        EXPECT_EQ(Files{"list.grx"}, FolderFiles(folder));
        std::string list;
        EXPECT_TRUE(ReadBytes(form.output, &list));
        EXPECT_EQ(kPreviousList, list);
        EndProgram(&program_);
    }
}

// --- Layout -----------------------------------------------------------------

TEST_F(MainDialogTest, ResizingMovesTheAnchoredControls) {
    struct Anchor {
        int id;
        int dx, dy, dwidth; // for a dialog 100 pixels wider and 40 taller
    };
    const Anchor anchors[] = {
        {IDC_URL, 0, 0, 100},   {IDC_DOWNLOAD_TO, 0, 0, 100}, {IDC_OUTPUT_FILE, 0, 0, 100},
        {IDC_INFO, 0, 40, 0},   {IDC_START, 100, 40, 0},      {IDC_EXIT, 100, 40, 0},
        {IDC_BROWSE, 0, 0, 0},  {IDC_VARIABLES, 0, 0, 0},     {IDC_USE_A, 0, 0, 0},
        {IDC_A_START, 0, 0, 0}, {IDC_C_END, 0, 0, 0},
    };
    DeleteSettingsKey();
    ASSERT_NO_FATAL_FAILURE(Start());
    RECT window = WindowRect(program_.dialog);
    std::vector<RECT> before, expected;
    for (const Anchor& a : anchors) {
        RECT r = ControlRect(program_.dialog, a.id);
        before.push_back(r);
        expected.push_back(
            {r.left + a.dx, r.top + a.dy, r.right + a.dx + a.dwidth, r.bottom + a.dy});
    }
    auto laidOut = [&](const std::vector<RECT>& rects) {
        for (size_t i = 0; i < rects.size(); i++)
            if (!(ControlRect(program_.dialog, anchors[i].id) == rects[i]))
                return false;
        return true;
    };
    // The status bar keeps to the bottom of the client area, across its width.
    auto statusAlongBottom = [&] {
        RECT client, bar = ControlRect(program_.dialog, IDC_STATUS);
        GetClientRect(program_.dialog, &client);
        return bar.left == 0 && bar.right == client.right && bar.bottom == client.bottom;
    };
    EXPECT_TRUE(statusAlongBottom());

    int width = window.right - window.left, height = window.bottom - window.top;
    ASSERT_TRUE(MoveTo(program_.dialog, window.left, window.top, width + 100, height + 40));
    EXPECT_TRUE(WaitUntil([&] { return laidOut(expected); }));
    for (size_t i = 0; i < expected.size(); i++)
        EXPECT_EQ(Describe(expected[i]), Describe(ControlRect(program_.dialog, anchors[i].id)))
            << "control " << anchors[i].id;
    EXPECT_TRUE(statusAlongBottom());

    // Back at the template's size every control stands where it started.
    ASSERT_TRUE(MoveTo(program_.dialog, window.left, window.top, width, height));
    EXPECT_TRUE(WaitUntil([&] { return laidOut(before); }));
    for (size_t i = 0; i < before.size(); i++)
        EXPECT_EQ(Describe(before[i]), Describe(ControlRect(program_.dialog, anchors[i].id)))
            << "control " << anchors[i].id;
    EXPECT_TRUE(statusAlongBottom());
}

TEST_F(MainDialogTest, MovingNearTheTopLeftSnapsToTheCorner) {
    StoredSettings sample = SampleSettings();
    WriteSettingsKey(sample);
    ASSERT_NO_FATAL_FAILURE(Start());
    for (POINT spot : {POINT{10, 15}, POINT{-19, 19}}) {
        SCOPED_TRACE(std::to_string(spot.x) + "," + std::to_string(spot.y));
        ASSERT_TRUE(MoveTo(program_.dialog, 300, 200, sample.width, sample.height));
        ExpectWindowAt({300, 200, 300 + sample.width, 200 + sample.height});
        ASSERT_TRUE(MoveTo(program_.dialog, spot.x, spot.y, sample.width, sample.height));
        ExpectWindowAt({0, 0, sample.width, sample.height});
    }
}

// --- Mended faults ----------------------------------------------------------

// A dialog closed while minimised or maximised keeps its normal rectangle.
TEST_F(MainDialogTest, ClosedMinimisedOrMaximisedReopensAtItsNormalRectangle) {
    const struct {
        const char* what;
        WPARAM command; // what the caption's box sends
        BOOL(WINAPI* inState)(HWND);
    } cases[] = {
        {"minimised", SC_MINIMIZE, IsIconic},
        {"maximised", SC_MAXIMIZE, IsZoomed},
    };
    StoredSettings sample = SampleSettings();
    RECT normal = {sample.posx, sample.posy, sample.posx + sample.width,
                   sample.posy + sample.height};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSettingsKey(sample);
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(ExpectWindowAt(normal));
        // Wine may drop a state change asked for right after the window
        // appeared, so the command is repeated until it takes.
        ASSERT_TRUE(WaitUntil([&] {
            DWORD_PTR ignored;
            SendMessageTimeoutA(program_.dialog, WM_SYSCOMMAND, c.command, 0, SMTO_ABORTIFHUNG,
                                kSendTimeoutMs, &ignored);
            return WaitUntil([&] { return c.inState(program_.dialog) != FALSE; }, 500);
        })) << "window at "
            << Describe(WindowRect(program_.dialog));
        ASSERT_NO_FATAL_FAILURE(Close());
        StoredSettings saved;
        std::string problem;
        ASSERT_TRUE(ReadSettingsKey(&saved, &problem)) << problem;
        EXPECT_EQ(Describe(normal), Describe(RECT{saved.posx, saved.posy, saved.posx + saved.width,
                                                  saved.posy + saved.height}));
        ASSERT_NO_FATAL_FAILURE(Start());
        ExpectWindowAt(normal);
        EXPECT_FALSE(IsIconic(program_.dialog) || IsZoomed(program_.dialog));
        ASSERT_NO_FATAL_FAILURE(Close());
    }
}

// A saved rectangle on no monitor is not applied: the dialog opens where its
// template puts it, at the saved size.
TEST_F(MainDialogTest, SavedRectangleOnNoMonitorOpensAtTheTemplatePosition) {
    RECT templateRect;
    ASSERT_NO_FATAL_FAILURE(TemplateRect(&templateRect));
    StoredSettings sample = SampleSettings();
    sample.posx = 5000;
    sample.posy = 4000;
    WriteSettingsKey(sample);
    ASSERT_NO_FATAL_FAILURE(Start());
    ExpectWindowAt({templateRect.left, templateRect.top, templateRect.left + sample.width,
                    templateRect.top + sample.height});
    ExpectContentsOf(sample); // the rest of the settings are restored
}

} // namespace
} // namespace e2e
