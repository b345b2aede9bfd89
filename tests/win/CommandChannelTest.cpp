#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/CommandChannel.h"
#include "win/util/Window.h"

using namespace tavelapp;

namespace {

// Answers WM_COPYDATA as the application window does; notes what passed the check.
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

// Payloads built by hand, so that they may break every rule the encoder keeps.
struct Payload {
    std::vector<std::uint8_t> bytes;
    Payload& u16(std::uint32_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Payload& header(std::uint16_t kind, std::uint16_t count, std::uint32_t magic = CommandRequest::kMagic,
                    std::uint16_t version = CommandRequest::kVersion) {
        return u16(magic & 0xFFFF).u16(magic >> 16).u16(version).u16(kind).u16(count);
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

Payload action(const std::u16string& name, const std::vector<std::u16string>& params) {
    Payload p;
    p.header(1, static_cast<std::uint16_t>(params.size())).text(name);
    for (const std::u16string& param : params)
        p.text(param);
    return p;
}

std::vector<std::u16string> params(std::size_t n) { return std::vector<std::u16string>(n, u"x"); }

}  // namespace

// Whatever another program sends, only a well-formed request reaches the
// program; every other gets the wrong-command-line answer.
TEST(CommandChannel, ReceiverTakesOnlyWellFormedRequests) {
    Receiver receiver;
    ASSERT_TRUE(receiver.create());
    const std::size_t limit = CommandRequest::kMaxTextUnits, most = CommandRequest::kMaxParams;
    const std::u16string atLimit(limit, u'a'), pastLimit(limit + 1, u'a');
    struct Case {
        const char* what;
        Payload payload;
        bool taken;
        ULONG_PTR dwData = CommandRequest::kMagic;
    };
    const Case cases[] = {
        {"action with parameters", action(u"Volume", {u"-5", u"\u97f3"}), true},
        {"name with a surrogate pair", action(u"\U0001F3B5", {}), true},
        {"quit", Payload().header(2, 0).text(u""), true},
        {"pair", Payload().header(3, 0).text(u""), true},
        {"name at the limit", action(atLimit, {}), true},
        {"name past the limit", action(pastLimit, {}), false},
        {"parameter at the limit", action(u"a", {atLimit}), true},
        {"parameter past the limit", action(u"a", {u"b", pastLimit}), false},
        {"parameters at the limit", action(u"a", params(most)), true},
        {"parameters past the limit", action(u"a", params(most + 1)), false},
        {"empty parameter", action(u"a", {u""}), true},
        {"truncated by a byte", action(u"NextTrack", {u"1"}).cut(1), false},
        {"truncated header", Payload().header(1, 0).cut(2), false},
        {"count promises more than there is", Payload().header(1, 2).text(u"a").text(u"b"), false},
        {"trailing byte", action(u"NextTrack", {}).u16(0).cut(1), false},
        {"wrong magic", Payload().header(1, 0, 0x4C43584A).text(u"a"), false},
        {"wrong magic in dwData", action(u"a", {}), false, 0},
        {"wrong version", Payload().header(1, 0, CommandRequest::kMagic, 2).text(u"a"), false},
        {"unknown kind", Payload().header(4, 0).text(u"a"), false},
        {"action without a name", action(u"", {}), false},
        {"quit with a name", Payload().header(2, 0).text(u"a"), false},
        {"quit with a parameter", Payload().header(2, 1).text(u"").text(u"a"), false},
        {"NUL in the name", action(std::u16string(u"a\0b", 3), {}), false},
        {"lone high surrogate", action(std::u16string(1, u'\xD83C'), {}), false},
        {"lone low surrogate in a parameter", action(u"a", {std::u16string(1, u'\xDFB5')}), false},
        {"empty", Payload(), false},
    };
    for (const Case& c : cases) {
        receiver.got.clear();
        COPYDATASTRUCT data{c.dwData, static_cast<DWORD>(c.payload.bytes.size()),
                            const_cast<std::uint8_t*>(c.payload.bytes.data())};
        const auto answer = static_cast<std::uint32_t>(
            ::SendMessageW(receiver.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
        const int expected = c.taken ? CommandRequest::kUnknownAction : CommandRequest::kBadUsage;
        EXPECT_EQ(CommandRequest::kAnswerMark | static_cast<std::uint32_t>(expected), answer) << c.what;
        EXPECT_EQ(c.taken ? 1u : 0u, receiver.got.size()) << c.what;
    }
    // What was taken arrives whole; a size above the largest request is refused unread.
    receiver.got.clear();
    const Payload ok = action(u"Volume", {u"-5", u"\U0001F3B5"});
    COPYDATASTRUCT data{CommandRequest::kMagic, static_cast<DWORD>(ok.bytes.size()),
                        const_cast<std::uint8_t*>(ok.bytes.data())};
    ::SendMessageW(receiver.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    ASSERT_EQ(1u, receiver.got.size());
    EXPECT_EQ(L"Volume", receiver.got[0].name);
    EXPECT_EQ((std::vector<std::wstring>{L"-5", L"\U0001F3B5"}), receiver.got[0].params);
    data.cbData = static_cast<DWORD>(CommandRequest::kMaxBytes + 1);
    ::SendMessageW(receiver.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(1u, receiver.got.size());
}
