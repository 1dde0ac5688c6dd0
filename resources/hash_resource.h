// Dialog templates and control ids of the hash module (shared by the .rc file and the code).
#pragma once

#define IDD_PROGRESS 1000
#define IDD_RESULTS 1001
#define IDD_VERIFY_DIGEST 1002
#define IDD_FORMATTING 1007

// Progress window
#define IDC_FILENAME_TEXT 1000
#define IDC_FILESIZE_TEXT 1001
#define IDC_PROGRESS_BAR 1002
#define IDC_BYTES_TEXT 1003
#define IDC_STATUS_TEXT 1004

// Results window
#define IDC_REPORT_VIEW 1003
#define IDC_SAVE_BUTTON 1006
#define IDC_COPY_BUTTON 1007

// Digest entry
#define IDC_DIGEST_EDIT 1000
