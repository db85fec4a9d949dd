// Start-up: apply the command-line options, then run the main dialog.
#include "ui/app_win32.h"

#include <commctrl.h>

#include "cmdline/cmdline.h"
#include "settings/settings_store.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_unrecognisedOptions[0] = '\0';
    ParseCommandLine(CommandTail(GetCommandLineA()), g_unrecognisedOptions);
    if (OptionTable[OPTION_RC].set)
        DeleteSettings(g_settingsStore);
    // Deleting happens even when -rd is also given; -rd only stops the load and the save.
    g_settingsStore.disabled = OptionTable[OPTION_RD].set;
    if (OptionTable[OPTION_PP].set)
        SetProcessPriorityIndex(OptionTable[OPTION_PP].value);

    g_instance = instance;
    InitCommonControls();
    DialogBoxParamA(instance, "DLG_QUORVEL", NULL, MainDialogProc, 0);
    return 0;
}
