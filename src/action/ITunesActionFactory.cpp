#include "action/ITunesActionFactory.h"

#include "action/NavigationActions.h"
#include "action/PlayerActions.h"

namespace tavelapp {
namespace action {

ITunesActionFactory& ITunesActionFactory::instance() {
    static ITunesActionFactory factory;
    return factory;
}

ITunesActionFactory::ITunesActionFactory() {
    add<Play>(L"Play");
    add<Pause>(L"Pause");
    add<FastForward>(L"FastForward");
    add<PlayPause>(L"PlayPause");
    add<Rewind>(L"Rewind");
    add<Stop>(L"Stop");
    add<Resume>(L"Resume");
    add<BackTrack>(L"BackTrack");
    add<PrevTrack>(L"PrevTrack");
    add<NextTrack>(L"NextTrack");
    add<PrevAlbum>(L"PrevAlbum");
    add<NextAlbum>(L"NextAlbum");
    add<PrevArtist>(L"PrevArtist");
    add<NextArtist>(L"NextArtist");
    add<PrevPlaylist>(L"PrevPlaylist");
    add<NextPlaylist>(L"NextPlaylist");
    add<PlayFirstTrack>(L"PlayFirstTrack");
    add<PlayLastTrack>(L"PlayLastTrack");
    add<Reshuffle>(L"Reshuffle");
    add<Boot>(L"Boot");
    add<MiniPlayer>(L"MiniPlayer");
    add<Mute>(L"Mute");
    add<Quit>(L"Quit");
    add<BootQuit>(L"BootQuit");
    add<Rating>(L"Rating");
    add<Repeat>(L"Repeat");
    add<Shuffle>(L"Shuffle");
    add<EQ>(L"EQ");
    add<Visuals>(L"Visuals");
    add<Volume>(L"Volume");
    add<BrowserWindow>(L"BrowserWindow");
}

}  // namespace action
}  // namespace tavelapp
