#pragma once
#include <string>
#include <vector>

#include "action/Action.h"
#include "player/PlayerInterface.h"

namespace tavelapp {
namespace action {

// Runs a file, by default one from the action package's own folder, and waits
// for the program it started, holding back later actions meanwhile.
class RunScript : public ITunesAction {
public:
    RunScript(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

    // A drive or network path is taken as it is; anything else lies in the
    // package folder under the settings folder's "Actions".
    static std::wstring scriptPath(const std::wstring& file, const ActionListItemPtr& entry,
                                   const std::wstring& settingsFolder);

protected:
    int run() override;
};

// Searches and plays at once. Takes no action lock and sets up COM itself.
// Without a search text it asks for one: the playlists are read here, the
// dialog runs on the main thread, and its answer starts quick play again.
class QuickPlay : public Action {
public:
    QuickPlay(ActionListItemPtr entry, std::vector<std::wstring> params, bool answered = false)
        : Action(std::move(entry), std::move(params)), answered_(answered) {}

    // Selects the named playlist (when one is named) and plays the first match
    // of the search text in it, or in the current playlist.
    static void playOn(itunes::App& app, const std::wstring& searchText, const std::wstring& playlistName);
    // The library's playlist names in order and the current playlist's name
    // ("" when none); what could be read when the player fails part-way.
    static void readPlaylists(itunes::App& app, std::vector<std::wstring>& names, std::wstring& current);

protected:
    void begin() override {}
    int run() override;
    void end() override {}
    bool takesActionLock() const override { return false; }

private:
    void ask();
    bool answered_;
};

// Shows the run-action dialog; modal, so it takes no action lock.
class RunAction : public Action {
public:
    RunAction(ActionListItemPtr entry, std::vector<std::wstring> params)
        : Action(std::move(entry), std::move(params)) {}

protected:
    void begin() override {}
    int run() override;
    void end() override {}
    bool takesActionLock() const override { return false; }
};

// Shows the artwork editor; modal, so it takes no action lock.
class EditArtwork : public Action {
public:
    EditArtwork(ActionListItemPtr entry, std::vector<std::wstring> params)
        : Action(std::move(entry), std::move(params)) {}

protected:
    void begin() override {}
    int run() override;
    void end() override {}
    bool takesActionLock() const override { return false; }
};

// Switch the clock timer, the countdown timer and the event action by their
// parameter: "On", "Off" or "OnOff".
class ClockTimer : public ITunesAction {
public:
    ClockTimer(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

protected:
    int run() override;
};

class CountdownTimer : public ITunesAction {
public:
    CountdownTimer(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

protected:
    int run() override;
};

class EventAction : public ITunesAction {
public:
    EventAction(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

protected:
    int run() override;
};

// Asks the controller to look for Wii remotes again.
class FindWiimote : public ITunesAction {
public:
    FindWiimote(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

protected:
    int run() override;
};

}  // namespace action
}  // namespace tavelapp
