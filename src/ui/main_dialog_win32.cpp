// The main dialog: templates and ranges in, a generation run on a worker
// thread, the outcome in the status bar, settings restored and saved.
#include "ui/app_win32.h"

#include <atomic>
#include <initializer_list>
#include <commctrl.h>
#include <commdlg.h>
#include <stdio.h>
#include <string.h>

#include "cmdline/cmdline.h"
#include "generate/generation.h"
#include "resources/resource.h"
#include "settings/settings_store.h"
#include "ui/layout_win32.h"
#include "ui/priority.h"

HINSTANCE g_instance;
HWND g_mainDialog;
char g_unrecognisedOptions[OPTION_TEXT_SIZE];

static HANDLE s_worker;
static DWORD s_workerId;
static bool s_abortRequest;
static bool s_closing;
static std::atomic<bool> s_stopWorker;
static char s_statusText[256];
static char s_statusScratch[256];
static char s_fileTitle[256];
static HFONT s_font;

// How long closing waits for a run to stop before the dialog ends anyway.
static const DWORD kStopTimeoutMs = 5000;

void EnableStart(BOOL enable) {
    EnableWindow(GetDlgItem(g_mainDialog, IDC_START), enable);
}

void SetProcessPriorityIndex(int index) {
    SetPriorityClass(GetCurrentProcess(), ProcessPriorityClassFor(index));
}

void SetWorkerPriorityIndex(HANDLE thread, int index) {
    SetThreadPriority(thread, ThreadPriorityFor(index));
}

static void SetStatus(const char* text) {
    SetDlgItemTextA(g_mainDialog, IDC_STATUS, text);
}

static const char* LoadStatus(UINT id) {
    if (LoadStringA(g_instance, id, s_statusScratch, sizeof s_statusScratch) == 0)
        s_statusScratch[0] = '\0';
    return s_statusScratch;
}

// The variables' controls, in the order A, B, C.
static const struct {
    int useId, startId, endId;
} kVariableControls[VARIABLE_COUNT] = {
    {IDC_USE_A, IDC_A_START, IDC_A_END},
    {IDC_USE_B, IDC_B_START, IDC_B_END},
    {IDC_USE_C, IDC_C_START, IDC_C_END},
};

DWORD WINAPI GenerationWorker(LPVOID) {
    // Start and end texts are read with a capacity of 256 bytes (255 characters).
    static char texts[VARIABLE_COUNT][2][256];
    static char result[RESULT_TEXT_SIZE];
    HWND dialog = g_mainDialog;
    GetDlgItemTextA(dialog, IDC_OUTPUT_FILE, g_settings.Filename, sizeof g_settings.Filename);
    GetDlgItemTextA(dialog, IDC_DOWNLOAD_TO, g_settings.DownloadDestination,
                    sizeof g_settings.DownloadDestination);
    GetDlgItemTextA(dialog, IDC_URL, g_settings.URL, sizeof g_settings.URL);

    VariableSwitch switches[VARIABLE_COUNT];
    for (int v = 0; v < VARIABLE_COUNT; v++) {
        switches[v].enabled = IsDlgButtonChecked(dialog, kVariableControls[v].useId) == BST_CHECKED;
        texts[v][0][0] = texts[v][1][0] = '\0';
        if (switches[v].enabled) {
            GetDlgItemTextA(dialog, kVariableControls[v].startId, texts[v][0], sizeof texts[v][0]);
            GetDlgItemTextA(dialog, kVariableControls[v].endId, texts[v][1], sizeof texts[v][1]);
        }
        switches[v].startText = texts[v][0];
        switches[v].endText = texts[v][1];
    }
    RunGeneration(g_settings, switches, &s_stopWorker, result);
    // Synchronous: the dialog has shown the text before this thread touches it again.
    SendMessageA(dialog, WM_USER, RUN_DONE_CODE, (LPARAM)result);
    return 0;
}

