#pragma once
// Identifiers shared by the resource script and the dialog procedures.

#define IDI_APP 1            // the program's icon; the lowest id, so Explorer shows it
#define IDD_WELCOME 103
#define IDD_PROGRESS 104
#define IDB_BANNER 130

#define IDC_SUMMARY 1000
#define IDC_PROGRESS 1003
#define IDC_STATUS 1005
#define IDC_EXIT 1007
#define IDC_AREA 1010
#define IDC_PACKAGE_PATH 1011  // the welcome page's line with the package's path
#define IDC_LOG_POINTER 1012   // the progress page's line with the log's path, after a failure
#define IDC_FINGERPRINT 1013   // the welcome page's line with the package's SHA-256

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
