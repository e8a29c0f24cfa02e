#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <system_error>

namespace tn {

// An HTTP/1.1 client for the update server: whole bodies into memory, synchronous calls.
// Tests use a real server on 127.0.0.1 rather than a double.
class IHttpClient {
public:
    struct Response {
        long status = 0;                             // 0 when no answer came (see error)
        std::string body;                            // capped by the caller's limit
        std::map<std::string, std::string> headers;  // names in lower case
        std::string error;                           // empty on a transfer that completed
    };
    // Called during a transfer with the bytes so far and the announced total (0 = unknown).
    using Progress = std::function<void(std::int64_t done, std::int64_t total)>;

    virtual ~IHttpClient() = default;
    // A proxy host:port for every later request; an empty host means a direct connection.
    virtual void setProxy(const std::string& host, int port) = 0;
    virtual void setHeader(const std::string& name, const std::string& value) = 0;
    // GET; bodies over max_bytes end the transfer with an error.
    virtual Response get(const std::string& url, std::int64_t max_bytes, const Progress& progress) = 0;
    virtual Response head(const std::string& url) = 0;
};

// A ZIP archive read from a file. Tests use real archives rather than a double.
class IZipArchive {
public:
    virtual ~IZipArchive() = default;
    // Number of entries, or -1 when the file is not a readable archive.
    virtual long entryCount(const std::string& archive_path) = 0;
    // Extracts every entry below folder. Entries that would leave the folder (absolute names, "..",
    // links, devices) refuse the whole archive; nothing is left half-extracted.
    virtual std::error_code extractAll(const std::string& archive_path, const std::string& folder) = 0;
};

}  // namespace tn
