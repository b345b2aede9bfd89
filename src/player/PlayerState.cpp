#include "player/PlayerState.h"

#include <climits>

#include "config/Lang.h"
#include "base/Replacer.h"

namespace tavelapp {
namespace {

const wchar_t* const kPlaceholders[PlayerState::FieldCount] = {
    L"%IsITunesRunning%",
    L"%IsPlayerRunning%",
    L"%PlayerID%",
    L"%PlayerName%",
    L"%SystemVolume%",
    L"%SystemMute%",
    L"%ClockTimer%",
    L"%CountdownTimer%",
    L"%EventAction%",
    L"%Volume%",
    L"%Mute%",
    L"%EQ%",
    L"%Visuals%",
    L"%FullScreenVisuals%",
    L"%PlayerState%",
    L"%PlayerPosition%",
    L"%PlayListID%",
    L"%PlayListName%",
    L"%PlayListShuffle%",
    L"%PlayListRepeat%",
    L"%TracksCount%",
    L"%TrackID%",
    L"%PlayedCount%",
    L"%Album%",
    L"%Artist%",
    L"%Comment%",
    L"%Composer%",
    L"%Duration%",
    L"%Genre%",
    L"%Name%",
    L"%PlayOrderIndex%",
    L"%Rating%",
    L"%Time%",
    L"%TrackCount%",
    L"%TrackNumber%",
    L"%Year%",
    L"%ArtworkCount%",
    L"%ArtworkPath%",
};

std::wstring others(const wchar_t* key) { return Lang::instance().text(L"Others", key); }

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r'; }

}  // namespace

const wchar_t* PlayerState::placeholder(int index) {
    return index >= 0 && index < FieldCount ? kPlaceholders[index] : nullptr;
}

PlayerState PlayerState::parse(const std::wstring& text) {
    PlayerState state;
    std::wstring::size_type start = 0;
    for (int index = 0; index < FieldCount && start <= text.size(); ++index) {
        std::wstring::size_type end = text.find(L'\n', start);
        const bool last = end == std::wstring::npos;
        if (last) end = text.size();
        std::wstring::size_type length = end - start;
        // The text came through C strings: a NUL ends the value.
        if (const wchar_t* nul = std::wstring::traits_type::find(text.data() + start, length, L'\0'))
            length = static_cast<std::wstring::size_type>(nul - (text.data() + start));
        state.fields_[index].assign(text, start, length);
        if (last) break;
        start = end + 1;
    }
    return state;
}

int PlayerState::toNumber(const std::wstring& text) {
    std::wstring::size_type i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (value <= INT_MAX) value = value * 10 + (text[i] - L'0');
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

const std::wstring& PlayerState::field(int index) const {
    static const std::wstring none;
    return index >= 0 && index < FieldCount ? fields_[index] : none;
}

void PlayerState::setField(int index, std::wstring value) {
    if (index >= 0 && index < FieldCount) fields_[index] = std::move(value);
}

std::wstring PlayerState::systemMuteText() const {
    return others(isSystemMute() ? L"SystemMute_On" : L"SystemMute_Off");
}
std::wstring PlayerState::muteText() const { return others(isMute() ? L"Mute_On" : L"Mute_Off"); }
std::wstring PlayerState::shuffleText() const { return others(isShuffle() ? L"Shuffle_On" : L"Shuffle_Off"); }
std::wstring PlayerState::eqText() const { return others(isEQ() ? L"EQ_On" : L"EQ_Off"); }
std::wstring PlayerState::visualsText() const { return others(isVisuals() ? L"Visuals_On" : L"Visuals_Off"); }

std::wstring PlayerState::repeatText() const {
    switch (repeat()) {
        case 0:
            return others(L"Repeat_Off");
        case 1:
            return others(L"Repeat_One");
        case 2:
            return others(L"Repeat_All");
        default:
            return std::wstring();
    }
}

std::wstring PlayerState::playerStateText() const {
    switch (playerState()) {
        case 0:
            return others(position() != 0 ? L"PlayerState_Paused" : L"PlayerState_Stopped");
        case 1:
            return others(L"PlayerState_Playing");
        case 2:
            return others(L"PlayerState_FastForward");
        case 3:
            return others(L"PlayerState_Rewind");
        default:
            return std::wstring();
    }
}

std::wstring PlayerState::ratingText() const {
    static const wchar_t* const keys[] = {L"Rating_0", L"Rating_1", L"Rating_2", L"Rating_3", L"Rating_4", L"Rating_5"};
    const int stars = rating() / 20;
    return others(stars >= 1 && stars <= 5 ? keys[stars] : keys[0]);
}

std::wstring PlayerState::format(const std::wstring& pattern) const {
    Replacer replacer;
    replacer.add(L"\\n", L"\n");
    for (int index = 0; index < FieldCount; ++index)
        replacer.add(kPlaceholders[index], fields_[index]);
    // Only a template that shows the rating text pays for its language look-up.
    if (pattern.find(kRatingTextPlaceholder) != std::wstring::npos) replacer.add(kRatingTextPlaceholder, ratingText());
    return replacer.apply(pattern);
}

}  // namespace tavelapp
