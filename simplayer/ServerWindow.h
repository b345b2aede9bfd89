#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "EventHub.h"
#include "ServerControl.h"
#include "player/PlayerInterface.h"
#include "player/model/PlayerModel.h"
#include "win/util/Window.h"

namespace simplayer {

// The player's top-level window (class "iTunes", by which clients tell that
// the player runs). It keeps playback moving in real time, fires the waiting
// events, shows the state in large plain text so that a screenshot tells what
// a remote control did, takes the test commands of ServerControl, and ends the
// server when the player quits or the window is closed.
class ServerWindow : public tavel::win::util::Window {
public:
    // `note` is shown under the state (for example a library that did not load);
    // `onShutdown` runs once, before the window goes, to stop new clients.
    ServerWindow(std::shared_ptr<tavelapp::itunes::model::PlayerModel> model, std::shared_ptr<EventHub> hub,
                 std::wstring note, std::function<void()> onShutdown);
    ~ServerWindow() override;

    bool open();

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct FontDeleter {
        void operator()(HFONT font) const { ::DeleteObject(font); }
    };
    using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

    // What the window shows; drawn again only when it changes.
    struct Display {
        bool playing = false;
        std::wstring title;
        std::vector<std::pair<std::wstring, std::wstring>> rows;
        bool operator==(const Display& other) const {
            return playing == other.playing && title == other.title && rows == other.rows;
        }
        bool operator!=(const Display& other) const { return !(*this == other); }
    };

    void onTick();
    void fireEvents();
    void shutDown();
    LRESULT onCopyData(const COPYDATASTRUCT* data);
    Display describe() const;
    void refresh();
    void paint(HDC dc, const RECT& area);

    std::shared_ptr<tavelapp::itunes::model::PlayerModel> model_;
    std::shared_ptr<tavelapp::itunes::App> app_;
    std::shared_ptr<EventHub> hub_;
    std::wstring note_;
    std::function<void()> onShutdown_;
    ServerControl control_;
    Display shown_;
    DWORD lastTick_ = 0;
    bool shuttingDown_ = false;
    Font textFont_;
    Font boldFont_;
    Font titleFont_;
};

}  // namespace simplayer
