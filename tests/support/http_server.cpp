#include "support/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace tn::test {

HttpServer::HttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener_, 16);
    socklen_t len = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { serve(); });
}

HttpServer::~HttpServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::string HttpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpServer::route(const std::string& path, Reply reply) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(reply);
}

std::vector<std::string> HttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool HttpServer::requested(const std::string& path) const {
    const auto r = requests();
    return std::find(r.begin(), r.end(), path) != r.end();
}

void HttpServer::serve() {
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        answer(client);
        ::close(client);
    }
}

void HttpServer::answer(int client) {
    // Read the request head; bodies are not expected.
    std::string head;
    char buf[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        pollfd p{client, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0) return;
        const ssize_t n = ::read(client, buf, sizeof buf);
        if (n <= 0) return;
        head.append(buf, static_cast<std::size_t>(n));
    }
    const auto sp1 = head.find(' ');
    const auto sp2 = head.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos) return;
    const std::string method = head.substr(0, sp1);
    const std::string target = head.substr(sp1 + 1, sp2 - sp1 - 1);
    Reply reply{404, "not found", {}};
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(target);
        const std::string path = target.substr(0, target.find('?'));
        if (auto it = routes_.find(path); it != routes_.end()) reply = it->second;
    }
    std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\nConnection: close\r\n";
    if (reply.headers.count("Content-Type") == 0) out += "Content-Type: text/html; charset=utf-8\r\n";
    for (const auto& [k, v] : reply.headers)
        out += k + ": " + v + "\r\n";
    out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n";
    if (method != "HEAD") out += reply.body;
    std::size_t sent = 0;
    while (sent < out.size()) {
        const ssize_t n = ::send(client, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace tn::test
