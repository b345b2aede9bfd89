#pragma once
#include <string>

#include "base/Picture.h"

namespace tavelapp {

class PlayerState;

// Reaches the one live controller from any thread.
class Util {
public:
    // What the controller answers to; slot order matters to nobody outside.
    class UtilListener {
    public:
        virtual void onTrackChanged(const PlayerState& state) = 0;
        virtual void onPlayerStateChanged(const PlayerState& state) = 0;
        virtual void notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind) = 0;
        virtual void checkObservationSoon() = 0;
        virtual void restartWiimoteServer() = 0;
        virtual void showOption() = 0;
        virtual ~UtilListener() = default;
    };

    // Whether notifications are held back now (the player shows its visual
    // effects, which nothing may cover); handed in at start, from any thread.
    using QuietTest = bool (*)();
    static void setQuietTest(QuietTest test);

    static void notify(const std::string& key, const std::wstring& text, int kind);
    static void notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind);
    // The change detector's reports; may be called on any thread, also from
    // inside another Util call (the controller's answer may notify).
    static void onTrackChanged(const PlayerState& state);
    static void onPlayerStateChanged(const PlayerState& state);
    static void restartWiimoteServer();
    static void showOption();

    // The controller publishes itself at construction and withdraws before it
    // dies; withdrawal waits for calls in progress on other threads.
    static void setController(UtilListener* controller);
    static bool hasController();
};

}  // namespace tavelapp
