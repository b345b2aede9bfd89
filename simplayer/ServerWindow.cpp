#include "ServerWindow.h"

#include <cwchar>
#include <utility>
#include <vector>

#include "PlayerIds.h"
#include "PlaylistLookup.h"

namespace simplayer {

using namespace tavelapp::itunes;

namespace {

const UINT kEventsMessage = WM_APP + 1;
const UINT_PTR kTickTimer = 1;
const UINT kTickMs = 100;
const int kClientWidth = 420;
const int kClientHeight = 300;

std::wstring minutesSeconds(long seconds) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%ld:%02ld", seconds / 60, seconds % 60);
    return text;
}

std::wstring onOff(bool on) { return on ? L"on" : L"off"; }

std::wstring stateText(const model::PlayerModel::Status& s) {
    switch (s.state) {
        case Playing:
            return L"Playing";
        case FastForwarding:
            return L"Fast forward";
        case Rewinding:
            return L"Rewind";
        default:
            return (s.currentTrackId != 0 && s.positionMs > 0) ? L"Paused" : L"Stopped";
    }
}

std::wstring repeatText(long repeat) {
    switch (repeat) {
        case RepeatOne:
            return L"One";
        case RepeatAll:
            return L"All";
        default:
            return L"Off";
    }
}

// An off-screen copy of the window so that a repaint never flickers.
class BackBuffer {
public:
    BackBuffer(HDC target, int width, int height)
        : dc_(::CreateCompatibleDC(target)), bitmap_(::CreateCompatibleBitmap(target, width, height)) {
        if (dc_ != nullptr && bitmap_ != nullptr) old_ = ::SelectObject(dc_, bitmap_);
    }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    ~BackBuffer() {
        if (old_ != nullptr) ::SelectObject(dc_, old_);
        if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
        if (dc_ != nullptr) ::DeleteDC(dc_);
    }
    bool ok() const { return old_ != nullptr; }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

ServerWindow::ServerWindow(std::shared_ptr<model::PlayerModel> model, std::shared_ptr<EventHub> hub, std::wstring note,
                           std::function<void()> onShutdown)
    : model_(std::move(model)),
      app_(model_->app()),
      hub_(std::move(hub)),
      note_(std::move(note)),
      onShutdown_(std::move(onShutdown)),
      control_(*hub_) {}

ServerWindow::~ServerWindow() { hub_->setWake(nullptr); }

bool ServerWindow::open() {
    if (!registerClass(kWindowClass, ::LoadCursorW(nullptr, IDC_ARROW), nullptr)) return false;
    auto font = [](int height, int weight) {
        return Font(::CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
    };
    textFont_ = font(18, FW_NORMAL);
    boldFont_ = font(18, FW_BOLD);
    titleFont_ = font(24, FW_BOLD);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    if (create(kWindowClass, L"simplayer", style, 0, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
               frame.bottom - frame.top) == nullptr) {
        return false;
    }
    // Events are fired from the message loop; one posted message wakes it, a
    // lost one is made up for by the next tick.
    const HWND window = hwnd();
    hub_->setWake([window] { ::PostMessageW(window, kEventsMessage, 0, 0); });
    lastTick_ = ::GetTickCount();
    shown_ = describe();
    ::SetTimer(window, kTickTimer, kTickMs, nullptr);
    // Shown without taking the focus from whatever the user (or a test) works in.
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::UpdateWindow(window);
    return true;
}

LRESULT ServerWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == kTickTimer) onTick();
            return 0;
        case kEventsMessage:
            fireEvents();
            return 0;
        case WM_COPYDATA:
            return onCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_CLOSE:
            // Closing the player's window quits the player.
            app_->quit();
            shutDown();
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd(), &ps);
            RECT area;
            ::GetClientRect(hwnd(), &area);
            BackBuffer buffer(dc, area.right, area.bottom);
            if (buffer.ok()) {
                paint(buffer.dc(), area);
                ::BitBlt(dc, 0, 0, area.right, area.bottom, buffer.dc(), 0, 0, SRCCOPY);
            } else {
                paint(dc, area);
            }
            ::EndPaint(hwnd(), &ps);
            return 0;
        }
        default:
            return defaultHandling(message, wParam, lParam);
    }
}

