// State and routines shared by the program's Win32 front end.
#ifndef QUORVEL_APP_WIN32_H
#define QUORVEL_APP_WIN32_H

#include <windows.h>

#include "cmdline/cmdline.h"

extern HINSTANCE g_instance;     // the program's module: dialogs, icon, strings
extern HWND g_mainDialog;        // the main dialog, from WM_INITDIALOG on
extern const char g_buildDate[]; // "Oct 12 2008"
// Options the command line did not recognise; shown once when the dialog opens.
extern char g_unrecognisedOptions[OPTION_TEXT_SIZE];
extern const char g_buildTime[]; // "16:31:20"

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void EnableStart(BOOL enable);
void SetProcessPriorityIndex(int index);
void SetWorkerPriorityIndex(HANDLE thread, int index);
DWORD WINAPI GenerationWorker(LPVOID parameter);

// The information dialog; returns the dialog's result (1 when it was closed).
INT_PTR ShowInfoDialog(int id, const char* title, const char* version, const char* date,
                       const char* time);
INT_PTR CALLBACK InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
