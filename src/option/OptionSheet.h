#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "config/Ini.h"

namespace tavelapp {

class OptionPage;
class OptionGeneralPage;
class OptionHotKeyPage;
class OptionJoyPage;
class OptionWiimotePage;
class OptionIRComPage;
class OptionNotifyPage;
class OptionArtworkPage;
class OptionDetailPage;

// The common controls the options dialogs use (the hot-key field among them).
void registerControls();

// The options property sheet over a copy of the settings. OK keeps every
// page's edits, Apply keeps them so far, Cancel drops what was not applied.
class OptionSheet {
public:
    // Posted to a page once the pages have answered an Apply.
    static const UINT kAppliedMessage = WM_APP + 0x118;

    explicit OptionSheet(const Ini& settings);
    ~OptionSheet();
    OptionSheet(const OptionSheet&) = delete;
    OptionSheet& operator=(const OptionSheet&) = delete;

    // While an options sheet exists.
    static bool exists();
    // "Pair a phone" was chosen on a page: the sheet closes with OK and the
    // pairing window opens once the web remote runs again. Taking clears it.
    static void askPairing();
    static bool takePairingAsked();

    // Modal over owner; true when there is something to keep (OK, or Apply
    // before Cancel), which result() then holds.
    bool show(HWND owner);
    const Ini& result() const;
    Ini& settings() { return settings_; }
    HWND hwnd() const { return hwnd_; }

    // From the pages.
    void onPageApplied(HWND page, bool valid, bool byOk);
    void onApplyDone();
    void onCancelled() { cancelled_ = true; }

private:
    static int CALLBACK callback(HWND sheet, UINT message, LPARAM lParam);

    Ini settings_;
    std::unique_ptr<OptionGeneralPage> generalPage_;
    std::unique_ptr<OptionHotKeyPage> hotKeyPage_;
    std::unique_ptr<OptionJoyPage> joyPage_;
    std::unique_ptr<OptionWiimotePage> wiimotePage_;
    std::unique_ptr<OptionIRComPage> irComPage_;
    std::unique_ptr<OptionNotifyPage> notifyPage_;
    std::unique_ptr<OptionArtworkPage> artworkPage_;
    std::unique_ptr<OptionDetailPage> detailPage_;
    std::wstring title_;
    std::vector<OptionPage*> shown_;  // in tab order

    std::unique_ptr<Ini> applied_;
    HWND hwnd_ = nullptr;
    bool cancelled_ = false;
    bool applyPending_ = false;
    bool applyRefused_ = false;
};

}  // namespace tavelapp
