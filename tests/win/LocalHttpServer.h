#pragma once
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A small HTTP/1.0 server on 127.0.0.1 (a port of its own) answering GET
// requests from a table of paths (the query is part of a request's path for
// the log, but routes match the path before '?'). Unknown paths get 404;
// a route of status 307 redirects to its body; a trickled route sends its body
// one byte at a time.
class LocalHttpServer {
public:
    LocalHttpServer() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        int length = sizeof(address);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        ::listen(listener_, 8);
        thread_ = std::thread([this] { serve(); });
    }
    ~LocalHttpServer() {
        stop_ = true;
        thread_.join();
        ::closesocket(listener_);
        ::WSACleanup();
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    void route(const std::string& path, std::string body, int status = 200, int trickleMs = 0) {
        std::lock_guard<std::mutex> guard(lock_);
        routes_[path] = {status, std::move(body), trickleMs};
    }
    // A server that answers at once but sends the body a byte per `ms`.
    void trickle(const std::string& path, std::string body, int ms) { route(path, std::move(body), 200, ms); }
    std::vector<std::string> requests() const {
        std::lock_guard<std::mutex> guard(lock_);
        return requests_;
    }

private:
    struct Answer {
        int status;
        std::string body;
        int trickleMs;
    };
    void serve() {
        while (!stop_) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(listener_, &set);
            timeval wait{0, 50000};
            if (::select(0, &set, nullptr, nullptr, &wait) <= 0) continue;
            SOCKET peer = ::accept(listener_, nullptr, nullptr);
            if (peer == INVALID_SOCKET) continue;
            answer(peer);
            ::closesocket(peer);
        }
    }
    void answer(SOCKET peer) {
        // A client that connects and says nothing must not hold the server (and its destructor).
        const DWORD timeoutMs = 5000;
        ::setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof(timeoutMs));
        std::string request;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
            const int n = ::recv(peer, buffer, sizeof(buffer), 0);
            if (n <= 0) return;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        Answer answer{404, "not here", 0};
        {
            std::lock_guard<std::mutex> guard(lock_);
            requests_.push_back(path);
            const auto found = routes_.find(path.substr(0, path.find('?')));
            if (found != routes_.end()) answer = found->second;
        }
        // 307: the body is where to go instead.
        std::string location;
        if (answer.status == 307) location = "\r\nLocation: " + std::exchange(answer.body, std::string());
        const std::string reason = answer.status == 200 ? " OK" : answer.status == 307 ? " Moved" : " Not Found";
        const std::string head = "HTTP/1.0 " + std::to_string(answer.status) + reason + location +
                                 "\r\nContent-Length: " + std::to_string(answer.body.size()) +
                                 "\r\nConnection: close\r\n\r\n";
        const std::string whole = head + answer.body;
        const std::size_t piece = answer.trickleMs > 0 ? 1 : whole.size();
        for (std::size_t sent = 0; sent < whole.size();) {
            // The head at once, then the body byte by byte, until the client goes.
            if (answer.trickleMs > 0 && sent >= head.size()) {
                if (stop_) return;
                ::Sleep(static_cast<DWORD>(answer.trickleMs));
            }
            const std::size_t size = sent < head.size() ? head.size() - sent : std::min(piece, whole.size() - sent);
            const int n = ::send(peer, whole.data() + sent, static_cast<int>(size), 0);
            if (n <= 0) return;
            sent += static_cast<std::size_t>(n);
        }
        ::shutdown(peer, SD_SEND);
    }

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex lock_;
    std::map<std::string, Answer> routes_;
    std::vector<std::string> requests_;
};
