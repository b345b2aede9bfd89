// Winsock is started by the server when it starts, not when the program does
// (a resident program keeps ws2_32.dll out until a network feature needs it):
// Asio's own start-up at static initialisation is marked done beforehand.
#include <boost/asio/detail/winsock_init.hpp>
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4073)
#pragma init_seg(lib)
boost::asio::detail::winsock_init<>::manual kolibrixManualWinsockInit;
#pragma warning(pop)
#else
__attribute__((init_priority(101))) boost::asio::detail::winsock_init<>::manual kolibrixManualWinsockInit;
#endif

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <deque>
#include <list>
#include <mutex>
#include <optional>
#include <set>
#include <atomic>

#include "base/AppException.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "config/LossNotice.h"
#include "input/AddressFilter.h"
#include "web/LocalAddresses.h"
#include "web/PeerGroup.h"
#include "web/Clock.h"
#include "web/ProgramBackend.h"
#include "web/SecureRandom.h"
#include "web/StateJson.h"
#include "web/WebApi.h"
#include "web/WebDevicesFile.h"
#include "web/WebServer.h"
#include "win/util/CallbackGuard.h"
#include "win/util/TextCodec.h"
#include "win/winsock/Socket.h"

namespace tavelapp {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

// Events that wait for a slow page; beyond that the oldest go (the newest state says it all).
const std::size_t kMaxQueuedEvents = 8;
const int kPingSeconds = 15;
// Requests per address: a page's start takes about ten at once.
const double kBurst = 120;
const double kPerSecond = 30;

// An IPv4 peer seen through a dual-stack socket is written as IPv4.
asio::ip::address plain(const asio::ip::address& address) {
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
    return address;
}

std::string narrow(const std::wstring& text) { return tavel::win::util::wideToUtf8(text); }

std::string computerName(COMPUTER_NAME_FORMAT format) {
    wchar_t name[256] = {};
    DWORD size = 256;
    if (!::GetComputerNameExW(format, name, &size)) return std::string();
    return narrow(std::wstring(name, size));
}

WebServer::Options optionsFromSettings() {
    const Ini& settings = Ini::instance();
    WebServer::Options options;
    if (settings.webRemote.port > 0xFFFF) throw AppException(L"WebRemoteAddress");
    options.port = static_cast<std::uint16_t>(settings.webRemote.port);
    options.address = settings.webRemote.address;
    options.allow = settings.webRemote.allow;
    options.allowAllActions = settings.webRemote.allowAllActions;
    options.devicesPath = WebDevicesFile::defaultPath();
    return options;
}

class Session;

}  // namespace

// Everything the server's thread owns. Handlers hold a plain pointer to it:
// they run only on that thread, which ends before the core goes.
struct WebServer::Core {
    Core(const Options& options, const WebDevicesFile& devicesFile);
    ~Core();

    void accept(tcp::acceptor& acceptor);
    bool admit(const asio::ip::address& address);
    void broadcast(const std::string& event);
    void saveDevices();
    // Binds every endpoint; false when that failed, busy when only because the port is held.
    bool listen(bool& busy);
    void retryListen(std::int64_t untilMs);

    Options options;
    tavel::win::winsock::Socket::Startup winsock;
    AddressFilter allowed;
    ProgramBackend backend;
    PairingStore store;
    // As loaded: a file that could not be read then is not saved over later.
    WebDevicesFile devicesFile;
    std::optional<WebApi> api;
    std::string lastEvent;
    std::list<std::weak_ptr<Session>> subscribers;
    std::set<std::shared_ptr<Session>> awaiting;
    // The open connections, oldest first (owned by their handlers).
    std::list<Session*> sessions;
    // The pairing store and the rules that use it, shared with the main
    // thread's pairing window.
    std::mutex storeLock;
    std::vector<tcp::endpoint> endpoints;
    std::vector<std::string> addresses;
    std::string computerName;
    // Cleared (on the main thread) before the server stops: answers from the
    // main thread are dropped from then on.
    std::shared_ptr<std::atomic<bool>> alive = std::make_shared<std::atomic<bool>>(true);
    std::uint16_t boundPort = 0;
    // Last: the acceptors and sessions go first, while the rest still exists.
    std::unique_ptr<asio::io_context> io;
    std::vector<std::unique_ptr<tcp::acceptor>> acceptors;
};

