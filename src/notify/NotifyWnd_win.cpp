#include "notify/NotifyWnd.h"

#include <windowsx.h>

#include <cstring>
#include <utility>

#include "config/Ini.h"
#include "notify/NotifyGeometry.h"
#include "notify/NotifyLayout.h"
#include "notify/PlayerStateFactory.h"
#include "res/resource.h"
#include "win/dib/Bitmap.h"

namespace tavelapp {

using tavel::win::dib::DIB;

const wchar_t NotifyWnd::kClassName[] = L"NotifyWnd";

namespace {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredWindowAttributesFn setLayeredWindowAttributes() {
    // Looked up by name so the program still runs where the export is missing.
    static const SetLayeredWindowAttributesFn fn = [] {
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        return user32 == nullptr ? nullptr
                                 : reinterpret_cast<SetLayeredWindowAttributesFn>(
                                       reinterpret_cast<void*>(::GetProcAddress(user32, "SetLayeredWindowAttributes")));
    }();
    return fn;
}

UINT alignFlag(int align) {
    switch (align) {
        case 1:
            return DT_CENTER;
        case 2:
            return DT_RIGHT;
        default:
            return DT_LEFT;
    }
}

}  // namespace

NotifyWnd::NotifyWnd(NotifyWndSkinPtr skin, std::string key, std::wstring text, const PicturePtr& artwork, int kind,
                     int displayTime, std::shared_ptr<const Settings> settings)
    : skin_(std::move(skin)),
      settings_(std::move(settings)),
      key_(std::move(key)),
      text_(std::move(text)),
      kind_(kind),
      displayTime_(displayTime) {
    if (!skin_) skin_ = std::make_shared<const NotifyWndSkin>(std::wstring());
    if (!settings_) settings_ = Ini::snapshot();
    appearTimer_.setListener(this);
    displayTimer_.setListener(this);
    disappearTimer_.setListener(this);

    if (artwork) prepareArtwork(*artwork);

    // Only copy from a factory that exists; a notification never starts the player link.
    // The latest copy needs no factory lock: a capture holding it must never stall a window.
    if (PlayerStateFactory* factory = PlayerStateFactory::instanceIfCreated()) {
        if (PlayerStateFactory::StatePtr latest = factory->latest()) {
            playerStateFrame_ = latest->playerState() == 1 ? 1 : 0;
            shuffle_ = latest->isShuffle() ? 1 : 0;
            repeat_ = latest->repeat();
            volume_ = latest->volume();
            mute_ = latest->isMute() ? 1 : 0;
            systemVolume_ = latest->systemVolume();
            systemMute_ = latest->isSystemMute() ? 1 : 0;
        }
    }
    geometry_ = computeGeometry();
}

NotifyWnd::~NotifyWnd() {
    stopTimers();
    appearTimer_.setListener(nullptr);
    displayTimer_.setListener(nullptr);
    disappearTimer_.setListener(nullptr);
    destroy();
}

bool NotifyWnd::layeredAvailable() { return setLayeredWindowAttributes() != nullptr; }

bool NotifyWnd::create(HWND owner) {
    static const bool registered = registerClass(kClassName, ::LoadCursorW(nullptr, IDC_ARROW),
                                                 reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    if (!registered) return false;
    DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    if (layeredAvailable()) exStyle |= WS_EX_LAYERED;
    if (Window::create(kClassName, L"", WS_POPUP, exStyle, owner, 0, 0, 0, 0) == nullptr) return false;
    // The shared registration takes no class styles; a resize repaints everything anyway.
    static bool styled = false;
    if (!styled) {
        ::SetClassLongPtrW(hwnd(), GCL_STYLE, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
        styled = true;
    }
    return true;
}

int NotifyWnd::width() const { return skin_->width(); }

int NotifyWnd::effect() const { return NotifyLayout::effectiveEffect(skin_->effect(), settings_->notify.effect); }

int NotifyWnd::transparency() const {
    return NotifyLayout::effectiveTransparency(skin_->transparency(), settings_->notify.transparency);
}

void NotifyWnd::applyProgress() {
    if (hwnd() == nullptr) return;
    const bool layered = layeredAvailable();
    const NotifyLayout::Rect target{target_.left, target_.top, target_.right, target_.bottom};
    const NotifyLayout::Appearance look =
        NotifyLayout::progressRect(target, progress_, effect(), settings_->notify.slideDir, anchoredBottom_, layered);
    ::SetWindowPos(hwnd(), nullptr, look.rect.left, look.rect.top, look.rect.width(), look.rect.height(),
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    if (layered) {
        setLayeredWindowAttributes()(hwnd(), 0, static_cast<BYTE>(NotifyLayout::alphaFor(transparency(), look.opacity)),
                                     LWA_ALPHA);
    }
}

void NotifyWnd::stopTimers() {
    appearTimer_.stop();
    displayTimer_.stop();
    disappearTimer_.stop();
}

void NotifyWnd::onTimer(tavel::win::timer::Timer& timer) {
    if (&timer == &appearTimer_) {
        progress_ = progress_ + 2 > kMaxProgress ? kMaxProgress : progress_ + 2;
        applyProgress();
        if (progress_ >= kMaxProgress) {
            fullyShown_ = true;
            appearTimer_.stop();
            const int period = NotifyLayout::displayMilliseconds(displayTime_);
            if (period > 0) static_cast<void>(displayTimer_.start(static_cast<unsigned int>(period)));
        }
    } else if (&timer == &displayTimer_) {
        displayTimer_.stop();
        static_cast<void>(disappearTimer_.start(kTickMs));
    } else if (&timer == &disappearTimer_) {
        progress_ = progress_ - 2 < 0 ? 0 : progress_ - 2;
        applyProgress();
        if (progress_ <= 0) {
            disappearTimer_.stop();
            if (!clicked_) {
                closed_ = true;
                stopTimers();
                ::ShowWindow(hwnd(), SW_HIDE);
                if (listener_ != nullptr) listener_->onNotifyWndEvent(*this, 0);
            }
        }
    }
}

void NotifyWnd::close(int event) {
    clicked_ = true;
    closed_ = true;
    stopTimers();
    ::ShowWindow(hwnd(), SW_HIDE);
    if (captured_) {
        captured_ = false;
        ::ReleaseCapture();
    }
    // Last, and nothing of this window after it: the click may run an action
    // that shows the options modally, and a notification drained meanwhile
    // may destroy this window.
    if (listener_ != nullptr) listener_->onNotifyWndEvent(*this, event);
}

void NotifyWnd::onMouseMove(LPARAM lParam) {
    if (!captured_) {
        ::SetCapture(hwnd());
        captured_ = true;
        return;
    }
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ClientToScreen(hwnd(), &p);
    RECT r;
    ::GetWindowRect(hwnd(), &r);
    if (!(p.x > r.left && p.x < r.right && p.y > r.top && p.y < r.bottom)) {
        captured_ = false;
        ::ReleaseCapture();
    }
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT NotifyWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            progress_ = 0;
            applyProgress();
            static_cast<void>(appearTimer_.start(kTickMs));
            return 0;
        case WM_MOUSEACTIVATE:
            // A click must not take the focus from the window the user works in.
            return MA_NOACTIVATE;
        case WM_SETCURSOR: {
            HCURSOR cursor = ::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_NOTIFY_HAND));
            ::SetCursor(cursor != nullptr ? cursor : ::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        case WM_MOUSEMOVE:
            onMouseMove(lParam);
            return 0;
        case WM_CAPTURECHANGED:
            captured_ = false;
            return 0;
        case WM_LBUTTONUP:
            close(1);
            return 0;
        case WM_RBUTTONUP:
            close(2);
            return 0;
        case WM_MBUTTONUP:
            close(3);
            return 0;
        case WM_MOUSEWHEEL:
            return 0;
        case WM_ERASEBKGND:
            paint(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_PAINT:
            ::ValidateRect(hwnd(), nullptr);
            return 0;
        default:
            return defaultHandling(message, wParam, lParam);
    }
}

void NotifyWnd::paint(HDC target) const {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    if (w <= 0 || h <= 0 || target == nullptr) return;
    // One off-screen picture copied in one step: a sliding window never shows a half-drawn frame.
    std::uint8_t* bits = nullptr;
    GdiObject<HBITMAP> buffer = createDibSection(w, h, &bits);
    MemoryDC memory(target);
    if (!buffer || memory.get() == nullptr) return;
    {
        SelectedObject selected(memory.get(), buffer.get());
        draw(memory.get(), bits, w, h);
        ::BitBlt(target, 0, 0, w, h, memory.get(), 0, 0, SRCCOPY);
    }
}

const NotifyWndSkin::Group& NotifyWnd::group() const { return artwork_ ? skin_->artworkBody() : skin_->body(); }

void NotifyWnd::prepareArtwork(const Picture& picture) {
    const SkinData& data = skin_->data();
    const tavel::win::dib::Size size =
        tavel::win::dib::fitSize(data.artworkWidth, data.artworkHeight, picture.width(), picture.height());
    if (size.width <= 0 || size.height <= 0) return;
    // Scaled once here, never per paint.
    const DIB scaled = tavel::win::dib::scaleBilinear(picture.dib(), size.width, size.height);
    artwork_ = bitmapFromDib(scaled);
    if (artwork_) {
        artworkWidth_ = scaled.width();
        artworkHeight_ = scaled.height();
    }
}

NotifyGeometry::Result NotifyWnd::computeGeometry() const {
    const NotifyGeometry::Input input = NotifyGeometry::inputFor(skin_->data(), artworkWidth_, artworkHeight_);
    const NotifyWndSkin::Group& used = group();
    return NotifyGeometry::compute(input, [&](int wrapWidth) {
        MemoryDC dc(nullptr);
        if (dc.get() == nullptr) return 0;
        SelectedObject font(dc.get(), used.font.get());
        RECT r{0, 0, wrapWidth, 0};
        ::DrawTextW(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &r,
                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | alignFlag(used.data->text.align));
        return static_cast<int>(r.bottom - r.top);
    });
}

void NotifyWnd::draw(HDC dc, std::uint8_t* bits, int w, int h) const {
    const NotifyWndSkin& skin = *skin_;
    const NotifyGeometry::Result& g = geometry_;
    const int width = skin.width();

    RECT all{0, 0, w, h};
    ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_WINDOW));
    MemoryDC source(dc);

    auto blit = [&](HBITMAP bitmap, int x, int y, int bw, int bh) {
        SelectedObject selected(source.get(), bitmap);
        ::BitBlt(dc, x, y, bw, bh, source.get(), 0, 0, SRCCOPY);
    };

    // Header picture, body background in the band below it, footer picture.
    const NotifyWndSkin::Background& header = skin.header().background;
    if (header.bitmap) blit(header.bitmap.get(), 0, 0, header.width, header.height);
    const NotifyWndSkin::Background& body = skin.body().background;
    if (body.bitmap && body.height > 0) {
        const int top = g.bodyBandTop;
        if (body.repeat == SkinData::Stretch) {
            SelectedObject selected(source.get(), body.bitmap.get());
            ::SetStretchBltMode(dc, COLORONCOLOR);
            ::StretchBlt(dc, 0, top, body.width, g.bodyBandHeight, source.get(), 0, 0, body.width, body.height,
                         SRCCOPY);
        } else if (body.repeat == SkinData::NoRepeat) {
            blit(body.bitmap.get(), 0, top, body.width,
                 body.height < g.bodyBandHeight ? body.height : g.bodyBandHeight);
            if (body.height < g.bodyBandHeight) {
                GdiObject<HBRUSH> fill(::CreateSolidBrush(body.fill));
                RECT rest{0, top + body.height, width, top + g.bodyBandHeight};
                ::FillRect(dc, &rest, fill.get());
            }
        } else {
            for (int y = 0; y < g.bodyBandHeight; y += body.height) {
                const int rows = g.bodyBandHeight - y < body.height ? g.bodyBandHeight - y : body.height;
                blit(body.bitmap.get(), 0, top + y, body.width, rows);
            }
        }
    }
    const NotifyWndSkin::Background& footer = skin.footer();
    if (footer.bitmap) blit(footer.bitmap.get(), 0, g.bodyBandTop + g.bodyBandHeight, footer.width, footer.height);

    ::SetBkMode(dc, TRANSPARENT);
    const SkinData::Group& headerData = skin.data().header;
    if (headerData.text.visible) {
        SelectedObject font(dc, skin.header().font.get());
        ::SetTextColor(dc, skin.header().color);
        RECT r{g.headerText.x, g.headerText.y, g.headerText.x + g.headerText.width,
               g.headerText.y + g.headerText.height};
        ::DrawTextW(dc, L"Kolibrix", -1, &r, DT_NOPREFIX | alignFlag(headerData.text.align));
    }

    if (artwork_) blit(artwork_.get(), g.artworkX, g.artworkY, artworkWidth_, artworkHeight_);

    const NotifyWndSkin::Group& used = group();
    {
        SelectedObject font(dc, used.font.get());
        ::SetTextColor(dc, used.color);
        RECT r{g.text.x, g.text.y, g.text.x + g.text.width, g.text.y + g.text.height};
        ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r,
                    DT_WORDBREAK | DT_NOPREFIX | alignFlag(used.data->text.align));
    }

    auto drawIcon = [&](const NotifyWndSkin::Icon& icon, int frame) {
        if (icon.imageList) ::ImageList_Draw(icon.imageList.get(), frame, dc, icon.left, icon.top, ILD_TRANSPARENT);
    };
    drawIcon(skin.icon(), 0);
    drawIcon(skin.playerStateIcon(), playerStateFrame_);
    drawIcon(skin.shuffleIcon(), shuffle_);
    drawIcon(skin.repeatIcon(), repeat_ >= 0 && repeat_ <= 2 ? repeat_ : 0);

    // The bars work on the pixels directly, after GDI has finished with them.
    ::GdiFlush();
    if (bits != nullptr) {
        DIB canvas;
        canvas.attach(bits, w, h, 32, false);
        const SkinData::Strip& volume = skin.volumeBar();
        if (!volume.image.empty()) {
            tavel::win::dib::drawBar(canvas, volume.left, volume.top, volume.image, volume.width, volume.height,
                                     mute_ != 0, volume_);
        }
        const SkinData::Strip& system = skin.systemVolumeBar();
        if (!system.image.empty()) {
            tavel::win::dib::drawBar(canvas, system.left, system.top, system.image, system.width, system.height,
                                     systemMute_ != 0, systemVolume_);
        }
    }
}

}  // namespace tavelapp