void ServerWindow::onTick() {
    const DWORD now = ::GetTickCount();
    const DWORD elapsed = now - lastTick_;
    lastTick_ = now;
    if (model_->running()) model_->advance(static_cast<long>(elapsed));
    fireEvents();
}

void ServerWindow::fireEvents() {
    hub_->fireWaiting();
    if (!model_->running()) {
        shutDown();
        return;
    }
    refresh();
}

LRESULT ServerWindow::onCopyData(const COPYDATASTRUCT* data) {
    if (data == nullptr || data->dwData != ServerControl::kControlDataId) return 0;
    if (data->cbData > 0 && data->lpData == nullptr) return 0;
    try {
        std::wstring command(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        // A sender may count the terminating NUL in.
        while (!command.empty() && command.back() == L'\0')
            command.pop_back();
        return control_.execute(command) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void ServerWindow::shutDown() {
    if (shuttingDown_) return;
    shuttingDown_ = true;
    ::KillTimer(hwnd(), kTickTimer);
    // The clients hear of the quit before the class object goes.
    hub_->fireWaiting();
    if (onShutdown_) onShutdown_();
    destroy();
}

ServerWindow::Display ServerWindow::describe() const {
    const model::PlayerModel::Status s = model_->status();
    const TrackPtr track = s.currentTrackId != 0 ? app_->currentTrack() : nullptr;
    const PlaylistPtr selected = findPlaylist(*app_, s.selectedPlaylistId);

    Display d;
    d.playing = s.state == Playing;
    d.title = stateText(s);
    if (s.currentTrackId != 0)
        d.title +=
            L"   " + minutesSeconds(s.positionMs / 1000) + L" / " + minutesSeconds(track ? track->duration() : 0);

    const std::wstring none = L"-";
    auto orNone = [&](const std::wstring& text) { return text.empty() ? none : text; };
    std::wstring trackLabel = L"Track";
    if (s.currentTrackId != 0) {
        trackLabel += L" " + std::to_wstring(s.playOrderIndex) + L"/" + std::to_wstring(s.tracksInPlaylist);
    }
    std::wstring volume = std::to_wstring(s.volume);
    if (s.mute) volume += L" (muted)";
    d.rows = {
        {L"Playlist", orNone(s.currentPlaylistName)},
        {trackLabel, orNone(s.trackName)},
        {L"Artist", orNone(s.artist)},
        {L"Album", orNone(s.album)},
        {L"Volume", volume},
        {L"Shuffle", onOff(s.shuffle) + L"      Repeat: " + repeatText(s.songRepeat)},
        {L"EQ", onOff(s.eq) + L"      Visuals: " + onOff(s.visuals)},
        {L"Browser",
         std::wstring(s.browserVisible ? L"visible" : L"hidden") + L"      Mini player: " + onOff(s.miniPlayer)},
        {L"Selected", selected ? orNone(selected->name()) : none},
    };
    return d;
}

void ServerWindow::refresh() {
    Display now = describe();
    if (now == shown_) return;
    shown_ = std::move(now);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void ServerWindow::paint(HDC dc, const RECT& area) {
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    const int left = 14;
    const int valueLeft = 118;
    const int right = area.right - 12;
    int y = 10;

    // State in large type, then the playlist it plays from.
    ::SelectObject(dc, titleFont_.get());
    ::SetTextColor(dc, shown_.playing ? RGB(0, 110, 0) : RGB(40, 40, 40));
    RECT line = {left, y, right, y + 32};
    ::DrawTextW(dc, shown_.title.c_str(), -1, &line, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    y += 36;

    for (const auto& row : shown_.rows) {
        RECT label = {left, y, valueLeft - 6, y + 25};
        ::SelectObject(dc, textFont_.get());
        ::SetTextColor(dc, RGB(110, 110, 110));
        ::DrawTextW(dc, row.first.c_str(), -1, &label, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        RECT value = {valueLeft, y, right, y + 25};
        ::SelectObject(dc, boldFont_.get());
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::DrawTextW(dc, row.second.c_str(), -1, &value, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        y += 25;
    }
    if (!note_.empty()) {
        RECT noteArea = {left, y + 2, right, area.bottom - 4};
        ::SelectObject(dc, textFont_.get());
        ::SetTextColor(dc, RGB(190, 0, 0));
        ::DrawTextW(dc, note_.c_str(), -1, &noteArea, DT_LEFT | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

}  // namespace simplayer
