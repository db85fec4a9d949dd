// qvshot: puts Quorvel on screen with realistic contents for the README's
// screenshots, in step with a script that takes the pictures.
//
//   qvshot quorvel.exe folder
//
// It fills the main dialog with a gallery download and runs it, writes
// folder\main.rect ("x y width height" of the dialog) and waits for
// folder\main.done; then opens Info, writes folder\info.rect and waits for
// folder\info.done; then closes both dialogs. Folders may be Unix paths.
#include <stdio.h>

#include <algorithm>
#include <string>

#include "e2e/driver_win32.h"
#include "resources/resource.h"

namespace {

using namespace e2e;

const DWORD kHandshakeTimeoutMs = 120000;

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Writes the window's rectangle for the script, then waits for its go-ahead.
bool Handshake(const std::string& folder, const char* name, HWND window) {
    RECT r = WindowRect(window);
    char line[64];
    snprintf(line, sizeof line, "%ld %ld %ld %ld\n", (long)r.left, (long)r.top,
             (long)(r.right - r.left), (long)(r.bottom - r.top));
    std::string rectFile = folder + "\\" + name + ".rect", partial = rectFile + ".part";
    // Written whole, then renamed, so the script never reads half a line.
    if (!WriteBytes(partial, line) ||
        !MoveFileExA(partial.c_str(), rectFile.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    std::string done = folder + "\\" + name + ".done";
    return WaitUntil([&] { return FileExists(done); }, kHandshakeTimeoutMs);
}

int Fail(Program* program, const char* what) {
    fprintf(stderr, "qvshot: %s\n", what);
    EndProgram(program);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: qvshot quorvel.exe folder\n");
        return 2;
    }
    SetProgramPath(argv[1]);
    std::string folder = WindowsPath(argv[2]);

    DeleteSettingsKey();
    CreateDirectoryA("C:\\downloads", nullptr);
    Program program;
    std::string error;
    if (!StartProgram("", &program, &error))
        return Fail(&program, error.c_str());

    Form form;
    form.url = "http://example.org/summer/img&A.jpg";
    form.destination = "C:\\downloads\\summer\\img&A.jpg";
    form.output = "C:\\downloads\\summer.grx";
    form.use[0] = true;
    form.start[0] = "001";
    form.end[0] = "120";
    if (!FillForm(program, form))
        return Fail(&program, "cannot fill the main dialog");
    std::string status = RunOnce(program);
    if (status != TEXT_CREATED)
        return Fail(&program, ("the run ended with: " + status).c_str());
    if (!Handshake(folder, "main", program.dialog))
        return Fail(&program, "no go-ahead after the main dialog");

    if (!PostClick(program.dialog, IDC_INFO))
        return Fail(&program, "cannot click Info");
    HWND info = nullptr;
    if (!WaitUntil([&] {
            info = FindProcessWindow(program.process.dwProcessId, "#32770",
                                     "Quorvel - Program Information");
            return info != nullptr;
        }))
        return Fail(&program, "no information dialog");
    if (!Handshake(folder, "info", info))
        return Fail(&program, "no go-ahead after the information dialog");

    PostClick(info, IDOK);
    WaitUntil([&] { return !IsWindow(info); });
    PostClick(program.dialog, IDC_EXIT);
    if (!WaitForExit(program))
        return Fail(&program, "Quorvel did not end");
    EndProgram(&program);
    return 0;
}
