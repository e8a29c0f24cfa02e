#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tn::test {

// A small HTTP/1.1 server on 127.0.0.1 for tests: it answers from a table of paths and records every
// request it receives, so a test can prove that a refused navigation made no request at all.
class HttpServer {
public:
    struct Reply {
        int status = 200;
        std::string body;
        std::map<std::string, std::string>
            headers;  // e.g. {"Location", "/x"}; Content-Type defaults to text/html
    };

    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + path
    std::string url(const std::string& path) const;
    void route(const std::string& path, Reply reply);
    // A page answered with 200.
    void page(const std::string& path, std::string html) { route(path, Reply{200, std::move(html), {}}); }
    // Paths requested so far, in order (query strings included).
    std::vector<std::string> requests() const;
    bool requested(const std::string& path) const;

private:
    void serve();
    void answer(int client);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Reply> routes_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace tn::test
