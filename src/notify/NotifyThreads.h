#pragma once
#include <string>

#include "base/Picture.h"
#include "base/Thread.h"

namespace tavelapp {

class ActionPluginMgr;
class PlayerStateFactory;

// Captures a snapshot and announces what changed since the one before.
class NotifyChangesThread : public Thread {
public:
    NotifyChangesThread() { runOnWorker(); }

protected:
    int run() override;
};

// Announces the player's settings (or that it does not run).
class NotifySettingThread : public Thread {
public:
    NotifySettingThread() { runOnWorker(); }

    // What run() does, over a given factory and manager.
    static void notifySetting(PlayerStateFactory& factory, ActionPluginMgr& manager);

protected:
    int run() override;
};

// Announces the current track (or that none plays), with its artwork.
class NotifyTrackThread : public Thread {
public:
    NotifyTrackThread() { runOnWorker(); }

    // What run() does, over a given factory.
    static void notifyTrack(PlayerStateFactory& factory);

protected:
    int run() override;
};

// The automatic track notification, from the latest snapshot without a new
// capture: only a track that just started playing (position up to 10 s,
// state not 0) is announced. Called by the controller when a track changed.
void showTrackNotification();
void showTrackNotification(PlayerStateFactory& factory);

// The artwork file as a picture, through the image loaders: none when
// ShowArtwork is off, the path is empty or the file cannot be opened; the
// placeholder when no decoder reads it.
PicturePtr loadArtworkPicture(const std::wstring& path);

}  // namespace tavelapp
