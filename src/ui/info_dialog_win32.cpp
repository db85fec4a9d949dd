// The program information dialog: title, version, author line, where to look
// for updates, and the help line of every command-line option.
#include "ui/app_win32.h"

#include "cmdline/cmdline.h"
#include "ui/info_text.h"

static char InfoText[INFO_TEXT_SIZE];
static int InfoEditId;
static HWND InfoDialogWindow;

INT_PTR ShowInfoDialog(int id, const char* title, const char* version, const char* date,
                       const char* time) {
    InfoEditId = id;
    FormatInfoHeader(InfoText, sizeof InfoText, title, version, date, time);
    return DialogBoxParamA(g_instance, "DLG_HELP", g_mainDialog, InfoDialogProc, 0);
}

static void ReplaceSelection(const char* piece, void* edit) {
    SendMessageA((HWND)edit, EM_REPLACESEL, 0, (LPARAM)piece);
}

INT_PTR CALLBACK InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        InfoDialogWindow = dialog;
        HWND edit = GetDlgItem(dialog, InfoEditId);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        EmitInfoPieces(InfoText, OptionTable, OptionCount, ReplaceSelection, edit);
        return TRUE; // focus goes to the first tab stop, "ok"
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
        case IDABORT:
            EndDialog(InfoDialogWindow, 1);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
