// Drives a running quorvel.exe from another process: starts it, finds its
// dialogs, types into its fields, presses its buttons, reads its status bar,
// and reads and writes its registry key and the files it makes. Every wait is
// a poll with a bound, and every message goes through SendMessageTimeout, so
// a hung program fails the caller instead of hanging it.
#ifndef QUORVEL_E2E_DRIVER_WIN32_H
#define QUORVEL_E2E_DRIVER_WIN32_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Bounds of the waits. Generous: the first start of a program in a fresh Wine
// prefix takes several seconds, and the machine may be busy.
const DWORD kStartTimeoutMs = 60000;
const DWORD kWaitTimeoutMs = 20000;
const UINT kSendTimeoutMs = 10000;

// Windows path of quorvel.exe; a Unix path (as CMake gives it) is turned into
// its Z: drive form.
void SetProgramPath(const char* path);
const std::string& ProgramPath();

// Polls condition until it holds or timeoutMs have passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitTimeoutMs);

// One started quorvel.exe and its main dialog.
struct Program {
    PROCESS_INFORMATION process = {};
    HWND dialog = nullptr;
};

// Starts quorvel.exe with the command tail and waits for its main dialog.
bool StartProgram(const std::string& tail, Program* program, std::string* error);
// True once the process has ended.
bool HasExited(const Program& program);
bool WaitForExit(const Program& program, DWORD timeoutMs = kWaitTimeoutMs);
// Ends the process if it still runs and releases its handles.
void EndProgram(Program* program);
// Ends every process started by this process that is still running.
void EndChildProcesses();

// Ids of the process's threads.
std::vector<DWORD> ProcessThreads(DWORD processId);
// Waits for a thread of the process that is not among known and suspends it,
// so that a run on it stays in progress for as long as the caller wishes.
// Returns the thread's handle for ResumeThread, or null.
HANDLE HoldNewThread(DWORD processId, const std::vector<DWORD>& known,
                     DWORD timeoutMs = kWaitTimeoutMs);

// A visible top-level window of the process with this class and caption.
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption);

HWND Item(const Program& program, int id);
// Every descendant window as "class#id" (for messages when a control is missing).
std::string DescribeChildren(HWND window);
// The first descendant window of the class, or null.
HWND FindDescendant(HWND window, const char* className);
// The window's text, through WM_GETTEXT; for a status bar, its part 0.
std::string Text(HWND window);
bool SetText(HWND window, const std::string& text);
bool IsChecked(HWND button);
bool SetChecked(HWND button, bool checked);
// WM_COMMAND for the control id, as a click on it would send: synchronous, or
// posted (for commands that open a modal dialog or end the program).
bool SendCommand(HWND dialog, int id);
bool PostCommand(HWND dialog, int id);
// A click on the button: synchronous (returns once the dialog has handled it),
// or posted.
bool Click(HWND dialog, int id);
bool PostClick(HWND dialog, int id);
// Gives the control the keyboard focus, as a click into it would, then posts a
// key press to it; the dialog's message loop treats it as typed.
bool PressKeyIn(HWND dialog, int id, UINT virtualKey);
// Posts a key press to the window, wherever the focus is.
bool PostKey(HWND window, UINT virtualKey);
// Posts a typed character to the window.
bool PostChar(HWND window, char c);
std::string StatusText(const Program& program);
// The text of one part of the status bar through SB_GETTEXT, whose buffer must
// lie in the program's own memory.
std::string StatusPartText(const Program& program, int part);
// Waits for the status bar to show expected; *last gets the text last seen.
bool WaitForStatus(const Program& program, const std::string& expected, std::string* last);
// Presses Start and waits for the run to end (Start enabled again); returns the status text.
std::string RunOnce(const Program& program);

// Rectangles: a window's in screen coordinates, a control's in its dialog's
// client coordinates.
RECT WindowRect(HWND window);
RECT ControlRect(HWND dialog, int id);
bool MoveTo(HWND window, int x, int y, int width, int height);
bool operator==(const RECT& a, const RECT& b);
std::string Describe(const RECT& r);

// What a test types into the main dialog.
struct Form {
    std::string url, destination, output;
    bool use[3] = {false, false, false};
    std::string start[3], end[3];
};
bool FillForm(const Program& program, const Form& form);

// The program's registry key, HKCU\Software\Veskaran Freeware\Quorvel.
extern const char kSettingsKey[];
struct StoredSettings {
    LONG posx = 0, posy = 0, width = 0, height = 0;
    DWORD version = 0, flags = 0;
    std::string Astart, Aend, Bstart, Bend, Cstart, Cend;
    std::string URL, DownloadDestination, Filename;
};
bool operator==(const StoredSettings& a, const StoredSettings& b);
std::string Describe(const StoredSettings& s);
bool SettingsKeyExists();
void DeleteSettingsKey();
// Replaces the key by one holding exactly the 15 values of s.
void WriteSettingsKey(const StoredSettings& s);
// Reads the key; false with *problem set when it is missing, holds another
// number of values, or a value has the wrong type or size.
bool ReadSettingsKey(StoredSettings* s, std::string* problem);

// Files, in Windows paths.
// A new empty folder for one test under the temporary folder.
std::string FreshFolder(const std::string& name);
bool ReadBytes(const std::string& path, std::string* bytes);
bool WriteBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Names of the files in a folder, sorted.
std::vector<std::string> FolderFiles(const std::string& folder);
// The system's message text for an error code, trailing blanks and line breaks removed.
std::string SystemMessage(DWORD error);

} // namespace e2e

#endif
