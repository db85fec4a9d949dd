// Test fixture for the end-to-end tests: one quorvel.exe per test (or one at a
// time), ended in teardown whatever happened.
#ifndef QUORVEL_E2E_FIXTURE_WIN32_H
#define QUORVEL_E2E_FIXTURE_WIN32_H

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "e2e/driver_win32.h"
#include "resources/resource.h"

namespace e2e {

// The ways a user closes a dialog.
enum class CloseWay { ExitButton, EscapeKey, CloseBox };

inline const char* Name(CloseWay way) {
    switch (way) {
    case CloseWay::ExitButton:
        return "Exit button";
    case CloseWay::EscapeKey:
        return "Escape key";
    case CloseWay::CloseBox:
        return "close box";
    }
    return "?";
}

class ProgramTest : public ::testing::Test {
  protected:
    void TearDown() override {
        Release();
        EndProgram(&program_);
        EndChildProcesses();
    }

    // Starts quorvel.exe with the tail; fails the test if no dialog comes up.
    void Start(const std::string& tail = "") {
        EndProgram(&program_);
        std::string error;
        ASSERT_TRUE(StartProgram(tail, &program_, &error)) << error;
    }

    // Closes the main dialog the given way and waits for the process to end.
    void Close(CloseWay way = CloseWay::ExitButton) {
        ASSERT_TRUE(RequestClose(way)) << Name(way);
        ASSERT_TRUE(WaitForExit(program_)) << "still running after the " << Name(way);
    }

    bool RequestClose(CloseWay way) {
        switch (way) {
        case CloseWay::ExitButton:
            return PostClick(program_.dialog, IDC_EXIT);
        case CloseWay::EscapeKey:
            return PressKeyIn(program_.dialog, IDC_URL, VK_ESCAPE);
        case CloseWay::CloseBox:
            return PostMessageA(program_.dialog, WM_SYSCOMMAND, SC_CLOSE, 0) != 0;
        }
        return false;
    }

    // Lets a thread held with HoldNewThread go on.
    void Release() {
        if (held_) {
            ResumeThread(held_);
            CloseHandle(held_);
            held_ = nullptr;
        }
    }

    Program program_;
    HANDLE held_ = nullptr;
};

// A run of a million short entries: long enough for its worker to be caught
// and held (HoldNewThread) before it is done.
inline Form MillionEntryRun(const std::string& output) {
    Form form;
    form.url = "img&A.jpg";
    form.destination = "C:\\dl\\&A.jpg";
    form.output = output;
    form.use[0] = true;
    form.start[0] = "0000000";
    form.end[0] = "0999999";
    return form;
}

inline std::string MillionEntryList() {
    std::string list;
    char entry[64];
    for (int a = 0; a <= 999999; a++) {
        int n =
            snprintf(entry, sizeof entry, "URL: img%07d.jpg\r\nFile: C:\\dl\\%07d.jpg\r\n", a, a);
        list.append(entry, n);
    }
    return list;
}

} // namespace e2e

#endif
