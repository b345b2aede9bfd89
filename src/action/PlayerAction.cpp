#include "action/PlayerAction.h"

#include <algorithm>
#include <climits>

#include "base/AppException.h"
#include "player/PlayerHost.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace action {
namespace {

constexpr long minPercent = 0;
constexpr long maxPercent = 100;

bool isBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Sums are formed in 64 bits: long is 32 bits on Windows and N may be large.
long clampPercent(long long value) {
    return static_cast<long>(std::min<long long>(maxPercent, std::max<long long>(minPercent, value)));
}

}  // namespace

int PlayerAction::run() {
    // An object that was missing just ends the action.
    tavel::win::util::guarded("PlayerAction", [this] {
        try {
            perform();
        } catch (const AppException& e) {
            // A player that went away ends the action silently; one that stayed
            // busy or refused the command is told, once for this action.
            e.tellUser();
        }
    });
    return 0;
}

void PlayerAction::perform() {
    auto connection = itunes::PlayerHost::instance().open();
    itunes::App& app = connection->app();
    runOn(app);
}

void PlayerAction::runOn(itunes::App&) {}

long decimalValue(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Capped one past the maximum, so that the 32-bit minimum still fits.
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<long>(-value);
    return static_cast<long>(std::min<long long>(value, INT_MAX));
}

bool onOffToggle(const std::wstring& param, bool current) {
    if (param == L"On") return true;
    if (param == L"Off") return false;
    return !current;
}

long ratingResult(const std::wstring& param, long current) {
    if (param.empty()) return clampPercent(current);
    const long long n = decimalValue(param.substr(1));
    long long result = current;
    switch (param[0]) {
        case L'+':
            result = current + n;
            break;
        case L'-':
            result = current - n;
            break;
        case L'=':
            result = n;
            break;
        case L'?':
            // Rates only tracks that have no rating yet.
            result = current != 0 ? current : n;
            break;
        case L'*':
            result = current + n > maxPercent ? minPercent : current + n;
            break;
        case L'/':
            result = current - n < minPercent ? maxPercent : current - n;
            break;
        default:
            break;
    }
    return clampPercent(result);
}

long volumeResult(const std::wstring& param, long current) {
    if (param.empty()) return clampPercent(current);
    const long long n = decimalValue(param.substr(1));
    switch (param[0]) {
        case L'+':
            return clampPercent(current + n);
        case L'-':
            return clampPercent(current - n);
        case L'=':
            return clampPercent(n);
        default:
            return clampPercent(current);
    }
}

long repeatResult(const std::wstring& param, long current) {
    if (param == L"One") return itunes::RepeatOne;
    if (param == L"All") return itunes::RepeatAll;
    if (param == L"Off") return itunes::RepeatOff;
    if (param == L"OneAll") return current == itunes::RepeatOne ? itunes::RepeatAll : itunes::RepeatOne;
    if (current == itunes::RepeatOff) return itunes::RepeatOne;
    if (current == itunes::RepeatOne) return itunes::RepeatAll;
    return itunes::RepeatOff;
}

}  // namespace action
}  // namespace tavelapp
