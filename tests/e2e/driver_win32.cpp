// Win32 side of the end-to-end driver: processes, windows, registry and files.
#include "e2e/driver_win32.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <stdio.h>
#include <string.h>

#include "resources/resource.h"

namespace e2e {

namespace {

std::string g_programPath;

const UINT kSendFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, kSendFlags, kSendTimeoutMs, &r))
        return false;
    if (result)
        *result = r;
    return true;
}

struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->processId || !IsWindowVisible(window))
        return TRUE;
    char text[256];
    if (GetClassNameA(window, text, sizeof text) == 0 || strcmp(text, search->className) != 0)
        return TRUE;
    // GetWindowText reads another process's caption without sending it a message.
    GetWindowTextA(window, text, sizeof text);
    if (strcmp(text, search->caption) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK AddChildDescription(HWND child, LPARAM param) {
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    char entry[96];
    snprintf(entry, sizeof entry, "%s#%d%s ", name, GetDlgCtrlID(child),
             IsWindowVisible(child) ? "" : "(hidden)");
    *reinterpret_cast<std::string*>(param) += entry;
    return TRUE;
}

struct ClassSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND child, LPARAM param) {
    ClassSearch* search = reinterpret_cast<ClassSearch*>(param);
    char name[64];
    if (GetClassNameA(child, name, sizeof name) && lstrcmpiA(name, search->className) == 0) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && strchr(" \t\r\n", s.back()))
        s.pop_back();
    return s;
}

} // namespace

void SetProgramPath(const char* path) {
    std::string p = path;
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p; // Wine maps the Unix root to drive Z:
    std::replace(p.begin(), p.end(), '/', '\\');
    g_programPath = p;
}

const std::string& ProgramPath() {
    return g_programPath;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD started = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - started >= timeoutMs)
            return condition();
        Sleep(20); // polling interval, not a wait for the program
    }
}

bool StartProgram(const std::string& tail, Program* program, std::string* error) {
    std::string line = "\"" + g_programPath + "\"";
    if (!tail.empty())
        line += " " + tail;
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &program->process)) {
        *error = "cannot start " + line + ": " + SystemMessage(GetLastError());
        return false;
    }
    DWORD pid = program->process.dwProcessId;
    bool found = WaitUntil(
        [&] {
            program->dialog = FindProcessWindow(pid, "#32770", "Quorvel");
            return program->dialog != nullptr || HasExited(*program);
        },
        kStartTimeoutMs);
    if (!found || !program->dialog) {
        *error = HasExited(*program) ? "the program ended before its dialog appeared"
                                     : "no dialog \"Quorvel\" appeared";
        return false;
    }
    return true;
}

bool HasExited(const Program& program) {
    return program.process.hProcess &&
           WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0;
}

bool WaitForExit(const Program& program, DWORD timeoutMs) {
    return program.process.hProcess &&
           WaitForSingleObject(program.process.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

void EndProgram(Program* program) {
    if (program->process.hProcess) {
        if (!HasExited(*program)) {
            TerminateProcess(program->process.hProcess, 1);
            WaitForSingleObject(program->process.hProcess, kWaitTimeoutMs);
        }
        CloseHandle(program->process.hProcess);
        CloseHandle(program->process.hThread);
    }
    *program = Program();
}

void EndChildProcesses() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != self || entry.th32ProcessID == self)
            continue;
        HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (child) {
            TerminateProcess(child, 1);
            WaitForSingleObject(child, kWaitTimeoutMs);
            CloseHandle(child);
        }
    }
    CloseHandle(snapshot);
}

std::vector<DWORD> ProcessThreads(DWORD processId) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId)
            ids.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);
    return ids;
}

