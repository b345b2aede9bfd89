#include "notify/NotifyWndMgr.h"

#include <utility>

#include "config/Ini.h"
#include "notify/NotifyLayout.h"
#include "notify/NotifyWndSkinMgr.h"
#include "win/util/MainThread.h"

namespace tavelapp {

namespace {

// Without any monitor to ask: the primary work area at 96 DPI.
NotifyPlacement::Place primaryPlace() {
    RECT r{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    NotifyPlacement::Place p;
    p.work = NotifyLayout::Rect{r.left, r.top, r.right, r.bottom};
    p.anchoredBottom = NotifyLayout::anchoredAtBottom(p.work);
    return p;
}

}  // namespace

const wchar_t NotifyWndMgr::DummyParentWnd::kClassName[] = L"NotifyWndMgr_DummyParentWnd";

bool NotifyWndMgr::DummyParentWnd::create() {
    if (!registerClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW),
                       reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)))) {
        return false;
    }
    return Window::create(kClassName, L"", WS_OVERLAPPEDWINDOW, 0, nullptr) != nullptr;
}

NotifyWndMgr::NotifyWndMgr() : NotifyWndMgr(NotifyDesktop::system()) {}

NotifyWndMgr::NotifyWndMgr(std::shared_ptr<const NotifyDesktop> desktop) : desktop_(std::move(desktop)) {
    parent_.create();
}

NotifyPlacement::Place NotifyWndMgr::place() const {
    if (!desktop_) return primaryPlace();
    const std::optional<NotifyPlacement::Place> chosen =
        NotifyPlacement::place(desktop_->monitors(), desktop_->notificationArea());
    return chosen ? *chosen : primaryPlace();
}

void NotifyWndMgr::useOwnLook(std::shared_ptr<const Settings> settings) {
    if (!settings) return;
    if (!ownSkins_) ownSkins_ = std::make_unique<NotifyWndSkinMgr>();
    // Loaded again each time: the preview shows the skin's files as they are now.
    ownSkins_->load(settings->skin.id);
    ownSettings_ = std::move(settings);
}

std::shared_ptr<const Settings> NotifyWndMgr::settings() const { return ownSettings_ ? ownSettings_ : Ini::snapshot(); }

NotifyWndSkinMgr& NotifyWndMgr::skins() { return ownSkins_ ? *ownSkins_ : NotifyWndSkinMgr::instance(); }

NotifyWndMgr::~NotifyWndMgr() {
    // The windows go before their owner.
    windows_.clear();
    parent_.destroy();
}

void NotifyWndMgr::show(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind,
                        int displayTime) {
    tavel::win::util::MainThread::check("NotifyWndMgr::show");
    WindowList kept;
    for (const auto& window : windows_) {
        if (!window->isClosed()) kept.push_back(window);
    }
    windows_.swap(kept);
    kept.clear();
    if (desktop_ && NotifyPlacement::quiet(desktop_->notificationState())) return;

    const NotifyPlacement::Place where = place();
    const std::shared_ptr<const Settings> look = settings();
    auto window = std::make_shared<NotifyWnd>(skins().current(where.dpi), key, text, picture, kind, displayTime, look);
    window->setListener(this);
    if (!window->create(parent_.hwnd())) return;
    window->setAnchoredBottom(where.anchoredBottom);
    window->setTarget(RECT{0, 0, window->width(), window->height()});
    ::SetWindowPos(window->hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::ShowWindow(window->hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(window->hwnd());

    // The replaced window lives until the new one stands in its place, so the
    // stack never shows a gap.
    std::shared_ptr<NotifyWnd> replaced;
    if (!key.empty() && !look->notify.arrowContinuousNotify) {
        for (auto& listed : windows_) {
            if (listed->key() == key) {
                replaced = listed;
                listed = window;
                break;
            }
        }
    }
    if (!replaced) windows_.push_back(window);
    if (replaced) replaced->setListener(nullptr);
    layout();
}

void NotifyWndMgr::layout() {
    std::vector<NotifyLayout::Window> sizes;
    sizes.reserve(windows_.size());
    for (const auto& window : windows_) {
        const RECT& t = window->target();
        sizes.push_back(NotifyLayout::Window{t.right - t.left, t.bottom - t.top, window->isClosed()});
    }
    const NotifyPlacement::Place where = place();
    const auto targets = NotifyLayout::layout(where.work, where.anchoredBottom, settings()->notify.slideDir, sizes);
    for (std::size_t i = 0; i < windows_.size() && i < targets.size(); ++i) {
        if (!targets[i]) continue;
        const NotifyLayout::Rect& r = *targets[i];
        windows_[i]->setTarget(RECT{r.left, r.top, r.right, r.bottom});
        windows_[i]->applyProgress();
    }
}

void NotifyWndMgr::onNotifyWndEvent(NotifyWnd& window, int event) {
    layout();
    if (listener_ != nullptr) listener_->onNotifyWndEvent(*this, window, event);
}

}  // namespace tavelapp