namespace {

// One connection: requests one after another, or the event stream.
class Session : public std::enable_shared_from_this<Session> {
public:
    Session(WebServer::Core& core, tcp::socket socket) : core_(core), stream_(std::move(socket)) {
        beast::error_code ignored;
        const tcp::endpoint peer = stream_.socket().remote_endpoint(ignored);
        const tcp::endpoint local = stream_.socket().local_endpoint(ignored);
        peer_ = plain(peer.address()).to_string();
        local_ = plain(local.address()).to_string();
        group_ = PeerGroup::of(peer_);
        listed_ = core_.sessions.insert(core_.sessions.end(), this);
    }
    ~Session() { unlist(); }

    void start() { read(); }
    const std::string& group() const { return group_; }
    // A paired device's connection is never dropped to make room.
    bool paired() const { return paired_; }

    void close() {
        if (closed_) return;
        closed_ = true;
        unlist();
        if (ping_) ping_->cancel();
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
        stream_.close();
    }

    // An event for the stream; the oldest waiting one goes when too many wait.
    void push(const std::string& event) {
        if (queue_.size() >= kMaxQueuedEvents) queue_.pop_front();
        queue_.push_back(event);
        if (!writing_) writeNext();
    }

private:
    void unlist() {
        if (listed_ != core_.sessions.end()) core_.sessions.erase(listed_);
        listed_ = core_.sessions.end();
        // A finished stream leaves nothing behind, even while no event comes.
        if (subscribed_) core_.subscribers.erase(subscription_);
        subscribed_ = false;
    }

    void read() {
        // Each request starts afresh: an answer to a broken one must not
        // take the method or keep-alive of the one before.
        keepAlive_ = false;
        head_ = false;
        parser_.emplace();
        parser_->body_limit(WebApi::kMaxBody);
        parser_->header_limit(8192);
        // A new connection that sends nothing whole soon holds no place for long.
        stream_.expires_after(
            std::chrono::seconds(requests_ == 0 ? WebServer::kFirstRequestSeconds : WebServer::kIdleSeconds));
        http::async_read(stream_, buffer_, *parser_,
                         [self = shared_from_this()](beast::error_code error, std::size_t) { self->onRead(error); });
    }

    void onRead(beast::error_code error) {
        if (error == http::error::body_limit) {
            reply(WebApi::error(413, "request too large", true), false);
            return;
        }
        if (error == http::error::header_limit) {
            reply(WebApi::error(431, "headers too large", false), false);
            return;
        }
        if (error) {
            // A request that does not read is answered once; a peer that went or idled is let go.
            if (error != http::error::end_of_stream &&
                error.category() == http::make_error_code(http::error::end_of_stream).category() &&
                parser_->got_some()) {
                reply(WebApi::error(400, "bad request", false), false);
            } else {
                close();
            }
            return;
        }
        ++requests_;
        const http::request<http::string_body>& message = parser_->get();
        WebRequest request;
        request.method = std::string(message.method_string());
        request.target = std::string(message.target());
        request.host = std::string(message[http::field::host]);
        request.origin = std::string(message[http::field::origin]);
        request.secFetchSite = std::string(message["Sec-Fetch-Site"]);
        request.cookie = std::string(message[http::field::cookie]);
        request.authorization = std::string(message[http::field::authorization]);
        request.acceptLanguage = std::string(message[http::field::accept_language]);
        request.acceptEncoding = std::string(message[http::field::accept_encoding]);
        request.ifNoneMatch = std::string(message[http::field::if_none_match]);
        request.body = message.body();
        request.peer = peer_;
        request.localAddress = local_;
        keepAlive_ = message.keep_alive();
        head_ = message.method() == http::verb::head;
        // Kept by the core until its answer comes, which may be from the main
        // thread (an action); that side holds it only weakly, and posts only
        // while the server lives.
        std::shared_ptr<Session> self = shared_from_this();
        core_.awaiting.insert(self);
        std::weak_ptr<Session> weak = self;
        WebServer::Core* core = &core_;
        asio::any_io_executor executor = stream_.get_executor();
        std::shared_ptr<std::atomic<bool>> alive = core_.alive;
        WebApi::Respond respond = [weak, core, executor, alive](WebResponse response) {
            if (!alive->load()) return;
            asio::post(executor, [weak, core, response = std::move(response)]() mutable {
                std::shared_ptr<Session> self = weak.lock();
                if (!self) return;
                core->awaiting.erase(self);
                self->answer(std::move(response));
            });
        };
        std::lock_guard<std::mutex> guard(core_.storeLock);
        // Out of memory, most likely: the peer hears of it instead of waiting.
        tavel::win::util::guarded(
            "web request", [&] { core_.api->handle(request, steadyMs(), wallSeconds(), respond); },
            [&] { respond(WebApi::error(500, "internal error", false)); });
        if (core_.store.takeChanged()) core_.saveDevices();
    }

