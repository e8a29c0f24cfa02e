#include "access/file_registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string_view>

#include "core/atomic_file.h"

namespace tn {

namespace {

constexpr std::string_view kValuesFile = "values";

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folders of a key path, or nullopt when a part could leave the root or collide with a values
// file.
std::optional<std::vector<std::string>> keyParts(const std::string& key) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('\\', start);
        if (end == std::string::npos) end = key.size();
        std::string part = key.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        if (part == "." || part == ".." || equalsIgnoringCase(part, kValuesFile) ||
            part.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
            return std::nullopt;
        }
        parts.push_back(std::move(part));
    }
    return parts;
}

// The entry of folder whose name is part, exactly or else case-insensitively; nullopt when none
// is a folder.
std::optional<std::string> findFolder(const std::string& folder, const std::string& part) {
    const std::string exact = folder + "/" + part;
    if (isDirectory(exact)) return exact;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!equalsIgnoringCase(name, part)) continue;
        if (best && name >= *best) continue;
        if (isDirectory(folder + "/" + std::string(name))) best = std::string(name);
    }
    ::closedir(dir);
    if (!best) return std::nullopt;
    return folder + "/" + *best;
}

std::optional<std::string> findKeyFolder(const std::string& root, const std::string& key) {
    const auto parts = keyParts(key);
    if (root.empty() || !parts || !isDirectory(root)) return std::nullopt;
    std::string folder = root;
    for (const auto& part : *parts) {
        auto next = findFolder(folder, part);
        if (!next) return std::nullopt;
        folder = std::move(*next);
    }
    return folder;
}

// Creates the root and the key's missing folders.
std::optional<std::string> makeKeyFolder(const std::string& root, const std::string& key) {
    const auto parts = keyParts(key);
    if (root.empty() || !parts) return std::nullopt;
    // The root's own parents (~/.config, ...) may be missing on a fresh account.
    for (std::size_t slash = root.find('/', 1); slash != std::string::npos; slash = root.find('/', slash + 1))
        ::mkdir(root.substr(0, slash).c_str(), 0755);
    ::mkdir(root.c_str(), 0755);
    if (!isDirectory(root)) return std::nullopt;
    std::string folder = root;
    for (const auto& part : *parts) {
        if (auto next = findFolder(folder, part)) {
            folder = std::move(*next);
            continue;
        }
        folder += "/" + part;
        if (::mkdir(folder.c_str(), 0755) != 0 && !(errno == EEXIST && isDirectory(folder)))
            return std::nullopt;
    }
    return folder;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = lowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            i += 1;
            continue;
        }
        if (i + 3 < text.size() && text[i + 1] == 'x') {
            const int hi = hexDigit(text[i + 2]);
            const int lo = hexDigit(text[i + 3]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 3;
            continue;
        }
        return std::nullopt;
    }
    return out;
}

std::string escape(std::string_view text, bool is_name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte >= 0x7F || (is_name && (byte == '=' || (i == 0 && byte == '#')))) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::optional<std::uint32_t> parseDword(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && lowerAscii(text[1]) == 'x') {
        text.remove_prefix(2);
        if (text.size() > 8) return std::nullopt;
        base = 16;
    }
    // from_chars accepts no sign for unsigned types, but check the first byte all the same.
    if (text.empty() || hexDigit(text[0]) < 0) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

enum class Type { String, Dword };

struct Parsed {
    std::string name;
    Type type;
    std::string text;
    std::uint32_t number = 0;
};

std::optional<Parsed> parseLine(std::string_view line) {
    if (line.empty() || line.front() == '#') return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    auto name = unescape(line.substr(0, eq));
    if (!name) return std::nullopt;
    std::string_view rest = line.substr(eq + 1);
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view type = rest.substr(0, colon);
    const std::string_view data = rest.substr(colon + 1);
    Parsed parsed{std::move(*name), Type::String, {}, 0};
    if (equalsIgnoringCase(type, "sz")) {
        auto text = unescape(data);
        if (!text) return std::nullopt;
        parsed.text = std::move(*text);
    } else if (equalsIgnoringCase(type, "dword")) {
        auto number = parseDword(data);
        if (!number) return std::nullopt;
        parsed.type = Type::Dword;
        parsed.number = *number;
    } else {
        return std::nullopt;
    }
    return parsed;
}

