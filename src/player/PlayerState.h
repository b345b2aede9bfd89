#pragma once
#include <array>
#include <string>

namespace tavelapp {

// One moment of the player and of the utility: 38 text fields, kept exactly as
// they were captured. Numbers and truth values are read from the text on demand.
class PlayerState {
public:
    // Field indices; each field's placeholder is its name in percent signs,
    // except State, whose placeholder is %PlayerState%.
    enum Field : int {
        IsITunesRunning = 0,
        IsPlayerRunning,
        PlayerID,
        PlayerName,
        SystemVolume,
        SystemMute,
        ClockTimer,
        CountdownTimer,
        EventAction,
        Volume,  // first field written by the player plug-in
        Mute,
        EQ,
        Visuals,
        FullScreenVisuals,
        State,
        PlayerPosition,
        PlayListID,
        PlayListName,
        PlayListShuffle,
        PlayListRepeat,
        TracksCount,
        TrackID,  // first field of the current track
        PlayedCount,
        Album,
        Artist,
        Comment,
        Composer,
        Duration,
        Genre,
        Name,
        PlayOrderIndex,
        Rating,
        Time,
        TrackCount,
        TrackNumber,
        Year,
        ArtworkCount,
        ArtworkPath,
        FieldCount
    };

    // "%IsITunesRunning%" ... "%ArtworkPath%"; null outside 0-37.
    static const wchar_t* placeholder(int index);
    static constexpr const wchar_t* kRatingTextPlaceholder = L"%RatingText%";

    // Reads the state text: at most 38 lines split at line feeds (the last one
    // needs none), line k into field k. Carriage returns stay in the values, a
    // NUL ends its value, lines beyond the 38th are ignored.
    static PlayerState parse(const std::wstring& text);

    // Optional leading blanks and sign, then decimal digits up to the first
    // other character; no digits reads 0. Saturates instead of overflowing.
    static int toNumber(const std::wstring& text);

    // Empty outside 0-37.
    const std::wstring& field(int index) const;
    void setField(int index, std::wstring value);
    int number(int index) const { return toNumber(field(index)); }

    int systemVolume() const { return number(SystemVolume); }
    int volume() const { return number(Volume); }
    int playerState() const { return number(State); }
    int position() const { return number(PlayerPosition); }
    int repeat() const { return number(PlayListRepeat); }
    int trackID() const { return number(TrackID); }
    int playedCount() const { return number(PlayedCount); }
    int playOrderIndex() const { return number(PlayOrderIndex); }
    int rating() const { return number(Rating); }
    int trackCount() const { return number(TrackCount); }

    bool isITunesRunning() const { return number(IsITunesRunning) != 0; }
    bool isPlayerRunning() const { return number(IsPlayerRunning) != 0; }
    bool isSystemMute() const { return number(SystemMute) != 0; }
    bool isMute() const { return number(Mute) != 0; }
    bool isEQ() const { return number(EQ) != 0; }
    bool isVisuals() const { return number(Visuals) != 0; }
    bool isShuffle() const { return number(PlayListShuffle) != 0; }
    // Stopped rather than paused: state 0 at position 0.
    bool isStopped() const { return playerState() == 0 && position() == 0; }

    const std::wstring& name() const { return field(Name); }
    const std::wstring& album() const { return field(Album); }
    const std::wstring& artist() const { return field(Artist); }
    const std::wstring& playListName() const { return field(PlayListName); }
    const std::wstring& artworkPath() const { return field(ArtworkPath); }

    // Texts of section "Others" of the current language; a missing one shows its key.
    std::wstring systemMuteText() const;
    std::wstring muteText() const;
    std::wstring shuffleText() const;
    std::wstring eqText() const;
    std::wstring visualsText() const;
    // Empty for a repeat value other than 0-2.
    std::wstring repeatText() const;
    // Empty for a non-zero state other than 1-3.
    std::wstring playerStateText() const;
    // Rating_1 to Rating_5 by whole stars, anything else Rating_0.
    std::wstring ratingText() const;

    // The template with \n (backslash, n) as line feed, the 38 placeholders and
    // %RatingText% filled in; values are inserted literally.
    std::wstring format(const std::wstring& pattern) const;

    bool operator==(const PlayerState& other) const { return fields_ == other.fields_; }
    bool operator!=(const PlayerState& other) const { return fields_ != other.fields_; }

private:
    std::array<std::wstring, FieldCount> fields_;
};

}  // namespace tavelapp