    void answer(WebResponse response) {
        paired_ = paired_ || response.paired;
        if (response.eventStream) {
            startEvents(response);
        } else {
            reply(response, keepAlive_);
        }
    }

    void reply(const WebResponse& response, bool keepAlive) {
        auto message = std::make_shared<http::response<http::string_body>>();
        message->version(11);
        message->result(static_cast<unsigned>(response.status));
        message->set(http::field::server, "Kolibrix");
        if (!response.contentType.empty()) message->set(http::field::content_type, response.contentType);
        for (const auto& header : response.headers)
            message->insert(header.first, header.second);
        message->body() = head_ ? std::string() : response.body;
        message->prepare_payload();
        if (head_) message->content_length(response.body.size());
        message->keep_alive(keepAlive);
        stream_.expires_after(std::chrono::seconds(WebServer::kIdleSeconds));
        http::async_write(stream_, *message,
                          [self = shared_from_this(), message, keepAlive](beast::error_code error, std::size_t) {
                              if (error || !keepAlive) {
                                  self->close();
                              } else {
                                  self->read();
                              }
                          });
    }

    void startEvents(const WebResponse& response) {
        std::string head = "HTTP/1.1 200 OK\r\nServer: Kolibrix\r\nContent-Type: text/event-stream\r\n";
        for (const auto& header : response.headers)
            head += header.first + ": " + header.second + "\r\n";
        head += "Connection: close\r\n\r\n";
        queue_.push_back(head);
        queue_.push_back("retry: 2000\nevent: state\ndata: " +
                         core_.backend.state().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n\n");
        subscription_ = core_.subscribers.insert(core_.subscribers.end(), shared_from_this());
        subscribed_ = true;
        ping_.emplace(stream_.get_executor());
        schedulePing();
        watchClose();
        writeNext();
    }

    // A page that went away frees its connection at once, not at the next failed write.
    void watchClose() {
        auto byte = std::make_shared<char>();
        stream_.socket().async_read_some(asio::buffer(byte.get(), 1),
                                         [self = shared_from_this(), byte](beast::error_code error, std::size_t) {
                                             if (error) {
                                                 self->close();
                                             } else if (!self->closed_) {
                                                 self->watchClose();
                                             }
                                         });
    }

    void schedulePing() {
        ping_->expires_after(std::chrono::seconds(kPingSeconds));
        // The stream's one owner between events: closing cancels it.
        ping_->async_wait([self = shared_from_this()](beast::error_code error) {
            if (error || self->closed_) return;
            self->push(": ping\n\n");
            self->schedulePing();
        });
    }

    void writeNext() {
        if (queue_.empty() || closed_) {
            writing_ = false;
            return;
        }
        writing_ = true;
        auto data = std::make_shared<std::string>(std::move(queue_.front()));
        queue_.pop_front();
        stream_.expires_after(std::chrono::seconds(WebServer::kIdleSeconds));
        asio::async_write(stream_, asio::buffer(*data),
                          [self = shared_from_this(), data](beast::error_code error, std::size_t) {
                              if (error) {
                                  self->close();
                                  return;
                              }
                              self->writeNext();
                          });
    }

    WebServer::Core& core_;
    beast::tcp_stream stream_;
    beast::flat_buffer buffer_{8192};
    std::optional<http::request_parser<http::string_body>> parser_;
    std::optional<asio::steady_timer> ping_;
    std::deque<std::string> queue_;
    std::string peer_;
    std::string local_;
    std::string group_;
    std::list<Session*>::iterator listed_;
    std::list<std::weak_ptr<Session>>::iterator subscription_;
    bool subscribed_ = false;
    bool paired_ = false;
    int requests_ = 0;
    bool keepAlive_ = false;
    bool head_ = false;
    bool writing_ = false;
    bool closed_ = false;
};

std::mutex liveLock;
std::weak_ptr<WebServer::Core> liveCore;

}  // namespace

WebServer::Core::Core(const Options& options, const WebDevicesFile& devicesFile)
    : options(options),
      backend(ProgramBackend::Program::running(), options.allowAllActions),
      store(&SecureRandom::fill),
      devicesFile(devicesFile),
      io(std::make_unique<asio::io_context>(1)) {
    store.setDevices(devicesFile.devices, wallSeconds());
    // Devices unused for long are forgotten for good.
    if (store.takeChanged()) saveDevices();
}

WebServer::Core::~Core() {
    acceptors.clear();
    awaiting.clear();
    io.reset();
}

void WebServer::Core::saveDevices() {
    devicesFile.devices = store.devices();
    LossNotice::save(devicesFile);
}

void WebServer::Core::accept(tcp::acceptor& acceptor) {
    acceptor.async_accept([this, &acceptor](beast::error_code error, tcp::socket socket) {
        if (error == asio::error::operation_aborted) return;
        if (error) {
            // Out of sockets or memory: a pause, not a loop that spins on the failure.
            auto pause = std::make_shared<asio::steady_timer>(*io, std::chrono::milliseconds(200));
            pause->async_wait([this, &acceptor, pause](beast::error_code waited) {
                if (!waited) accept(acceptor);
            });
            return;
        }
        beast::error_code ignored;
        const tcp::endpoint peer = socket.remote_endpoint(ignored);
        // A stranger, or one too many, is let go before a byte of it is read.
        if (!ignored && admit(plain(peer.address()))) {
            std::make_shared<Session>(*this, std::move(socket))->start();
        } else {
            socket.close(ignored);
        }
        accept(acceptor);
    });
}

bool WebServer::Core::admit(const asio::ip::address& address) {
    bool allowedPeer = false;
    if (address.is_v4()) {
        const auto bytes = address.to_v4().to_bytes();
        allowedPeer = allowed.allows(bytes.data(), bytes.size());
    } else {
        const auto bytes = address.to_v6().to_bytes();
        allowedPeer = allowed.allows(bytes.data(), bytes.size());
    }
    if (!allowedPeer) return false;
    // Room is made by the oldest connection without a paired token, of the
    // peer's own group when that is full, else of anyone: one address that
    // holds many connections open keeps neither its group nor others out.
    const std::string group = PeerGroup::of(address.to_string());
    const auto oldestUnpaired = [this](const std::string* of) -> Session* {
        for (Session* session : sessions) {
            if (!session->paired() && (of == nullptr || session->group() == *of)) return session;
        }
        return nullptr;
    };
    const auto inGroup = std::count_if(sessions.begin(), sessions.end(),
                                       [&group](const Session* session) { return session->group() == group; });
    if (inGroup >= kMaxPerGroup) {
        Session* victim = oldestUnpaired(&group);
        if (victim == nullptr) return false;
        victim->close();
    }
    if (sessions.size() >= static_cast<std::size_t>(kMaxConnections)) {
        Session* victim = oldestUnpaired(nullptr);
        if (victim == nullptr) return false;
        victim->close();
    }
    return true;
}

void WebServer::Core::broadcast(const std::string& event) {
    if (event == lastEvent) return;
    lastEvent = event;
    // A stream leaves the list itself when it ends.
    for (const std::weak_ptr<Session>& subscriber : subscribers) {
        if (std::shared_ptr<Session> session = subscriber.lock()) session->push(event);
    }
}

bool WebServer::Core::listen(bool& busy) {
    busy = false;
    acceptors.clear();
    bool listeningV4 = false;
    for (const tcp::endpoint& endpoint : endpoints) {
        auto acceptor = std::make_unique<tcp::acceptor>(*io);
        beast::error_code error;
        acceptor->open(endpoint.protocol(), error);
        if (error) continue;
        // IPv4 gets a socket of its own: mapping it into IPv6 is not everywhere.
        if (endpoint.address().is_v6()) {
            acceptor->set_option(asio::ip::v6_only(true), error);
            error.clear();
        }
        // No other program may take the port over while we hold it.
        const BOOL exclusive = TRUE;
        ::setsockopt(acceptor->native_handle(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                     reinterpret_cast<const char*>(&exclusive), sizeof(exclusive));
        acceptor->bind(endpoint, error);
        // Connections of the server before (closed as the options closed) may hold the port a while.
        if (error == asio::error::address_in_use || error == asio::error::access_denied) busy = true;
        if (!error) acceptor->listen(asio::socket_base::max_listen_connections, error);
        if (error) continue;
        boundPort = acceptor->local_endpoint(error).port();
        listeningV4 = listeningV4 || endpoint.address().is_v4();
        acceptors.push_back(std::move(acceptor));
    }
    // Without IPv4 the phones of most home networks would find nobody, and nobody would say why.
    const bool wantV4 = options.address.empty();
    if (acceptors.empty() || (wantV4 && !listeningV4)) {
        acceptors.clear();
        return false;
    }
    for (const std::unique_ptr<tcp::acceptor>& acceptor : acceptors)
        accept(*acceptor);
    return true;
}

void WebServer::Core::retryListen(std::int64_t untilMs) {
    auto pause = std::make_shared<asio::steady_timer>(*io, std::chrono::milliseconds(250));
    pause->async_wait([this, pause, untilMs](beast::error_code waited) {
        if (waited) return;
        bool busy = false;
        if (listen(busy)) return;
        if (busy && steadyMs() < untilMs) {
            retryListen(untilMs);
            return;
        }
        Util::notify("WebServer_InitError", AppException(L"WebRemoteListen").text(), NotifyWndInfo::kWarning);
    });
}

WebServer::WebServer() : WebServer(optionsFromSettings()) {}

WebServer::WebServer(const Options& options) {
    WebDevicesFile file(options.devicesPath);
    file.load();
    core_ = std::make_shared<Core>(options, file);
    Core& core = *core_;
    if (!tavel::win::winsock::Socket::Startup::ready()) throw AppException(L"WebRemoteListen");
    std::wstring bad;
    if (!core.allowed.parse(options.allow, &bad)) throw AppException(L"WebRemoteAllow");

    std::vector<std::string> names;
    for (const COMPUTER_NAME_FORMAT format :
         {ComputerNameDnsHostname, ComputerNameDnsFullyQualified, ComputerNameNetBIOS}) {
        const std::string name = computerName(format);
        if (name.empty()) continue;
        // A phone reaches the name only where the server listens on every address.
        if (core.computerName.empty() && options.address.empty()) core.computerName = name;
        names.push_back(name);
        names.push_back(name + ".local");
    }

    // Every address: IPv6 where the system has it, and IPv4.
    if (options.address.empty()) {
        core.endpoints.emplace_back(tcp::v6(), options.port);
        core.endpoints.emplace_back(tcp::v4(), options.port);
        core.addresses = LocalAddresses::usable();
    } else {
        AddressFilter::Address parsed;
        beast::error_code error;
        const asio::ip::address address = asio::ip::make_address(narrow(options.address), error);
        if (error || !AddressFilter::parseAddress(narrow(options.address), parsed))
            throw AppException(L"WebRemoteAddress");
        core.endpoints.emplace_back(address, options.port);
        core.addresses.push_back(plain(address).to_string());
    }
    bool busy = false;
    const bool listening = core.listen(busy);
    if (!listening && !busy) throw AppException(L"WebRemoteListen");
    HostCheck hosts(core.boundPort != 0 ? core.boundPort : options.port);
    for (const std::string& name : names)
        hosts.addName(name);
    if (!options.address.empty()) hosts.addAddress(narrow(options.address));
    core.api.emplace(core.backend, hosts, core.store, RateLimiter(kBurst, kPerSecond, 4096));
    if (!listening) core.retryListen(steadyMs() + kRebindMs);

    thread_ = std::thread([&core] {
        // One failed handler must not end the server.
        while (!tavel::win::util::guardedOr("web server", false, [&] {
            core.io->run();
            return true;
        })) {
        }
    });
    std::lock_guard<std::mutex> guard(liveLock);
    liveCore = core_;
}

WebServer::~WebServer() {
    {
        std::lock_guard<std::mutex> guard(liveLock);
        liveCore.reset();
    }
    if (core_) {
        core_->alive->store(false);
        core_->io->stop();
    }
    if (thread_.joinable()) thread_.join();
    if (core_ && core_->store.takeChanged()) core_->saveDevices();
}

std::uint16_t WebServer::port() const { return core_->boundPort; }

namespace {

std::shared_ptr<WebServer::Core> live() {
    std::lock_guard<std::mutex> guard(liveLock);
    return liveCore.lock();
}

}  // namespace

bool WebServer::openPairing(const std::string& requester) {
    const std::shared_ptr<Core> core = live();
    if (!core) return false;
    std::lock_guard<std::mutex> guard(core->storeLock);
    return core->store.openWindow(requester, steadyMs());
}

bool WebServer::pairing(Pairing& out) {
    const std::shared_ptr<Core> core = live();
    if (!core) return false;
    std::lock_guard<std::mutex> guard(core->storeLock);
    out.window = core->store.window(steadyMs());
    out.port = core->options.port != 0 ? core->options.port : core->boundPort;
    out.addresses = core->addresses;
    out.computerName = core->computerName;
    return true;
}

void WebServer::closePairing() {
    const std::shared_ptr<Core> core = live();
    if (!core) return;
    std::lock_guard<std::mutex> guard(core->storeLock);
    core->store.closeWindow();
}

void WebServer::snapshotTaken(const std::shared_ptr<const PlayerState>& state) {
    if (!state) return;
    const std::shared_ptr<Core> core = live();
    if (!core) return;
    core->backend.snapshotTaken(state, steadyMs());
    const std::string event = "event: state\ndata: " +
                              StateJson::from(*state).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                              "\n\n";
    Core* raw = core.get();
    asio::post(*core->io, [raw, event] { raw->broadcast(event); });
}

}  // namespace tavelapp
