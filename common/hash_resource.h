// The hash module's windows: template and control ids, captions and the texts that find them. Read
// by resources/hash.rc as well as by the module, the host and the tests, so it holds macros and,
// for code only, constants.
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

// The progress window's caption until a batch run gives it its title.
#define PROGRESS_CAPTION "Hashing File(s)..."
#define VERIFY_DIGEST_CAPTION "Message Digest to Verify"
#define FORMATTING_TEXT "Formatting output..."

#ifndef RC_INVOKED
namespace corvane {

// The batch run's titles of the progress window.
inline constexpr char kProgressTitleOneFile[] = "Hashing File...";
inline constexpr char kProgressTitleFiles[] = "Hashing Files...";

} // namespace corvane
#endif
