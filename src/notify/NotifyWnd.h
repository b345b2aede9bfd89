#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/Picture.h"
#include "config/Ini.h"
#include "notify/NotifyGeometry.h"
#include "notify/NotifyWndGdi.h"
#include "notify/NotifyWndSkin.h"
#include "win/timer/Timer.h"
#include "win/util/Window.h"

namespace tavelapp {

// One skinned notification popup: comes in with the skin's effect, stays for
// the display time and leaves the same way, or goes at once when clicked.
// Never takes the focus. Main thread only.
class NotifyWnd : public tavel::win::util::Window, public tavel::win::timer::Timer::Listener {
public:
    class NotifyWndListener {
    public:
        // 0 finished disappearing, 1 left click, 2 right click, 3 middle click.
        virtual void onNotifyWndEvent(NotifyWnd& window, int event) = 0;

    protected:
        ~NotifyWndListener() = default;
    };

    static const wchar_t kClassName[];
    static constexpr int kMaxProgress = 120;
    static constexpr UINT kTickMs = 15;

    // Draws with `settings`, or without them with the settings published now.
    NotifyWnd(NotifyWndSkinPtr skin, std::string key, std::wstring text, const PicturePtr& artwork, int kind,
              int displayTime, std::shared_ptr<const Settings> settings = nullptr);
    ~NotifyWnd() override;

    // Popup owned by `owner`, tool window, topmost, layered when available.
    bool create(HWND owner);

    void setListener(NotifyWndListener* listener) { listener_ = listener; }
    void setAnchoredBottom(bool anchored) { anchoredBottom_ = anchored; }
    bool anchoredBottom() const { return anchoredBottom_; }

    int width() const;
    int height() const { return geometry_.windowHeight; }
    void setTarget(const RECT& target) { target_ = target; }
    const RECT& target() const { return target_; }
    void applyProgress();

    bool isClosed() const { return closed_; }
    bool isClicked() const { return clicked_; }
    bool isFullyShown() const { return fullyShown_; }
    int progress() const { return progress_; }
    const std::string& key() const { return key_; }
    const std::wstring& text() const { return text_; }
    int kind() const { return kind_; }
    int displayTime() const { return displayTime_; }
    bool hasArtwork() const { return static_cast<bool>(artwork_); }
    // The effect and transparency in force (the settings' when the skin leaves them open).
    int effect() const;
    int transparency() const;

    // Whether SetLayeredWindowAttributes exists; looked up once per process.
    static bool layeredAvailable();

    // Where everything goes; fixed at construction (skin, text and artwork never change).
    const NotifyGeometry::Result& geometry() const { return geometry_; }
    // The group in use: the artwork variant when artwork is shown.
    const NotifyWndSkin::Group& group() const;

    // Draws the whole window into a 32-bit top-down picture of w x h pixels
    // selected into `dc` (`bits` its pixels).
    void draw(HDC dc, std::uint8_t* bits, int w, int h) const;

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onTimer(tavel::win::timer::Timer& timer) override;

private:
    void prepareArtwork(const Picture& picture);
    NotifyGeometry::Result computeGeometry() const;
    void paint(HDC target) const;
    void stopTimers();
    void close(int event);
    void onMouseMove(LPARAM lParam);

    RECT target_{0, 0, 0, 0};
    bool anchoredBottom_ = false;
    NotifyWndListener* listener_ = nullptr;
    tavel::win::timer::Timer appearTimer_;
    tavel::win::timer::Timer displayTimer_;
    tavel::win::timer::Timer disappearTimer_;
    NotifyWndSkinPtr skin_;
    std::shared_ptr<const Settings> settings_;
    std::string key_;
    std::wstring text_;
    GdiObject<HBITMAP> artwork_;
    int artworkWidth_ = 0;
    int artworkHeight_ = 0;
    int kind_;
    int displayTime_;
    bool fullyShown_ = false;
    int progress_ = 0;
    bool clicked_ = false;
    bool captured_ = false;
    bool closed_ = false;
    int playerStateFrame_ = 0;
    int shuffle_ = 0;
    int repeat_ = 0;
    int volume_ = 0;
    int mute_ = 0;
    int systemVolume_ = 0;
    int systemMute_ = 0;
    NotifyGeometry::Result geometry_;
};

}  // namespace tavelapp
