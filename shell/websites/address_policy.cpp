#include "websites/address_policy.h"

#include <climits>
#include <cstdlib>
#include <vector>

namespace tn {
namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int hi = hexValue(s[i + 1]);
            const int lo = hexValue(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

// The canonical form of an existing path, or of its longest existing ancestor followed by the rest:
// a link anywhere on the way is resolved, so it cannot point the check past the data directory.
std::string canonical(const std::string& path) {
    std::string head = path;
    std::string tail;
    char buf[PATH_MAX];
    while (!::realpath(head.c_str(), buf)) {
        const auto slash = head.find_last_of('/');
        if (slash == std::string::npos) return path;
        tail = head.substr(slash + 1) + (tail.empty() ? "" : "/" + tail);
        head = slash == 0 ? "/" : head.substr(0, slash);
    }
    std::string resolved(buf);
    if (!tail.empty()) resolved += "/" + tail;
    return normalizePath(resolved);
}

}  // namespace

std::string normalizePath(std::string_view p) {
    std::vector<std::string_view> parts;
    std::size_t i = 0;
    while (i <= p.size()) {
        const std::size_t next = std::min(p.find('/', i), p.size());
        const std::string_view part = p.substr(i, next - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = next + 1;
    }
    std::string out;
    for (auto part : parts)
        out.append("/").append(part);
    return out.empty() ? "/" : out;
}

AddressPolicy::AddressPolicy(const std::string& data_dir) {
    root_ = canonical(normalizePath(data_dir));
    if (root_.empty() || root_.back() != '/') root_ += "/";
}

std::string AddressPolicy::localPath(std::string_view url) {
    if (lower(url.substr(0, 5)) != "file:") return {};
    std::string_view rest = url.substr(5);
    // Query and fragment are not part of the path.
    rest = rest.substr(0, std::min(rest.find('?'), rest.find('#')));
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && lower(host) != "localhost") return {};
        if (slash == std::string_view::npos) return {};
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest.front() != '/') return {};
    std::string path = percentDecode(rest);
    // Browsers treat a backslash in a file address as a separator.
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    if (path.find('\0') != std::string::npos) return {};
    return path;
}

bool AddressPolicy::allows(std::string_view url) const {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string scheme = lower(url.substr(0, colon));
    if (scheme == "http" || scheme == "https" || scheme == "about" || scheme == "data" || scheme == "blob") {
        return true;
    }
    if (scheme != "file") return false;
    const std::string path = localPath(url);
    if (path.empty()) return false;
    const std::string resolved = canonical(normalizePath(path));
    return resolved.size() >= root_.size() ? resolved.compare(0, root_.size(), root_) == 0
                                           : resolved + "/" == root_;
}

}  // namespace tn
