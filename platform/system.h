#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tn {

// A small settings store that stands where the shell expects the system registry: keys are paths
// below one of two roots, values are named strings or 32-bit numbers. Missing keys and values,
// unreadable or malformed stores read as absent; failed writes are ignored by callers.
class IRegistry {
public:
    enum class Root { LocalMachine, CurrentUser };
    virtual ~IRegistry() = default;
    virtual std::optional<std::string> readString(Root root, const std::string& key,
                                                  const std::string& name) = 0;
    // Creates the key when create_key is set; otherwise writes only into an existing key.
    virtual bool writeDword(Root root, const std::string& key, const std::string& name, std::uint32_t value,
                            bool create_key) = 0;
    virtual bool deleteValue(Root root, const std::string& key, const std::string& name) = 0;
    virtual bool keyExists(Root root, const std::string& key) = 0;
};

// Opens a file, program, shortcut or address the way the desktop does. Returns whether it started.
class IShellOpen {
public:
    virtual ~IShellOpen() = default;
    virtual bool open(const std::string& verb, const std::string& file, const std::string& parameters,
                      const std::string& working_folder) = 0;
    // Starts the program at path `program` (taken as it stands, never quoted or split) as a new
    // process of its own, detached from the shell, with working_folder as its current folder (the
    // shell's own when empty). Returns whether the program started.
    virtual bool start(const std::string& program, const std::string& working_folder) = 0;
};

// Shortcut files: the Shell Link binary format and freedesktop ".desktop" entries.
class IShellLinks {
public:
    struct Target {
        std::string path;
        std::string working_folder;
    };
    virtual ~IShellLinks() = default;
    // The target of a shortcut, or nullopt when the file is not a valid shortcut.
    virtual std::optional<Target> resolve(const std::string& shortcut_path) = 0;
    virtual bool create(const std::string& shortcut_path, const Target& target) = 0;
};

// Running processes.
class IProcesses {
public:
    struct Process {
        int pid;
        std::string executable;  // full path of the executable; empty when it cannot be read
    };
    virtual ~IProcesses() = default;
    virtual std::vector<Process> list() = 0;
    virtual bool terminate(int pid) = 0;
};

// The task-bar progress indicator of the shell's window.
class ITaskbarProgress {
public:
    virtual ~ITaskbarProgress() = default;
    virtual void setVisible(bool visible) = 0;
    virtual void setMaximum(std::int64_t maximum) = 0;
    virtual void setPosition(std::int64_t position) = 0;
};

// The screen's display mode, remembered and put back around programs that change it.
class IDisplayMode {
public:
    virtual ~IDisplayMode() = default;
    virtual void record() = 0;
    virtual void restore() = 0;
};

}  // namespace tn
