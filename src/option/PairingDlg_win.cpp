#include "option/PairingDlg.h"

#include <algorithm>
#include <memory>

#include <qrcodegen.hpp>

#include "config/DialogLocalizer.h"
#include "config/Lang.h"
#include "config/LossNotice.h"
#include "res/resource.h"
#include "web/LocalAddresses.h"
#include "web/WebServer.h"
#include "win/util/CallbackGuard.h"
#include "win/util/MainThread.h"
#include "win/util/TextCodec.h"

namespace tavelapp {
namespace {

using tavel::win::util::utf8ToWide;

// A scanner needs at least four modules of light border around the code.
const int kQuietModules = 4;
// Pixels per module at 96 DPI, the least that a phone reads at arm's length.
const int kModulePixels = 5;

std::unique_ptr<PairingDlg> open;

std::wstring text(const wchar_t* key) { return Lang::instance().text(L"PairingDlg", key); }

}  // namespace

HWND PairingDlg::window() { return open ? open->window_ : nullptr; }

bool PairingDlg::show(const std::string& requester, unsigned turnedOnPort) {
    tavel::win::util::MainThread::check("PairingDlg::show");
    if (!WebServer::openPairing(requester)) return false;
    // One that closed itself and waits to go makes way for the new one.
    if (open && open->window_ == nullptr) open.reset();
    if (!open) {
        std::unique_ptr<PairingDlg> dialog(new PairingDlg());
        dialog->turnedOnPort_ = turnedOnPort;
        dialog->tick_.setListener(dialog.get());
        ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PAIRING), nullptr, &dialogProc,
                             reinterpret_cast<LPARAM>(dialog.get()));
        if (dialog->window_ == nullptr) {
            WebServer::closePairing();
            return false;
        }
        open = std::move(dialog);
    } else if (turnedOnPort != 0) {
        open->turnedOnPort_ = turnedOnPort;
    }
    open->pairedShown_ = 0;
    ::SendDlgItemMessageW(open->window_, IDC_PAIR_PAIRED, LB_RESETCONTENT, 0, 0);
    open->refresh();
    if (open->window_ == nullptr) return false;
    ::ShowWindow(open->window_, SW_SHOW);
    ::SetForegroundWindow(open->window_);
    return true;
}

PairingDlg::~PairingDlg() {
    tick_.stop();
    tick_.setListener(nullptr);
    if (window_ != nullptr) ::DestroyWindow(window_);
}

INT_PTR CALLBACK PairingDlg::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return tavel::win::util::guardedOr<INT_PTR>("PairingDlg", FALSE, [&]() -> INT_PTR {
        if (message == WM_INITDIALOG) {
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<PairingDlg*>(lParam)->onInit(dialog);
            return TRUE;
        }
        auto* self = reinterpret_cast<PairingDlg*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (self == nullptr) return FALSE;
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) != IDCANCEL && LOWORD(wParam) != IDOK) return FALSE;
                self->close();
                return TRUE;
            case WM_CLOSE:
                self->close();
                return TRUE;
            case WM_DRAWITEM: {
                const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                if (item->CtlID != IDC_PAIR_QR) return FALSE;
                self->drawCode(*item);
                return TRUE;
            }
            case WM_NCDESTROY:
                self->window_ = nullptr;
                return FALSE;
            default:
                return FALSE;
        }
    });
}

void PairingDlg::onInit(HWND dialog) {
    window_ = dialog;
    localizeDialog(dialog, L"PairingDlg");
    // The code in a font a person reads from a step away.
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font);
    font.lfHeight = font.lfHeight * 2;
    font.lfWeight = FW_BOLD;
    HFONT large = ::CreateFontIndirectW(&font);
    if (large != nullptr) {
        ::SendDlgItemMessageW(dialog, IDC_PAIR_CODE, WM_SETFONT, reinterpret_cast<WPARAM>(large), FALSE);
        // Freed with the window.
        ::SetPropW(dialog, L"KolibrixCodeFont", large);
    }
    if (!tick_.start(500)) LossNotice::timerRefused();
}