HANDLE HoldNewThread(DWORD processId, const std::vector<DWORD>& known, DWORD timeoutMs) {
    DWORD started = GetTickCount();
    do {
        // No pause between looks: the thread is to be caught early in its work.
        for (DWORD id : ProcessThreads(processId)) {
            if (std::find(known.begin(), known.end(), id) != known.end())
                continue;
            HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | SYNCHRONIZE, FALSE, id);
            if (thread && SuspendThread(thread) != static_cast<DWORD>(-1))
                return thread;
            if (thread)
                CloseHandle(thread);
        }
    } while (GetTickCount() - started < timeoutMs);
    return nullptr;
}

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption) {
    WindowSearch search = {processId, className, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Item(const Program& program, int id) {
    return GetDlgItem(program.dialog, id);
}

std::string DescribeChildren(HWND window) {
    std::string list;
    EnumChildWindows(window, AddChildDescription, reinterpret_cast<LPARAM>(&list));
    return list;
}

HWND FindDescendant(HWND window, const char* className) {
    ClassSearch search = {className, nullptr};
    EnumChildWindows(window, MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Text(HWND window) {
    DWORD_PTR length = 0;
    if (!window || !Send(window, WM_GETTEXTLENGTH, 0, 0, &length))
        return "<no answer>";
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &copied))
        return "<no answer>";
    return std::string(buffer.data(), std::min<size_t>(copied, length));
}

bool SetText(HWND window, const std::string& text) {
    DWORD_PTR ok = 0;
    return window && Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &ok) && ok;
}

bool IsChecked(HWND button) {
    DWORD_PTR state = 0;
    return Send(button, BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

bool SetChecked(HWND button, bool checked) {
    return button && Send(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool SendCommand(HWND dialog, int id) {
    return Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool PostCommand(HWND dialog, int id) {
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))) != 0;
}

bool Click(HWND dialog, int id) {
    return Send(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool PostClick(HWND dialog, int id) {
    return PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0) != 0;
}

bool PressKeyIn(HWND dialog, int id, UINT virtualKey) {
    HWND control = GetDlgItem(dialog, id);
    // WM_NEXTDLGCTL moves the focus the dialog's way, default-button state included.
    return control && Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE) &&
           PostKey(control, virtualKey);
}

bool PostKey(HWND window, UINT virtualKey) {
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
    return PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | scan) &&
           PostMessageA(window, WM_KEYUP, virtualKey, 1 | scan | 0xC0000000u);
}

bool PostChar(HWND window, char c) {
    return PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 1) != 0;
}

std::string StatusText(const Program& program) {
    return Text(Item(program, IDC_STATUS));
}

std::string StatusPartText(const Program& program, int part) {
    HWND bar = Item(program, IDC_STATUS);
    DWORD_PTR packed = 0;
    if (!Send(bar, SB_GETTEXTLENGTHA, part, 0, &packed))
        return "<no answer>";
    std::vector<char> local(LOWORD(packed) + 1, '\0');
    HANDLE process = program.process.hProcess;
    void* remote =
        VirtualAllocEx(process, nullptr, local.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        return "<no buffer in the program>";
    std::string text = "<no answer>";
    SIZE_T got = 0;
    if (Send(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process, remote, local.data(), local.size(), &got)) {
        local.back() = '\0';
        text = local.data();
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

bool WaitForStatus(const Program& program, const std::string& expected, std::string* last) {
    return WaitUntil([&] {
        *last = StatusText(program);
        return *last == expected;
    });
}

std::string RunOnce(const Program& program) {
    HWND start = Item(program, IDC_START);
    // BM_CLICK returns once the dialog has handled the click, which starts the run
    // and disables Start; the completion notice enables it again.
    if (!Click(program.dialog, IDC_START))
        return "<Start did not answer>";
    if (!WaitUntil([&] { return IsWindowEnabled(start) != FALSE; }))
        return "<run did not end: " + StatusText(program) + ">";
    return StatusText(program);
}

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

RECT ControlRect(HWND dialog, int id) {
    RECT r = WindowRect(GetDlgItem(dialog, id));
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool MoveTo(HWND window, int x, int y, int width, int height) {
    // Asynchronous, so that a hung program cannot hold the caller.
    return SetWindowPos(window, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS) != 0;
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
    char text[96];
    snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld) %ldx%ld", (long)r.left, (long)r.top,
             (long)r.right, (long)r.bottom, (long)(r.right - r.left), (long)(r.bottom - r.top));
    return text;
}

bool FillForm(const Program& program, const Form& form) {
    static const int kUse[3] = {IDC_USE_A, IDC_USE_B, IDC_USE_C};
    static const int kStart[3] = {IDC_A_START, IDC_B_START, IDC_C_START};
    static const int kEnd[3] = {IDC_A_END, IDC_B_END, IDC_C_END};
    bool ok = SetText(Item(program, IDC_URL), form.url) &&
              SetText(Item(program, IDC_DOWNLOAD_TO), form.destination) &&
              SetText(Item(program, IDC_OUTPUT_FILE), form.output);
    for (int v = 0; v < 3; v++)
        ok = ok && SetChecked(Item(program, kUse[v]), form.use[v]) &&
             SetText(Item(program, kStart[v]), form.start[v]) &&
             SetText(Item(program, kEnd[v]), form.end[v]);
    return ok;
}

// Registry.

const char kSettingsKey[] = "Software\\Veskaran Freeware\\Quorvel";

namespace {

struct DwordValue {
    const char* name;
    DWORD StoredSettings::*field;
};
struct LongValue {
    const char* name;
    LONG StoredSettings::*field;
};
struct TextValue {
    const char* name;
    std::string StoredSettings::*field;
};

const LongValue kLongValues[] = {{"posx", &StoredSettings::posx},
                                 {"posy", &StoredSettings::posy},
                                 {"width", &StoredSettings::width},
                                 {"height", &StoredSettings::height}};
const DwordValue kDwordValues[] = {{"version", &StoredSettings::version},
                                   {"flags", &StoredSettings::flags}};
const TextValue kTextValues[] = {{"Astart", &StoredSettings::Astart},
                                 {"Aend", &StoredSettings::Aend},
                                 {"Bstart", &StoredSettings::Bstart},
                                 {"Bend", &StoredSettings::Bend},
                                 {"Cstart", &StoredSettings::Cstart},
                                 {"Cend", &StoredSettings::Cend},
                                 {"URL", &StoredSettings::URL},
                                 {"DownloadDestination", &StoredSettings::DownloadDestination},
                                 {"Filename", &StoredSettings::Filename}};

bool ReadDword(HKEY key, const char* name, DWORD* value, std::string* problem) {
    DWORD type = 0, size = sizeof *value;
    LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    if (r != ERROR_SUCCESS || type != REG_DWORD || size != 4) {
        *problem += std::string(" ") + name + " is not a 4-byte REG_DWORD;";
        return false;
    }
    return true;
}

} // namespace

bool operator==(const StoredSettings& a, const StoredSettings& b) {
    return Describe(a) == Describe(b);
}

std::string Describe(const StoredSettings& s) {
    std::string d;
    char number[32];
    for (const auto& v : kLongValues) {
        snprintf(number, sizeof number, "%ld", (long)(s.*v.field));
        d += std::string(v.name) + "=" + number + " ";
    }
    for (const auto& v : kDwordValues) {
        snprintf(number, sizeof number, "%lu", (unsigned long)(s.*v.field));
        d += std::string(v.name) + "=" + number + " ";
    }
    for (const auto& v : kTextValues)
        d += std::string(v.name) + "='" + s.*v.field + "' ";
    return d;
}

bool SettingsKeyExists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void DeleteSettingsKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

void WriteSettingsKey(const StoredSettings& s) {
    DeleteSettingsKey();
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const auto& v : kLongValues) {
        DWORD d = static_cast<DWORD>(s.*v.field);
        RegSetValueExA(key, v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), 4);
    }
    for (const auto& v : kDwordValues)
        RegSetValueExA(key, v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&(s.*v.field)), 4);
    for (const auto& v : kTextValues) {
        const std::string& text = s.*v.field;
        RegSetValueExA(key, v.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }
    RegCloseKey(key);
}

bool ReadSettingsKey(StoredSettings* s, std::string* problem) {
    problem->clear();
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        *problem = "the key does not exist";
        return false;
    }
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                     nullptr, nullptr, nullptr);
    if (count != 15)
        *problem += " the key holds " + std::to_string(count) + " values, not 15;";
    for (const auto& v : kLongValues) {
        DWORD d = 0;
        if (ReadDword(key, v.name, &d, problem))
            s->*v.field = static_cast<LONG>(d);
    }
    for (const auto& v : kDwordValues)
        ReadDword(key, v.name, &(s->*v.field), problem);
    for (const auto& v : kTextValues) {
        char data[1024];
        DWORD type = 0, size = sizeof data;
        LONG r =
            RegQueryValueExA(key, v.name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        // REG_SZ data are the text and exactly one terminating zero.
        if (r != ERROR_SUCCESS || type != REG_SZ || size == 0 || data[size - 1] != '\0' ||
            strlen(data) + 1 != size) {
            *problem += std::string(" ") + v.name + " is not a terminated REG_SZ;";
            continue;
        }
        s->*v.field = data;
    }
    RegCloseKey(key);
    return problem->empty();
}

// Files.

std::string FreshFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string base = std::string(temp) + "quorvel-e2e";
    CreateDirectoryA(base.c_str(), nullptr);
    std::string folder = base + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& file : FolderFiles(folder)) {
        std::string path = folder + "\\" + file;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    return folder;
}

bool ReadBytes(const std::string& path, std::string* bytes) {
    bytes->clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
        bytes->append(buffer, got);
    CloseHandle(file);
    return ok;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderFiles(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string SystemMessage(DWORD error) {
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                   LANG_USER_DEFAULT, text, sizeof text, nullptr);
    return TrimRight(text);
}

} // namespace e2e
