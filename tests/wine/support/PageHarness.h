// Hosts Streams pages in a modeless property sheet on the calling thread and presses on
// their controls as a user's hand would.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace tessaline::testing {

void Pump();
// Handles this thread's messages until `event` is set; false after `ms` without it.
bool PumpUntil(HANDLE event, DWORD ms = 10000);
void InitControls();

class Sheet {
public:
    // Shows pages made by AddPages in a modeless sheet.
    explicit Sheet(std::vector<HPROPSHEETPAGE> pages);
    // Takes over a sheet some other code has shown on this thread (the shell's own).
    explicit Sheet(HWND shown);
    ~Sheet();
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    void Close();
    // Brings page `index` to the front (creating it the first time) and takes its controls.
    void Select(int index);

    HWND sheet = nullptr;
    bool adopted = false;  // shown by other code, which runs its loop: closed by Cancel
    HWND page = nullptr;
    HWND list = nullptr;
    HWND view = nullptr;
    HWND del = nullptr;
    HWND pane = nullptr;

    std::vector<std::string> TabTitles() const;
    std::vector<std::string> Entries() const;
    int Selection() const;
    bool ViewEnabled() const { return IsWindowEnabled(view) != FALSE; }
    bool DeleteEnabled() const { return IsWindowEnabled(del) != FALSE; }
    std::string PaneText() const;

    int IndexOf(const std::string& entry) const;
    // Press and release the left button over entry `index`.
    void ClickEntry(int index);
    // Press and release over a button; a disabled button gets nothing, as on screen.
    void Press(HWND button);
    void PressView() { Press(view); }
    void PressDelete() { Press(del); }

private:
    void TakeControls();
};

// This thread's shown property sheet, or nullptr.
HWND FindShownSheet();

// Two Streams pages of `sheet` show `item`, whose streams "a" and "b" hold "stream a" and
// "stream b": "b" is selected on the first page and "a" on the second, then View and Delete
// on each page must act on that page's selection only.
void ExpectEachPageActsOnItsOwnSelection(Sheet& sheet, const std::wstring& item, int first, int second);

}  // namespace tessaline::testing
