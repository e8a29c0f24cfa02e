#include "platform/doubles/recording.h"

namespace tn {

std::vector<std::string> CallLog::starting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& c : calls) {
        if (c.rfind(prefix, 0) == 0) out.push_back(c);
    }
    return out;
}

void RecordingLockdown::wlDisableItem(int item, int state) {
    log_->add("wlDisableItem " + std::to_string(item) + " " + std::to_string(state));
    if (state) {
        items_.insert(item);
    } else {
        items_.erase(item);
    }
}

void RecordingLockdown::wlDisableKey(int window, int key, int modifiers, int state) {
    log_->add("wlDisableKey " + std::to_string(window) + " " + std::to_string(key) + " " +
              std::to_string(modifiers) + " " + std::to_string(state));
    if (state) {
        keys_.insert({key, modifiers});
    } else {
        keys_.erase({key, modifiers});
    }
}

namespace {
class RecordingPlayer final : public ISoundPlayer {
public:
    RecordingPlayer(std::shared_ptr<CallLog> log, std::string path)
        : log_(std::move(log)), path_(std::move(path)) {}
    void play() override {
        const auto slash = path_.find_last_of('/');
        log_->add("play " + (slash == std::string::npos ? path_ : path_.substr(slash + 1)));
    }

private:
    std::shared_ptr<CallLog> log_;
    std::string path_;
};
}  // namespace

std::unique_ptr<ISoundPlayer> RecordingSoundSystem::open(const std::string& path) {
    if (present && present->count(path) == 0) return nullptr;
    return std::make_unique<RecordingPlayer>(log_, path);
}

void RecordingWaveOut::setVolume(int device, std::uint32_t volume) {
    log_->add("setVolume " + std::to_string(device) + " " + std::to_string(volume));
}

std::vector<IWindows::Window> RecordingWindows::list(bool visible_only) {
    std::vector<Window> out;
    for (const auto& w : windows) {
        const State state = w.minimized ? State::Minimized : w.visible ? State::Normal : State::Hidden;
        if (!visible_only || state == State::Normal) out.push_back({w.id, w.title, state});
    }
    return out;
}

std::optional<IWindows::Id> RecordingWindows::findByTitle(const std::string& title) {
    for (const auto& w : windows) {
        if (w.title == title) return w.id;
    }
    return std::nullopt;
}

bool RecordingShellOpen::open(const std::string& verb, const std::string& file, const std::string& parameters,
                              const std::string& working_folder) {
    log_->add("shellOpen [" + verb + "] [" + file + "] [" + parameters + "] [" + working_folder + "]");
    return result;
}

bool RecordingShellOpen::start(const std::string& program, const std::string& working_folder) {
    log_->add("start " + program + " " + working_folder);
    return start_result;
}

bool RecordingProcesses::terminate(int pid) {
    log_->add("terminate " + std::to_string(pid));
    for (auto it = processes.begin(); it != processes.end(); ++it) {
        if (it->pid == pid) {
            processes.erase(it);
            return true;
        }
    }
    return false;
}

std::string MemoryRegistry::full(Root root, const std::string& key) {
    return (root == Root::LocalMachine ? "HKLM" : "HKCU") + std::string("\\") + key;
}

std::optional<std::string> MemoryRegistry::readString(Root root, const std::string& key,
                                                      const std::string& name) {
    auto k = keys_.find(full(root, key));
    if (k == keys_.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    return v->second;
}

bool MemoryRegistry::writeDword(Root root, const std::string& key, const std::string& name,
                                std::uint32_t value, bool create_key) {
    log_->add("registry write " + full(root, key) + " " + name + "=" + std::to_string(value));
    auto k = keys_.find(full(root, key));
    if (k == keys_.end()) {
        if (!create_key) return false;
        k = keys_.emplace(full(root, key), std::map<std::string, std::string>{}).first;
    }
    k->second[name] = std::to_string(value);
    return true;
}

bool MemoryRegistry::deleteValue(Root root, const std::string& key, const std::string& name) {
    log_->add("registry delete " + full(root, key) + " " + name);
    auto k = keys_.find(full(root, key));
    return k != keys_.end() && k->second.erase(name) > 0;
}

bool MemoryRegistry::keyExists(Root root, const std::string& key) {
    return keys_.count(full(root, key)) != 0;
}

void MemoryRegistry::putString(Root root, const std::string& key, const std::string& name,
                               const std::string& value) {
    keys_[full(root, key)][name] = value;
}

void MemoryRegistry::createKey(Root root, const std::string& key) {
    keys_[full(root, key)];
}

std::optional<IShellLinks::Target> RecordingShellLinks::resolve(const std::string& shortcut_path) {
    auto it = links.find(shortcut_path);
    if (it == links.end()) return std::nullopt;
    return it->second;
}

bool RecordingShellLinks::create(const std::string& shortcut_path, const Target& target) {
    log_->add("createLink " + shortcut_path + " -> " + target.path);
    links[shortcut_path] = target;
    return true;
}

}  // namespace tn

namespace tn {

void FakeBrowser::navigate(const std::string& url) {
    if (events_.before_navigate && !events_.before_navigate(url, true)) {
        log_->add("browser refused " + url);
        return;
    }
    log_->add("browser navigate " + url);
    location_ = url;
    if (events_.document_complete) events_.document_complete(url);
}

}  // namespace tn
