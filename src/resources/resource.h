// Control, string and resource identifiers of Quorvel, shared by the resource
// script and the C++ sources. Plain #defines only: windres reads this file too.
#ifndef QUORVEL_RESOURCE_H
#define QUORVEL_RESOURCE_H

// Main dialog controls.
#define IDC_URL 101
#define IDC_DOWNLOAD_TO 102
#define IDC_STATUS 103
#define IDC_OUTPUT_FILE 104
#define IDC_A_START 105
#define IDC_B_START 106
#define IDC_C_START 107
#define IDC_A_END 108
#define IDC_B_END 109
#define IDC_C_END 110
#define IDC_BROWSE 200
#define IDC_INFO 201
#define IDC_START 202
#define IDC_EXIT 203
#define IDC_VARIABLES 300
#define IDC_START_LABEL 301
#define IDC_END_LABEL 302
#define IDC_URL_LABEL 303
#define IDC_DOWNLOAD_LABEL 304
#define IDC_USE_A 400
#define IDC_USE_B 401
#define IDC_USE_C 402

// Information dialog: its text box shares the id 109 with IDC_B_END.
#define IDC_INFO_TEXT 109

// String table.
#define IDS_INVALID_NUMBER 502
#define IDS_DIGITS_DIFFER 503
#define IDS_BAD_OPTIONS 505
#define IDS_CREATED 506
#define IDS_ABORTED 507
#define IDS_ENDED 508
#define IDS_THREAD_FAILED 509
#define IDS_WORKING 510
#define IDS_LINE_TOO_LONG 511

#define TEXT_INVALID_NUMBER "Invalid number"
#define TEXT_DIGITS_DIFFER "Number of digits for start and end must be equal"
#define TEXT_BAD_OPTIONS "Invalid command line parameter(s) \"%s\""
#define TEXT_CREATED "Output file has been successfully created"
#define TEXT_ABORTED "aborted!"
#define TEXT_ENDED "program ended normally"
#define TEXT_THREAD_FAILED "fatal error - thread could not be started"
#define TEXT_WORKING "working..."
#define TEXT_LINE_TOO_LONG "Expanded line is longer than 256 characters"

// Completion notice from the worker: WM_USER with this code in wParam.
#define RUN_DONE_CODE 601

#define PROGRAM_VERSION 10

#endif
