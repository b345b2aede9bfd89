#include <gtest/gtest.h>

#include "InstalledModelPlayer.h"

using tavelapp::itunes::Playing;
using tavelapp::itunes::Stopped;

// Library play order (positions): 1 Paper Boats (Orla Finch), 2-7 Harbour
// Lights and 8-12 Night Ferry (The Paper Lanterns), 13-17 Northern Atlas, ...,
// 33-36 夜明けのワルツ (森山 健二), 37-40 Glass Orchard (Orla Finch), 41 冬の駅
// (森山 健二). Night Jazz: 1-4 夜明けのワルツ, 5 冬の駅 (all 森山 健二), 6 Night
// Ferry (The Paper Lanterns).

TEST_F(PlayerActionTest, NextAlbumAndArtistJumpPastTheCurrentRun) {
    playAt(L"Library", 3);
    run(L"nextalbum");
    EXPECT_EQ(8, status().playOrderIndex);
    EXPECT_EQ(L"Night Ferry", status().album);

    run(L"nextartist");
    EXPECT_EQ(13, status().playOrderIndex);
    EXPECT_EQ(L"Mika Sorensen", status().artist);
    EXPECT_EQ(Playing, status().state);
}

TEST_F(PlayerActionTest, NextAlbumReachesASingleTrackLastAlbum) {
    playAt(L"Library", 39);
    run(L"nextalbum");
    EXPECT_EQ(41, status().playOrderIndex);
    EXPECT_EQ(L"冬の駅", status().album);
    EXPECT_EQ(Playing, status().state);

    playAt(L"Night Jazz", 5);
    run(L"nextalbum");
    EXPECT_EQ(6, status().playOrderIndex);
    EXPECT_EQ(L"Night Ferry", status().album);
}

TEST_F(PlayerActionTest, NextArtistReachesASingleTrackLastArtist) {
    playAt(L"Library", 38);
    run(L"nextartist");
    EXPECT_EQ(41, status().playOrderIndex);
    EXPECT_EQ(L"森山 健二", status().artist);

    playAt(L"Night Jazz", 2);
    run(L"nextartist");
    EXPECT_EQ(6, status().playOrderIndex);
    EXPECT_EQ(L"The Paper Lanterns", status().artist);
}

TEST_F(PlayerActionTest, NextAlbumStopsWhenThePlaylistHasNoFurtherAlbum) {
    playAt(L"Library", 41);
    run(L"nextalbum");
    EXPECT_EQ(Stopped, status().state);

    // The whole playlist is one album.
    playAt(L"Seaside", 2);
    run(L"nextalbum");
    EXPECT_EQ(Stopped, status().state);

    playAt(L"Night Jazz", 1);
    run(L"nextalbum");
    EXPECT_EQ(5, status().playOrderIndex) << "a single-track album in the middle is a run of its own";
}

TEST_F(PlayerActionTest, PrevAlbumPlaysTheFirstTrackOfThePreviousRun) {
    playAt(L"Library", 10);
    run(L"prevalbum");
    EXPECT_EQ(2, status().playOrderIndex);
    EXPECT_EQ(L"Harbour Lights", status().album);

    playAt(L"Library", 40);
    run(L"prevartist");
    EXPECT_EQ(33, status().playOrderIndex);

    // Drive Mix changes album on every track but two.
    playAt(L"Drive Mix", 3);
    run(L"prevalbum");
    EXPECT_EQ(2, status().playOrderIndex);
}

TEST_F(PlayerActionTest, PrevAlbumAndArtistReachASingleFirstTrack) {
    playAt(L"Library", 2);
    run(L"prevalbum");
    EXPECT_EQ(1, status().playOrderIndex);
    EXPECT_EQ(L"Paper Boats", status().album);

    playAt(L"Library", 6);
    run(L"prevalbum");
    EXPECT_EQ(1, status().playOrderIndex);

    playAt(L"Library", 12);
    run(L"prevartist");
    EXPECT_EQ(1, status().playOrderIndex);
    EXPECT_EQ(L"Orla Finch", status().artist);
}

TEST_F(PlayerActionTest, PrevAlbumDoesNothingWithoutAnEarlierAlbum) {
    // Position 1 belongs to the current album.
    playAt(L"Seaside", 2);
    run(L"prevalbum");
    EXPECT_EQ(2, status().playOrderIndex);
    EXPECT_EQ(Playing, status().state);

    playAt(L"Night Jazz", 4);
    run(L"prevartist");
    EXPECT_EQ(4, status().playOrderIndex);

    playAt(L"Library", 1);
    run(L"prevalbum");
    EXPECT_EQ(1, status().playOrderIndex);
}

TEST_F(PlayerActionTest, AlbumNavigationNeedsACurrentTrack) {
    for (const wchar_t* name : {L"prevalbum", L"nextalbum", L"prevartist", L"nextartist"})
        run(name);
    EXPECT_EQ(0, status().currentTrackId);
    EXPECT_EQ(Stopped, status().state);
}

TEST_F(PlayerActionTest, PlaylistNavigationPlaysAndSelectsTheNeighbour) {
    playAt(L"Seaside", 4);
    run(L"nextplaylist");
    EXPECT_EQ(L"Drive Mix", status().currentPlaylistName);
    EXPECT_EQ(1, status().playOrderIndex);
    EXPECT_EQ(status().currentPlaylistId, status().selectedPlaylistId);

    run(L"prevplaylist");
    run(L"prevplaylist");
    EXPECT_EQ(L"Library", status().currentPlaylistName);
    EXPECT_EQ(status().currentPlaylistId, status().selectedPlaylistId);

    // Nothing before the first playlist.
    playAt(L"Library", 7);
    run(L"prevplaylist");
    EXPECT_EQ(L"Library", status().currentPlaylistName);
    EXPECT_EQ(7, status().playOrderIndex);
}

TEST_F(PlayerActionTest, NextPlaylistEntersTheLastPlaylistButGoesNoFurther) {
    playAt(L"Lullaby", 1);
    run(L"nextplaylist");
    EXPECT_EQ(L"Night Jazz", status().currentPlaylistName);
    EXPECT_EQ(1, status().playOrderIndex);
    EXPECT_EQ(status().currentPlaylistId, status().selectedPlaylistId);

    playAt(L"Night Jazz", 3);
    run(L"nextplaylist");
    EXPECT_EQ(L"Night Jazz", status().currentPlaylistName);
    EXPECT_EQ(3, status().playOrderIndex);
}

TEST_F(PlayerActionTest, PlaylistNavigationNeedsACurrentPlaylist) {
    const long selected = status().selectedPlaylistId;
    run(L"nextplaylist");
    run(L"prevplaylist");
    EXPECT_EQ(0, status().currentPlaylistId);
    EXPECT_EQ(selected, status().selectedPlaylistId);
}