static void StartRequest() {
    if (s_worker) {
        s_abortRequest = true; // one run at a time
        return;
    }
    s_stopWorker = false;
    s_worker = CreateThread(NULL, 0, GenerationWorker, NULL, 0, &s_workerId);
    const char* text;
    if (!s_worker) {
        text = LoadStatus(IDS_THREAD_FAILED);
    } else {
        text = LoadStatus(IDS_WORKING);
        EnableStart(FALSE);
        if (OptionTable[OPTION_PT].set)
            SetWorkerPriorityIndex(s_worker, OptionTable[OPTION_PT].value);
    }
    SetStatus(text);
}

static void RunDone(LPARAM text) {
    const char* loaded;
    if (s_abortRequest) {
        loaded = LoadStatus(IDS_ABORTED);
        s_abortRequest = false;
    } else {
        loaded = LoadStatus(IDS_ENDED);
    }
    SetStatus(text ? (const char*)text : loaded);
    if (s_closing)
        return; // closing owns the handle and waits for the thread's end
    if (s_worker)
        CloseHandle(s_worker);
    s_worker = NULL;
    EnableStart(TRUE);
}

static void Browse() {
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    // The user's choice goes to the record only when confirmed.
    char file[SETTINGS_LONG_TEXT];
    memcpy(file, g_settings.Filename, sizeof file);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = g_mainDialog;
    ofn.lpstrFilter = "GRX files\0*.grx\0All files\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = s_fileTitle;
    ofn.nMaxFileTitle = sizeof s_fileTitle;
    ofn.lpstrTitle = "GRX output file";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "grx";
    if (GetSaveFileNameA(&ofn)) {
        file[sizeof file - 1] = '\0';
        memcpy(g_settings.Filename, file, sizeof file);
        SetDlgItemTextA(g_mainDialog, IDC_OUTPUT_FILE, g_settings.Filename);
    }
}

// The window rectangle to keep: the restored one for a minimised or
// maximised dialog, which would otherwise reopen as an icon-sized sliver.
static RECT NormalWindowRect(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    if (!IsIconic(window) && !IsZoomed(window))
        return rect;
    WINDOWPLACEMENT placement;
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement))
        return rect;
    // The normal position is in work-area coordinates; move it to the screen's.
    rect = placement.rcNormalPosition;
    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY), &monitor))
        OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left,
                   monitor.rcWork.top - monitor.rcMonitor.top);
    return rect;
}

static void Restore(HWND dialog) {
    RECT saved = {g_settings.posx, g_settings.posy, g_settings.posx + g_settings.width,
                  g_settings.posy + g_settings.height};
    if (MonitorFromRect(&saved, MONITOR_DEFAULTTONULL)) {
        MoveWindow(dialog, g_settings.posx, g_settings.posy, g_settings.width, g_settings.height,
                   TRUE);
    } else {
        // On no monitor any more: keep the template position, take the size.
        RECT now;
        GetWindowRect(dialog, &now);
        MoveWindow(dialog, now.left, now.top, g_settings.width, g_settings.height, TRUE);
    }
    static const struct {
        int id;
        const char* text;
    } texts[] = {
        {IDC_URL, g_settings.URL},
        {IDC_DOWNLOAD_TO, g_settings.DownloadDestination},
        {IDC_OUTPUT_FILE, g_settings.Filename},
        {IDC_A_START, g_settings.Astart},
        {IDC_B_START, g_settings.Bstart},
        {IDC_C_START, g_settings.Cstart},
        {IDC_A_END, g_settings.Aend},
        {IDC_B_END, g_settings.Bend},
        {IDC_C_END, g_settings.Cend},
    };
    for (const auto& t : texts)
        SetDlgItemTextA(dialog, t.id, t.text);
    static const uint32_t bits[VARIABLE_COUNT] = {FLAG_USE_A, FLAG_USE_B, FLAG_USE_C};
    for (int v = 0; v < VARIABLE_COUNT; v++)
        CheckDlgButton(dialog, kVariableControls[v].useId,
                       (g_settings.flags & bits[v]) ? BST_CHECKED : BST_UNCHECKED);
}