// The lines of a values file, without their line ends. A missing or unreadable file has none.
std::vector<std::string> readLines(const std::string& path) {
    std::string text;
    std::vector<std::string> lines;
    if (!readWholeFile(path, text)) return lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool nameIs(const std::string& line, const std::string& name) {
    const auto parsed = parseLine(line);
    return parsed && equalsIgnoringCase(parsed->name, name);
}

bool writeLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += '\n';
    }
    return !writeFileAtomically(path, text);
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

std::string fromVariable(const char* variable, std::string fallback) {
    if (const char* value = std::getenv(variable); value && *value) return value;
    return fallback;
}

}  // namespace

struct FileRegistry::Value {
    Parsed parsed;
};

std::string registryStringLine(const std::string& name, const std::string& value) {
    return escape(name, true) + "=sz:" + escape(value, false);
}

std::string registryDwordLine(const std::string& name, std::uint32_t value) {
    return escape(name, true) + "=dword:" + std::to_string(value);
}

FileRegistry::FileRegistry(std::string machine_root, std::string user_root)
    : machine_(std::move(machine_root)), user_(std::move(user_root)) {}

std::string FileRegistry::defaultMachineRoot() {
    return "/etc/tumblenest/registry";
}

std::string FileRegistry::defaultUserRoot() {
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        const std::string home = homeFolder();
        if (home.empty()) return {};
        config = home + "/.config";
    }
    return config + "/tumblenest/registry";
}

FileRegistry FileRegistry::fromEnvironment() {
    return FileRegistry(fromVariable("TUMBLENEST_REGISTRY_MACHINE", defaultMachineRoot()),
                        fromVariable("TUMBLENEST_REGISTRY_USER", defaultUserRoot()));
}

std::optional<FileRegistry::Value> FileRegistry::find(Root root, const std::string& key,
                                                      const std::string& name) {
    const auto folder = findKeyFolder(rootFolder(root), key);
    if (!folder) return std::nullopt;
    std::optional<Value> found;
    for (const auto& line : readLines(*folder + "/" + std::string(kValuesFile))) {
        auto parsed = parseLine(line);
        if (parsed && equalsIgnoringCase(parsed->name, name)) found = Value{std::move(*parsed)};
    }
    return found;
}

std::optional<std::string> FileRegistry::readString(Root root, const std::string& key,
                                                    const std::string& name) {
    auto value = find(root, key, name);
    if (!value || value->parsed.type != Type::String) return std::nullopt;
    return std::move(value->parsed.text);
}

std::optional<std::uint32_t> FileRegistry::readDword(Root root, const std::string& key,
                                                     const std::string& name) {
    const auto value = find(root, key, name);
    if (!value || value->parsed.type != Type::Dword) return std::nullopt;
    return value->parsed.number;
}

bool FileRegistry::put(Root root, const std::string& key, const std::string& name, const std::string& line,
                       bool create_key) {
    const auto folder =
        create_key ? makeKeyFolder(rootFolder(root), key) : findKeyFolder(rootFolder(root), key);
    if (!folder) return false;
    const std::string path = *folder + "/" + std::string(kValuesFile);
    // The new line takes the place of the first line of that name; later ones would shadow it.
    std::vector<std::string> lines;
    bool placed = false;
    for (auto& existing : readLines(path)) {
        if (!nameIs(existing, name)) {
            lines.push_back(std::move(existing));
        } else if (!placed) {
            lines.push_back(line);
            placed = true;
        }
    }
    if (!placed) lines.push_back(line);
    return writeLines(path, lines);
}

bool FileRegistry::writeDword(Root root, const std::string& key, const std::string& name, std::uint32_t value,
                              bool create_key) {
    return put(root, key, name, registryDwordLine(name, value), create_key);
}

bool FileRegistry::writeString(Root root, const std::string& key, const std::string& name,
                               const std::string& value, bool create_key) {
    return put(root, key, name, registryStringLine(name, value), create_key);
}

bool FileRegistry::deleteValue(Root root, const std::string& key, const std::string& name) {
    const auto folder = findKeyFolder(rootFolder(root), key);
    if (!folder) return false;
    const std::string path = *folder + "/" + std::string(kValuesFile);
    std::vector<std::string> lines = readLines(path);
    const auto kept =
        std::remove_if(lines.begin(), lines.end(), [&](const std::string& l) { return nameIs(l, name); });
    if (kept == lines.end()) return false;
    lines.erase(kept, lines.end());
    return writeLines(path, lines);
}

bool FileRegistry::keyExists(Root root, const std::string& key) {
    return findKeyFolder(rootFolder(root), key).has_value();
}

}  // namespace tn
