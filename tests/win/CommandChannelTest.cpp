#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/CommandChannel.h"
#include "win/util/Window.h"

using namespace tavelapp;

namespace {

// Answers WM_COPYDATA as the application window does; keeps what passed the check.
class Receiver : public tavel::win::util::Window, public CommandChannel::CommandChannelListener {
public:
    bool create() {
        registerClass(L"KolibrixTest_CommandReceiver");
        return Window::create(L"KolibrixTest_CommandReceiver", L"", WS_OVERLAPPED, 0, nullptr) != nullptr;
    }
    int onCommandRequest(const CommandRequest& request) override {
        got.push_back(request);
        return CommandRequest::kUnknownAction;
    }
    std::vector<CommandRequest> got;

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COPYDATA)
            return CommandChannel::receive(reinterpret_cast<const COPYDATASTRUCT*>(lParam), *this);
        return defaultHandling(message, wParam, lParam);
    }
};

// Built by hand, so that a payload may break every rule the encoder keeps.
struct Payload {
    std::vector<std::uint8_t> bytes;
    Payload& u16(std::uint32_t v) {
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)});
        return *this;
    }
    Payload& text(const std::u16string& units) {
        u16(static_cast<std::uint32_t>(units.size()));
        for (char16_t unit : units)
            u16(unit);
        return *this;
    }
    Payload& cut(std::size_t n) {
        bytes.resize(bytes.size() - n);
        return *this;
    }
};

Payload header(std::uint16_t kind, std::uint16_t count, std::uint32_t magic = CommandRequest::kMagic,
               std::uint16_t version = CommandRequest::kVersion) {
    return Payload().u16(magic & 0xFFFF).u16(magic >> 16).u16(version).u16(kind).u16(count);
}

Payload action(const std::u16string& name, const std::vector<std::u16string>& params) {
    Payload p = header(1, static_cast<std::uint16_t>(params.size())).text(name);
    for (const std::u16string& param : params)
        p.text(param);
    return p;
}

}  // namespace

// Whatever another program sends, only a well-formed request reaches the
// program; any other is answered "wrong command line" unread.
TEST(CommandChannel, ReceiverTakesOnlyWellFormedRequests) {
    Receiver receiver;
    ASSERT_TRUE(receiver.create());
    const std::u16string atLimit(CommandRequest::kMaxTextUnits, u'a'),
        pastLimit(CommandRequest::kMaxTextUnits + 1, u'a');
    const std::vector<std::u16string> most(CommandRequest::kMaxParams, u"x"), tooMany(most.size() + 1, u"x");
    const struct {
        const char* what;
        Payload payload;
        bool taken;
        ULONG_PTR dwData = CommandRequest::kMagic;
    } cases[] = {
        {"action with parameters", action(u"Volume", {u"-5", u"", u"\U0001F3B5"}), true},
        {"quit", header(2, 0).text(u""), true},
        {"pair", header(3, 0).text(u""), true},
        {"name at the limit", action(atLimit, {}), true},
        {"name past the limit", action(pastLimit, {}), false},
        {"parameter at the limit", action(u"a", {atLimit}), true},
        {"parameter past the limit", action(u"a", {u"b", pastLimit}), false},
        {"parameters at the limit", action(u"a", most), true},
        {"parameters past the limit", action(u"a", tooMany), false},
        {"truncated by a byte", action(u"NextTrack", {u"1"}).cut(1), false},
        {"fewer parameters than counted", header(1, 2).text(u"a").text(u"b"), false},
        {"a byte too many", action(u"NextTrack", {}).u16(0).cut(1), false},
        {"wrong magic", header(1, 0, 0x4C43584A).text(u"a"), false},
        {"wrong magic in dwData", action(u"a", {}), false, 0},
        {"wrong version", header(1, 0, CommandRequest::kMagic, 2).text(u"a"), false},
        {"unknown kind", header(4, 0).text(u"a"), false},
        {"action without a name", action(u"", {}), false},
        {"quit with a parameter", header(2, 1).text(u"").text(u"a"), false},
        {"NUL in the name", action(std::u16string(u"a\0b", 3), {}), false},
        {"lone surrogate", action(u"a", {std::u16string(1, u'\xD83C')}), false},
        {"empty", Payload(), false},
    };
    for (const auto& c : cases) {
        receiver.got.clear();
        COPYDATASTRUCT data{c.dwData, static_cast<DWORD>(c.payload.bytes.size()),
                            const_cast<std::uint8_t*>(c.payload.bytes.data())};
        const auto answer = static_cast<std::uint32_t>(
            ::SendMessageW(receiver.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
        const int expected = c.taken ? CommandRequest::kUnknownAction : CommandRequest::kBadUsage;
        EXPECT_EQ(CommandRequest::kAnswerMark | static_cast<std::uint32_t>(expected), answer) << c.what;
        ASSERT_EQ(c.taken ? 1u : 0u, receiver.got.size()) << c.what;
        if (&c != &cases[0]) continue;
        // What was taken arrives whole.
        EXPECT_EQ(L"Volume", receiver.got[0].name);
        EXPECT_EQ((std::vector<std::wstring>{L"-5", L"", L"\U0001F3B5"}), receiver.got[0].params);
    }
}