static void InitDialog(HWND dialog) {
    g_mainDialog = dialog;
    g_layoutDialog = dialog;
    SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)LoadIconA(g_instance, "MyWinIcon"));
    LayoutCapture();

    if (!s_font)
        s_font = CreateFontA(15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, "Courier New");
    for (int id : {IDC_URL, IDC_DOWNLOAD_TO, IDC_OUTPUT_FILE})
        SendDlgItemMessageA(dialog, id, WM_SETFONT, (WPARAM)s_font, FALSE);

    if (LoadSettings(g_settingsStore))
        Restore(dialog);

    if (g_unrecognisedOptions[0] != '\0') {
        char format[256];
        if (LoadStringA(g_instance, IDS_BAD_OPTIONS, format, sizeof format) == 0)
            format[0] = '\0';
        snprintf(s_statusText, sizeof s_statusText, format, g_unrecognisedOptions);
        SetStatus(s_statusText);
    }
}

// Asks a running worker to stop at its next entry and waits for its end,
// serving its reads of the dialog and its completion notice meanwhile. The
// worker then removes its temporary file and the chosen file keeps its bytes.
static void StopWorker() {
    if (!s_worker)
        return;
    s_closing = true;
    s_stopWorker = true;
    HANDLE worker = s_worker;
    DWORD deadline = GetTickCount() + kStopTimeoutMs;
    for (;;) {
        DWORD now = GetTickCount();
        DWORD left = (int32_t)(deadline - now) > 0 ? deadline - now : 0;
        DWORD r = MsgWaitForMultipleObjects(1, &worker, FALSE, left, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1)
            break; // the thread ended, or the time is up
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    CloseHandle(worker);
    s_worker = NULL;
}

static void Close(HWND dialog) {
    RECT rect = NormalWindowRect(dialog);
    g_settings.posx = rect.left < 0 ? 0 : rect.left;
    g_settings.posy = rect.top < 0 ? 0 : rect.top;
    g_settings.width = rect.right - rect.left;
    g_settings.height = rect.bottom - rect.top;
    static const struct {
        int id;
        char* field;
    } texts[] = {
        {IDC_A_START, g_settings.Astart}, {IDC_B_START, g_settings.Bstart},
        {IDC_C_START, g_settings.Cstart}, {IDC_A_END, g_settings.Aend},
        {IDC_B_END, g_settings.Bend},     {IDC_C_END, g_settings.Cend},
    };
    for (const auto& t : texts)
        GetDlgItemTextA(dialog, t.id, t.field, SETTINGS_SHORT_TEXT);
    g_settings.flags = 0;
    static const uint32_t bits[VARIABLE_COUNT] = {FLAG_USE_A, FLAG_USE_B, FLAG_USE_C};
    for (int v = 0; v < VARIABLE_COUNT; v++)
        if (IsDlgButtonChecked(dialog, kVariableControls[v].useId) == BST_CHECKED)
            g_settings.flags |= bits[v];
    g_settings.version = PROGRAM_VERSION;

    // The user sees the dialog go at once; a run still going is stopped behind it.
    ShowWindow(dialog, SW_HIDE);
    StopWorker();
    SaveSettings(g_settingsStore);
    EndDialog(dialog, IDOK);
}

static BOOL Command(HWND dialog, WORD id) {
    switch (id) {
    case IDC_BROWSE:
        Browse();
        return TRUE;
    case IDC_START:
    case IDOK:
        StartRequest();
        return TRUE;
    case IDC_INFO: {
        char version[32];
        snprintf(version, sizeof version, "Version %u.%2.2u", 0u, (unsigned)PROGRAM_VERSION);
        ShowInfoDialog(IDC_INFO_TEXT, "Quorvel for GetRight", version, g_buildDate, g_buildTime);
        return TRUE;
    }
    case IDC_EXIT:
    case IDCANCEL:
    case IDABORT:
        Close(dialog);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        return Command(dialog, LOWORD(wParam));
    case WM_USER:
        if (LOWORD(wParam) == RUN_DONE_CODE)
            RunDone(lParam);
        return TRUE;
    }
    return LayoutMessageProc(message, wParam, lParam);
}
