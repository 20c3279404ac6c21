// Resource and control ids of Kivrel3.dll, shared by its resource scripts, the page's
// code and the tests that press on the page. Preprocessor definitions only.
#pragma once

// The Streams page.
#define IDD_STREAMS_PAGE 106
#define IDC_STREAM_LIST 1000
#define IDC_VIEW 1001
#define IDC_DELETE 1002
#define IDC_VIEW_PANE 1003
