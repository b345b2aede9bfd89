#include "input/IRServer.h"

#include <af_irda.h>
#include <ws2tcpip.h>

#include <cstring>
#include <utility>

#include "action/ActionRunner.h"
#include "base/AppException.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "input/IRRules.h"
#include "win/file/FileSystem.h"
#include "win/util/MainThread.h"
#include "win/winsock/Exception.h"
#include "win/winsock/SocketCalls.h"

namespace tavelapp {
namespace {

using tavel::win::util::MainThread;
using tavel::win::winsock::SocketCalls;
using tavel::win::winsock::Winsock;

std::string narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

IRServer::Options optionsFromSettings() {
    const Ini& settings = Ini::instance();
    IRServer::Options options;
    options.tcpPort = settings.irCom.tcpPort;
    options.tcpAddress = settings.irCom.tcpAddress;
    options.tcpAllow = settings.irCom.tcpAllow;
    options.tcpAllowAllActions = settings.irCom.tcpAllowAllActions;
    return options;
}

// The peer's address bytes, 4 or 16 of them; 0 for any other family.
std::size_t peerAddress(const sockaddr_storage& address, const std::uint8_t*& bytes) {
    if (address.ss_family == AF_INET) {
        bytes = reinterpret_cast<const std::uint8_t*>(&reinterpret_cast<const sockaddr_in&>(address).sin_addr);
        return 4;
    }
    if (address.ss_family == AF_INET6) {
        bytes = reinterpret_cast<const std::uint8_t*>(&reinterpret_cast<const sockaddr_in6&>(address).sin6_addr);
        return 16;
    }
    return 0;
}

}  // namespace

IRServer::IRServer() : IRServer(optionsFromSettings()) {}

IRServer::IRServer(const Options& options) : options_(options) {
    restartTimer_.setListener(this);
    idleTimer_.setListener(this);
    lifetimeTimer_.setListener(this);
    relistenTimer_.setListener(this);
    irdaListener_.setListener(this);
    tcpListener_.setListener(this);
    connection_.setListener(this);
    irdaListener_.closeAll();
    tcpListener_.closeAll();
    connection_.closeAll();
    if (!tavel::win::winsock::Socket::Startup::ready()) throw AppException(L"IRComInitialize");

    if (options_.irda) {
        try {
            startIrda();
        } catch (const AppException& e) {
            if (options_.tcpPort == 0) throw;
            // Most systems have no IrDA now; the network listener is worth running alone.
            options_.irda = false;
            Util::notify("IRServer_InitError", e.text(), NotifyWndInfo::kWarning);
        }
    }
    if (options_.tcpPort != 0) startTcp();
}

IRServer::~IRServer() {
    for (tavel::win::timer::Timer* timer : {&restartTimer_, &idleTimer_, &lifetimeTimer_, &relistenTimer_}) {
        timer->setListener(nullptr);
        timer->stop();
    }
    connection_.closeAll();
    tcpListener_.closeAll();
    irdaListener_.closeAll();
}

std::wstring IRServer::displayName(std::uint32_t code) { return IRRules::displayName(code); }

void IRServer::startIrda() {
    try {
        if (!irdaListener_.create(true, AF_IRDA, SOCK_STREAM, 0)) throw AppException(L"IRComOpen");
    } catch (const tavel::Exception&) {
        throw AppException(L"IRComListen");
    }

    IAS_SET attribute;
    std::memset(&attribute, 0, sizeof(attribute));
    std::strcpy(attribute.irdaClassName, "OBEX");
    std::strcpy(attribute.irdaAttribName, "IrDA:TinyTP");
    attribute.irdaAttribType = IAS_ATTRIB_STR;
    const char value[] = "IrDA:TinyTP";  // twelve bytes with the terminator
    attribute.irdaAttribute.irdaAttribUsrStr.Len = 12;
    attribute.irdaAttribute.irdaAttribUsrStr.CharSet = LmCharSetASCII;
    std::memcpy(attribute.irdaAttribute.irdaAttribUsrStr.UsrStr, value, sizeof(value));
    if (!irdaListener_.setOption(SOL_IRLMP, IRLMP_IAS_SET, reinterpret_cast<const char*>(&attribute),
                                 sizeof(attribute))) {
        irdaListener_.closeAll();
        throw AppException(L"IRComSetSockOpt");
    }

    SOCKADDR_IRDA address;
    std::memset(&address, 0, sizeof(address));
    address.irdaAddressFamily = AF_IRDA;
    std::strcpy(address.irdaServiceName, "OBEX");
    if (!irdaListener_.bind(reinterpret_cast<const sockaddr*>(&address), sizeof(address))) {
        irdaListener_.closeAll();
        throw AppException(L"IRComBind");
    }
    if (!irdaListener_.listen(2)) {
        irdaListener_.closeAll();
        throw AppException(L"IRComListen");
    }
}

void IRServer::startTcp() {
    std::wstring bad;
    if (!allowed_.parse(options_.tcpAllow, &bad)) throw AppException(L"IRComTcpAllow");
    AddressFilter::Address local;
    if (!AddressFilter::parseAddress(narrow(options_.tcpAddress), local) || options_.tcpPort > 0xFFFF)
        throw AppException(L"IRComTcpAddress");

    sockaddr_storage address;
    std::memset(&address, 0, sizeof(address));
    int length = 0;
    const u_short port = htons(static_cast<u_short>(options_.tcpPort));
    if (local.family == 4) {
        auto& v4 = reinterpret_cast<sockaddr_in&>(address);
        v4.sin_family = AF_INET;
        v4.sin_port = port;
        std::memcpy(&v4.sin_addr, local.bytes.data(), 4);
        length = sizeof(v4);
    } else {
        auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
        v6.sin6_family = AF_INET6;
        v6.sin6_port = port;
        std::memcpy(&v6.sin6_addr, local.bytes.data(), 16);
        length = sizeof(v6);
    }

    try {
        if (!tcpListener_.create(true, address.ss_family, SOCK_STREAM, IPPROTO_TCP))
            throw AppException(L"IRComTcpOpen");
    } catch (const tavel::Exception&) {
        throw AppException(L"IRComTcpListen");
    }
    // No other program may take the port over while we hold it.
    const BOOL exclusive = TRUE;
    tcpListener_.setOption(SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                           sizeof(exclusive));
    if (!tcpListener_.bind(reinterpret_cast<const sockaddr*>(&address), length)) {
        tcpListener_.closeAll();
        throw AppException(L"IRComTcpBind");
    }
    if (!tcpListener_.listen(SOMAXCONN)) {
        tcpListener_.closeAll();
        throw AppException(L"IRComTcpListen");
    }
}

void IRServer::onAccept(Winsock& winsock) {
    const bool network = &winsock == &tcpListener_;
    if (!network && &winsock != &irdaListener_) return;
    sockaddr_storage address;
    std::memset(&address, 0, sizeof(address));
    int length = sizeof(address);
    const SOCKET peer = winsock.accept(reinterpret_cast<sockaddr*>(&address), &length);
    if (peer == INVALID_SOCKET) return;

    bool welcome = !connection_.valid() && !pausing_;
    if (network) {
        // A stranger is let go before a byte of it is read.
        const std::uint8_t* bytes = nullptr;
        const std::size_t size = peerAddress(address, bytes);
        welcome = welcome && size != 0 && allowed_.allows(bytes, size);
    }
    if (!welcome) {
        SocketCalls::current().closesocket(peer);
        return;
    }
    try {
        connection_.attach(true, peer, true);
    } catch (const tavel::Exception&) {
        connection_.closeAll();
        return;
    }
    peerFromNetwork_ = network;
    session_ = ObexSession();
    toldDroppedLines_ = false;
    // A peer without its time limits is not served.
    if (!idleTimer_.start(options_.idleMs) || !lifetimeTimer_.start(options_.maxConnectionMs)) endPeer(0);
}

void IRServer::onReceive(Winsock& winsock, SOCKET) {
    if (&winsock != &connection_ || !connection_.valid()) return;
    char buffer[ObexSession::kMaxPacket];
    const int received = connection_.recv(buffer, sizeof(buffer), 0);
    if (received == SOCKET_ERROR) {
        const int error = SocketCalls::current().lastError();
        if (error == WSAEWOULDBLOCK) return;
        // A peer that went away abruptly is an ordinary end of its turn.
        if (error == WSAECONNRESET || error == WSAECONNABORTED) {
            endPeer(options_.closeRestartMs);
            return;
        }
        receiveFailed();
        return;
    }
    if (received == 0) {
        endPeer(options_.closeRestartMs);
        return;
    }
    static_cast<void>(idleTimer_.start(options_.idleMs));

    ObexSession::Output out;
    session_.receive(reinterpret_cast<const std::uint8_t*>(buffer), static_cast<std::size_t>(received), out);
    if (!out.reply.empty()) {
        const int size = static_cast<int>(out.reply.size());
        if (connection_.send(reinterpret_cast<const char*>(out.reply.data()), size, 0) != size) out.close = true;
    }
    runLines(out.lines, out.droppedLines);
    if (out.close) endPeer(0);
}

void IRServer::runLines(const std::vector<std::string>& lines, std::size_t dropped) {
    if (dropped != 0 && !toldDroppedLines_) {
        toldDroppedLines_ = true;
        const std::wstring limit = std::to_wstring(ObexSession::kMaxLines);
        Util::notify("IRServer_TooManyLines",
                     formatText(Lang::instance().text(L"Notification", L"IRComTooManyLines"), limit),
                     NotifyWndInfo::kWarning);
    }
    const Ini& settings = Ini::instance();
    std::vector<std::wstring> actions;
    for (const std::string& line : lines) {
        const IRRules::Command command = IRRules::parseLine(tavel::win::file::decodeAnsi(line));
        for (const std::wstring& action :
             IRRules::actionsToRun(command, settings.irComKeys, peerFromNetwork_, options_.tcpAllowAllActions))
            actions.push_back(action);
    }
    if (actions.empty()) return;
    // One task for the whole object, posted: an action may rebuild the
    // servers, this one included.
    const bool posted = MainThread::post([actions] {
        for (const std::wstring& action : actions)
            ActionRunner::instance().runByName(action, true);
    });
    if (!posted) {
        Util::notify("IRServer_Busy", Lang::instance().text(L"Notification", L"IRComBusy"), NotifyWndInfo::kWarning);
    }
}

void IRServer::onClose(Winsock& winsock, SOCKET) {
    if (&winsock == &connection_) endPeer(options_.closeRestartMs);
}

void IRServer::endPeer(unsigned int pauseMs) {
    idleTimer_.stop();
    lifetimeTimer_.stop();
    connection_.closeAll();
    if (pauseMs == 0) return;
    // Without the timer the pause would never end: no pause then.
    pausing_ = restartTimer_.start(pauseMs);
}

void IRServer::receiveFailed() {
    // Only the failing transport pauses; the other one keeps listening.
    const bool network = peerFromNetwork_;
    endPeer(options_.closeRestartMs);
    if (network) {
        tcpListener_.closeAll();
        tcpClosed_ = true;
    } else {
        irdaListener_.closeAll();
        irdaClosed_ = true;
    }
    Util::notify("IRServer_RecvError", AppException(network ? L"IRComTcpRecv" : L"IRComRecv").text(),
                 NotifyWndInfo::kWarning);
    // Without the timer the listener comes back at once rather than never.
    if (!relistenTimer_.start(options_.failureRestartMs)) restart();
}

void IRServer::onTimer(tavel::win::timer::Timer& timer) {
    timer.stop();
    if (&timer == &idleTimer_ || &timer == &lifetimeTimer_) {
        if (connection_.valid()) endPeer(0);
    } else if (&timer == &restartTimer_) {
        pausing_ = false;
    } else if (&timer == &relistenTimer_) {
        restart();
    }
}

void IRServer::restart() {
    const bool irda = irdaClosed_, tcp = tcpClosed_;
    irdaClosed_ = tcpClosed_ = false;
    // Each transport comes back on its own; one that fails stays closed and says so.
    if (irda && options_.irda) {
        try {
            startIrda();
        } catch (const AppException& e) {
            Util::notify("IRServer_InitError", e.text(), NotifyWndInfo::kWarning);
        }
    }
    if (tcp && options_.tcpPort != 0) {
        try {
            startTcp();
        } catch (const AppException& e) {
            Util::notify("IRServer_InitError", e.text(), NotifyWndInfo::kWarning);
        }
    }
}

}  // namespace tavelapp
