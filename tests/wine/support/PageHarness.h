// Hosts the Streams page in a modeless property sheet on the calling thread, with a test
// object answering SelectedFile, and presses on its controls as a user's hand would.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Interfaces.h"

namespace tessaline::testing {

class FakePage : public _Page {
public:
    explicit FakePage(std::wstring path) : path_(std::move(path)) {}
    LONG refs() const { return refs_; }
    int selectedFileCalls = 0;
    bool failSelectedFile = false;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }  // lives on the stack
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP get_SelectedFile(BSTR* pVal) override;

private:
    std::wstring path_;
    LONG refs_ = 1;
};

void Pump();
void InitControls();

class Sheet {
public:
    // Creates one page per object with the descriptor Kivrel3 uses (the template linked
    // into this program) and shows them in one modeless sheet, on this thread.
    explicit Sheet(FakePage& object) : Sheet(std::vector<FakePage*>{&object}) {}
    explicit Sheet(const std::vector<FakePage*>& objects);
    // Shows pages made elsewhere (by Kivrel3's AddPages) in a modeless sheet.
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
    // Press and release the left button over entry `index` (or below the last entry).
    void ClickEntry(int index);
    void ClickBelowEntries();
    // Press and release over a button; a disabled button gets nothing, as on screen.
    void Press(HWND button);
    void PressView() { Press(view); }
    void PressDelete() { Press(del); }
    void Key(HWND control, UINT vk);

private:
    void Show(std::vector<HPROPSHEETPAGE> pages);
    void TakeControls();
};

// This thread's shown property sheet, or nullptr.
HWND FindShownSheet();

// Two Streams pages of `sheet` show `item`, whose streams "a" and "b" hold "stream a" and
// "stream b": "b" is selected on the first page and "a" on the second, then View and Delete
// on each page must act on that page's selection only.
void ExpectEachPageActsOnItsOwnSelection(Sheet& sheet, const std::wstring& item, int first, int second);

}  // namespace tessaline::testing
