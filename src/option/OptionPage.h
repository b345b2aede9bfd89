#pragma once
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "config/Ini.h"
#include "option/DlgItemSyncer.h"

namespace tavelapp {

class OptionSheet;

// One page of the options sheet, from a dialog template, editing the sheet's
// copy of the settings. Created by the sheet when first shown.
class OptionPage {
public:
    OptionPage(int templateId, const std::wstring& section, Ini& settings);
    OptionPage(const OptionPage&) = delete;
    OptionPage& operator=(const OptionPage&) = delete;
    virtual ~OptionPage() = default;

    void setSheet(OptionSheet* sheet) { sheet_ = sheet; }
    HPROPSHEETPAGE create();
    HWND hwnd() const { return hwnd_; }
    const std::wstring& title() const { return title_; }

protected:
    // After the controls were localised and the bound values shown.
    virtual void onInit() {}
    virtual bool onCommand(WORD, WORD, HWND) { return false; }
    virtual bool onNotify(NMHDR&) { return false; }
    // Before anything is stored; false keeps the sheet open on this page
    // (the page has told the user why and put the focus where it belongs).
    virtual bool validate() { return true; }
    // After the bound values were read back.
    virtual void apply() {}

    HWND item(int id) const { return ::GetDlgItem(hwnd_, id); }
    // Enables the sheet's Apply button.
    void changed();
    int ask(const std::wstring& captionKey, const std::wstring& textKey, UINT type) const;
    void enable(int id, bool on) const { ::EnableWindow(item(id), on ? TRUE : FALSE); }

    Ini& settings_;
    DlgItemSyncer syncer_;

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool onApply(const PSHNOTIFY& notice);

    int templateId_;
    std::wstring title_;
    HWND hwnd_ = nullptr;
    OptionSheet* sheet_ = nullptr;
    bool initialised_ = false;
};

}  // namespace tavelapp
