#pragma once

#include <string>
#include <string_view>

namespace tn::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, without a trailing "/".
    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string file(std::string_view relative) const;
    // Writes bytes to relative (creating folders on the way) without any atomic dance.
    void write(std::string_view relative, std::string_view bytes) const;
    std::string read(std::string_view relative) const;
    bool exists(std::string_view relative) const;

private:
    std::string path_;
};

}  // namespace tn::test
