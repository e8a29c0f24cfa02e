#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/lockdown.h"
#include "platform/sound.h"
#include "platform/system.h"
#include "platform/windows.h"

namespace tn {

// One log shared by the recording doubles, so that a test sees the order of calls across
// interfaces (the lockdown calls of start-up interleave with the desktop's).
struct CallLog {
    std::vector<std::string> calls;
    void add(std::string call) { calls.push_back(std::move(call)); }
    // The calls that start with prefix, in order.
    std::vector<std::string> starting(const std::string& prefix) const;
};

class RecordingLockdown final : public ILockdown {
public:
    explicit RecordingLockdown(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    void wlDisableItem(int item, int state) override;
    void wlDisableKey(int window, int key, int modifiers, int state) override;
    // What a real lockdown would have in force now, for tests of end states.
    const std::set<int>& disabledItems() const { return items_; }
    bool keyDisabled(int key, int modifiers) const { return keys_.count({key, modifiers}) != 0; }

private:
    std::shared_ptr<CallLog> log_;
    std::set<int> items_;
    std::set<std::pair<int, int>> keys_;
};

class RecordingKeyboardHook final : public IKeyboardHook {
public:
    explicit RecordingKeyboardHook(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    void FreeHook() override { log_->add("FreeHook"); }

private:
    std::shared_ptr<CallLog> log_;
};

class RecordingDesktop final : public IDesktop {
public:
    explicit RecordingDesktop(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    void minimizeAll() override { log_->add("minimizeAll"); }
    void showTaskBar() override { log_->add("showTaskBar"); }

private:
    std::shared_ptr<CallLog> log_;
};

// Sounds: open() succeeds for the files listed as present; play() is logged with the file name.
class RecordingSoundSystem final : public ISoundSystem {
public:
    explicit RecordingSoundSystem(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    std::unique_ptr<ISoundPlayer> open(const std::string& path) override;
    // When set, only these paths open; otherwise every path does.
    std::optional<std::set<std::string>> present;

private:
    std::shared_ptr<CallLog> log_;
};

class RecordingWaveOut final : public IWaveOut {
public:
    explicit RecordingWaveOut(std::shared_ptr<CallLog> log, int devices = 1)
        : log_(std::move(log)), devices_(devices) {}
    int deviceCount() override { return devices_; }
    void setVolume(int device, std::uint32_t volume) override;

private:
    std::shared_ptr<CallLog> log_;
    int devices_;
};

// A desktop of windows held in memory.
class RecordingWindows final : public IWindows {
public:
    explicit RecordingWindows(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    std::vector<Window> list(bool visible_only) override;
    std::optional<Id> findByTitle(const std::string& title) override;
    void showMaximized(Id id) override { log_->add("showMaximized " + std::to_string(id)); }
    void showNormal(Id id) override { log_->add("showNormal " + std::to_string(id)); }
    void bringToForeground(Id id) override { log_->add("bringToForeground " + std::to_string(id)); }
    void askToClose(Id id) override { log_->add("askToClose " + std::to_string(id)); }
    std::optional<Id> foreground() override { return foreground_; }

    struct Entry {
        Id id;
        std::string title;
        bool visible = true;
        bool minimized = false;  // listed as minimised (and so not visible)
    };
    std::vector<Entry> windows;
    std::optional<Id> foreground_;

private:
    std::shared_ptr<CallLog> log_;
};

class RecordingShellOpen final : public IShellOpen {
public:
    explicit RecordingShellOpen(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    bool open(const std::string& verb, const std::string& file, const std::string& parameters,
              const std::string& working_folder) override;
    // Logged as "start PROGRAM FOLDER".
    bool start(const std::string& program, const std::string& working_folder) override;
    bool result = true;        // what open() returns
    bool start_result = true;  // what start() returns

private:
    std::shared_ptr<CallLog> log_;
};

class RecordingProcesses final : public IProcesses {
public:
    explicit RecordingProcesses(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    std::vector<Process> list() override { return processes; }
    bool terminate(int pid) override;
    std::vector<Process> processes;

private:
    std::shared_ptr<CallLog> log_;
};

// A registry held in memory; keys are "root\path" strings.
class MemoryRegistry final : public IRegistry {
public:
    explicit MemoryRegistry(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    std::optional<std::string> readString(Root root, const std::string& key,
                                          const std::string& name) override;
    bool writeDword(Root root, const std::string& key, const std::string& name, std::uint32_t value,
                    bool create_key) override;
    bool deleteValue(Root root, const std::string& key, const std::string& name) override;
    bool keyExists(Root root, const std::string& key) override;

    void putString(Root root, const std::string& key, const std::string& name, const std::string& value);
    void createKey(Root root, const std::string& key);

private:
    static std::string full(Root root, const std::string& key);
    std::shared_ptr<CallLog> log_;
    std::map<std::string, std::map<std::string, std::string>> keys_;
};

class RecordingShellLinks final : public IShellLinks {
public:
    explicit RecordingShellLinks(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    std::optional<Target> resolve(const std::string& shortcut_path) override;
    bool create(const std::string& shortcut_path, const Target& target) override;
    std::map<std::string, Target> links;

private:
    std::shared_ptr<CallLog> log_;
};

class RecordingTaskbarProgress final : public ITaskbarProgress {
public:
    explicit RecordingTaskbarProgress(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    void setVisible(bool visible) override {
        log_->add(std::string("progress visible ") + (visible ? "1" : "0"));
    }
    void setMaximum(std::int64_t maximum) override {
        log_->add("progress maximum " + std::to_string(maximum));
    }
    void setPosition(std::int64_t position) override {
        log_->add("progress position " + std::to_string(position));
    }

private:
    std::shared_ptr<CallLog> log_;
};

class RecordingDisplayMode final : public IDisplayMode {
public:
    explicit RecordingDisplayMode(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    void record() override { log_->add("display record"); }
    void restore() override { log_->add("display restore"); }

private:
    std::shared_ptr<CallLog> log_;
};

}  // namespace tn

#include "platform/browser.h"

namespace tn {

// A browser that loads nothing: navigations pass through the hook and are logged; the test fires
// page events itself.
class FakeBrowser final : public IBrowser {
public:
    explicit FakeBrowser(std::shared_ptr<CallLog> log) : log_(std::move(log)) {}
    void setEvents(Events events) override { events_ = std::move(events); }
    void navigate(const std::string& url) override;
    void back() override { log_->add("browser back"); }
    void forward() override { log_->add("browser forward"); }
    void refresh() override { log_->add("browser refresh"); }
    void stop() override { log_->add("browser stop"); }
    std::string location() const override { return location_; }
    Events& events() { return events_; }

private:
    std::shared_ptr<CallLog> log_;
    Events events_;
    std::string location_;
};

}  // namespace tn
