#pragma once

#include <string>
#include <string_view>

namespace tn {

// Which addresses an embedded browser may open at all, before the block list is consulted.
//
// Web addresses (http, https) and the inert schemes pages use for their own content (about, data,
// blob) pass. A local file passes only when it lies inside the data directory, after "." and ".."
// segments, percent escapes and symbolic links are resolved: a page must not reach the parent's or
// the system's files. Every other scheme (view-source, chrome, ftp, javascript, …) is refused.
class AddressPolicy {
public:
    // data_dir: the data directory, with or without a trailing "/".
    explicit AddressPolicy(const std::string& data_dir);

    bool allows(std::string_view url) const;

    // The local path a "file:" address names ("file:///a/b%20c" → "/a/b c"), or empty when the
    // address is not a local file address (another host, a relative form).
    static std::string localPath(std::string_view url);

private:
    std::string root_;  // canonical data directory, ending in "/"
};

// Removes "." and ".." segments and repeated "/" from an absolute path without touching the disk.
std::string normalizePath(std::string_view absolute_path);

}  // namespace tn