void PairingDlg::refresh() {
    WebServer::Pairing pairing;
    if (!WebServer::pairing(pairing) || !pairing.window.open) {
        close();
        return;
    }
    const PairingStore::Window& w = pairing.window;
    const std::string address = pairing.addresses.empty() ? std::string("127.0.0.1") : pairing.addresses.front();
    const std::string link = LocalAddresses::url(address, pairing.port, "#pair=" + w.ticket);
    if (link != link_) {
        link_ = link;
        modules_.clear();
        size_ = 0;
        try {
            const qrcodegen::QrCode qr = qrcodegen::QrCode::encodeText(link.c_str(), qrcodegen::QrCode::Ecc::MEDIUM);
            size_ = qr.getSize();
            modules_.resize(static_cast<std::size_t>(size_ * size_));
            for (int y = 0; y < size_; ++y) {
                for (int x = 0; x < size_; ++x)
                    modules_[static_cast<std::size_t>(y * size_ + x)] = qr.getModule(x, y);
            }
        } catch (const std::exception&) {
            // Too long to encode (never for an address and a ticket): the addresses below still serve.
        }
        ::InvalidateRect(::GetDlgItem(window_, IDC_PAIR_QR), nullptr, TRUE);
        std::wstring lines;
        for (const std::string& each : pairing.addresses)
            lines += utf8ToWide(LocalAddresses::url(each, pairing.port, std::string())) + L"\r\n";
        if (!pairing.computerName.empty())
            lines += utf8ToWide(LocalAddresses::url(pairing.computerName, pairing.port, std::string()));
        ::SetDlgItemTextW(window_, IDC_PAIR_ADDRESSES, lines.c_str());
    }
    if (w.code != code_) {
        code_ = w.code;
        ::SetDlgItemTextW(window_, IDC_PAIR_CODE, utf8ToWide(code_.substr(0, 3) + " " + code_.substr(3)).c_str());
        const std::wstring owner =
            w.codeOwner.empty() ? text(L"CodeForAnyone") : formatText(text(L"CodeForDevice"), utf8ToWide(w.codeFor));
        ::SetDlgItemTextW(window_, IDC_PAIR_CODEFOR, owner.c_str());
    }
    for (; pairedShown_ < w.paired.size(); ++pairedShown_) {
        ::SendDlgItemMessageW(window_, IDC_PAIR_PAIRED, LB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(w.paired[pairedShown_].c_str()));
    }
    const std::wstring note =
        turnedOnPort_ != 0 ? formatText(text(L"TurnedOn"), std::to_wstring(turnedOnPort_)) : std::wstring();
    ::SetDlgItemTextW(window_, IDC_PAIR_NOTE, note.c_str());
    const long long seconds = (w.remainingMs + 999) / 1000;
    const std::wstring left =
        formatText(text(L"Remaining"), std::to_wstring(seconds / 60) + L":" + (seconds % 60 < 10 ? L"0" : L"") +
                                           std::to_wstring(seconds % 60));
    ::SetDlgItemTextW(window_, IDC_PAIR_REMAINING, left.c_str());
}

void PairingDlg::drawCode(const DRAWITEMSTRUCT& item) const {
    const RECT& area = item.rcItem;
    HBRUSH light = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    HBRUSH dark = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    ::FillRect(item.hDC, &area, light);
    if (size_ == 0) return;
    // Whole pixels per module, as large as the control allows (it grows
    // with the dialog's font, so with the screen's DPI), and never below
    // the smallest that scans.
    const int wide = static_cast<int>(area.right - area.left), high = static_cast<int>(area.bottom - area.top);
    const int side = std::min(wide, high);
    const int dpi = ::GetDeviceCaps(item.hDC, LOGPIXELSX);
    const int least = ::MulDiv(kModulePixels, dpi > 0 ? dpi : 96, 96);
    const int module = std::max(least, side / (size_ + 2 * kQuietModules));
    const int width = module * (size_ + 2 * kQuietModules);
    const int left = static_cast<int>(area.left) + std::max(0, (wide - width) / 2) + kQuietModules * module;
    const int top = static_cast<int>(area.top) + std::max(0, (high - width) / 2) + kQuietModules * module;
    for (int y = 0; y < size_; ++y) {
        for (int x = 0; x < size_; ++x) {
            if (!modules_[static_cast<std::size_t>(y * size_ + x)]) continue;
            const RECT cell{left + x * module, top + y * module, left + (x + 1) * module, top + (y + 1) * module};
            ::FillRect(item.hDC, &cell, dark);
        }
    }
}

void PairingDlg::onTimer(tavel::win::timer::Timer&) { refresh(); }

void PairingDlg::close() {
    tick_.stop();
    WebServer::closePairing();
    if (window_ != nullptr) {
        HANDLE font = ::RemovePropW(window_, L"KolibrixCodeFont");
        ::DestroyWindow(window_);
        if (font != nullptr) ::DeleteObject(font);
    }
    // Not from within this object's own call chain: the window is gone, the object goes next.
    PairingDlg* self = this;
    static_cast<void>(tavel::win::util::MainThread::post([self] {
        if (open.get() == self) open.reset();
    }));
}

}  // namespace tavelapp
