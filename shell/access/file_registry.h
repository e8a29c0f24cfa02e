#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system.h"

namespace tn {

// The registry of the shell, kept in plain files: one folder tree per root.
//
// Roots
//   LocalMachine: $TUMBLENEST_REGISTRY_MACHINE, or /etc/tumblenest/registry (written by an
//                 installer as root; the shell only reads it).
//   CurrentUser:  $TUMBLENEST_REGISTRY_USER, or $XDG_CONFIG_HOME/tumblenest/registry, or
//                 ~/.config/tumblenest/registry.
//   An empty or unset variable means the default; XDG_CONFIG_HOME counts only when it is absolute.
//
// Keys
//   A key path's parts, separated by "\", are folders below the root; empty parts are skipped, so
//   "SOFTWARE\TUMBLENEST" is <root>/SOFTWARE/TUMBLENEST. Key names compare without regard to ASCII
//   case, as the registry's do: a lookup takes the folder whose name matches exactly or, failing
//   that, the first (in byte order) that matches case-insensitively; a new folder is created with
//   the spelling given. A key path with a part that is ".", "..", "values", or holds "/" or NUL
//   names no key: reads find nothing and writes fail, so no path can leave the root.
//
// Values
//   The values of a key are the lines of the file "values" in its folder (LF or CR LF):
//       name=type:data
//   type "sz":    data is the string.
//   type "dword": data is a decimal number 0 to 4294967295, or "0x" and one to eight hex digits.
//   In name and data "\\" stands for a backslash and "\xHH" (two hex digits) for any byte; the first
//   "=" not written as "\x3D" ends the name, an empty name is the key's default value, value names
//   compare case-insensitively, and where a name is given twice the last line wins. Blank lines and
//   lines starting with "#" are comments. A line that does not parse (no "=", an unknown type, a
//   bad escape or number) is ignored and kept as it is when the file is rewritten.
//   The writer escapes backslashes, every byte below 0x20 or from 0x7F up, and, in names, "=" and a
//   leading "#", so any bytes survive a write and a read.
//
//   An installer stores the scrambled parent password (see access/scramble.h) by hand with
//       mkdir -p /etc/tumblenest/registry/SOFTWARE/TUMBLENEST
//       printf '%s\n' 'pw=sz:\x85\x94\x86' > /etc/tumblenest/registry/SOFTWARE/TUMBLENEST/values
//   (here the password "pas", each byte XORed with the key 0xF5).
//
// Failures: a missing root, key, file or value, an unreadable file, a value of the other type
// read as a string, all read as absent. Nothing throws. Every write replaces the values file
// atomically and returns false when it could not.
class FileRegistry final : public IRegistry {
public:
    FileRegistry(std::string machine_root, std::string user_root);
    // The roots as the environment gives them (see above).
    static FileRegistry fromEnvironment();
    static std::string defaultMachineRoot();
    static std::string defaultUserRoot();

    std::optional<std::string> readString(Root root, const std::string& key,
                                          const std::string& name) override;
    bool writeDword(Root root, const std::string& key, const std::string& name, std::uint32_t value,
                    bool create_key) override;
    bool deleteValue(Root root, const std::string& key, const std::string& name) override;
    bool keyExists(Root root, const std::string& key) override;

    // The shell never writes strings; installers and tests do.
    bool writeString(Root root, const std::string& key, const std::string& name, const std::string& value,
                     bool create_key);
    // The reading of a DWORD value, for completeness of the store.
    std::optional<std::uint32_t> readDword(Root root, const std::string& key, const std::string& name);

    const std::string& rootFolder(Root root) const { return root == Root::LocalMachine ? machine_ : user_; }

private:
    struct Value;
    std::optional<Value> find(Root root, const std::string& key, const std::string& name);
    bool put(Root root, const std::string& key, const std::string& name, const std::string& line,
             bool create_key);

    std::string machine_;
    std::string user_;
};

// One line of a values file in the writer's form, for installers and tests.
std::string registryStringLine(const std::string& name, const std::string& value);
std::string registryDwordLine(const std::string& name, std::uint32_t value);

}  // namespace tn
