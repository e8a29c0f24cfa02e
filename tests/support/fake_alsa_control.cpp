// A sound card's mixer controls held in memory, for tests of mixer code on machines with no sound
// card. alsa-lib loads it as an external control plugin; a configuration such as
//
//   ctl_type.tnfake { lib "/path/to/this/library.so" }
//   ctl.card_a { type tnfake controls [ "Master Playback Volume:2:0:87" "Master Playback Switch:2" ] }
//
// makes "card_a" a control device with those mixer elements: "name:channels:min:max" is an integer
// element, "name:channels" a switch. Volumes start at their maximum, switches on. Every handle opened
// on the same device name shares the values for the life of the process, so a test reads back through
// a handle of its own what the code under test wrote through another.
#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Control {
    std::string name;
    bool is_switch = false;
    long min = 0;
    long max = 1;
    std::vector<long> values;
};

std::map<std::string, std::vector<Control>>& cards() {
    static std::map<std::string, std::vector<Control>> all;
    return all;
}

bool parseControl(const std::string& text, Control& out) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1)
        fields.push_back(text.substr(start, colon - start));
    fields.push_back(text.substr(start));
    if (fields.size() != 2 && fields.size() != 4) return false;
    try {
        out.name = fields[0];
        const int channels = std::stoi(fields[1]);
        if (channels < 1) return false;
        out.is_switch = fields.size() == 2;
        if (!out.is_switch) {
            out.min = std::stol(fields[2]);
            out.max = std::stol(fields[3]);
        }
        out.values.assign(static_cast<std::size_t>(channels), out.max);
    } catch (...) {
        return false;
    }
    return true;
}

struct Instance {
    snd_ctl_ext_t ext{};
    std::vector<Control>* controls = nullptr;
};

std::vector<Control>& controlsOf(snd_ctl_ext_t* ext) {
    return *static_cast<Instance*>(ext->private_data)->controls;
}

void closeInstance(snd_ctl_ext_t* ext) {
    delete static_cast<Instance*>(ext->private_data);
}

int elemCount(snd_ctl_ext_t* ext) {
    return static_cast<int>(controlsOf(ext).size());
}

int elemList(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id) {
    const auto& controls = controlsOf(ext);
    if (offset >= controls.size()) return -EINVAL;
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, controls[offset].name.c_str());
    return 0;
}

snd_ctl_ext_key_t findElem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
    const auto& controls = controlsOf(ext);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].name == snd_ctl_elem_id_get_name(id)) return i;
    }
    return SND_CTL_EXT_KEY_NOT_FOUND;
}

int getAttribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* access,
                 unsigned int* count) {
    const Control& c = controlsOf(ext).at(key);
    *type = c.is_switch ? SND_CTL_ELEM_TYPE_BOOLEAN : SND_CTL_ELEM_TYPE_INTEGER;
    *access = SND_CTL_EXT_ACCESS_READWRITE;
    *count = static_cast<unsigned int>(c.values.size());
    return 0;
}

int getIntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* min, long* max, long* step) {
    const Control& c = controlsOf(ext).at(key);
    *min = c.min;
    *max = c.max;
    *step = 0;
    return 0;
}

int readInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    const Control& c = controlsOf(ext).at(key);
    std::memcpy(value, c.values.data(), c.values.size() * sizeof(long));
    return 0;
}

int writeInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    Control& c = controlsOf(ext).at(key);
    const bool changed = std::memcmp(value, c.values.data(), c.values.size() * sizeof(long)) != 0;
    std::memcpy(c.values.data(), value, c.values.size() * sizeof(long));
    return changed ? 1 : 0;
}

void subscribeEvents(snd_ctl_ext_t*, int) {}

int readEvent(snd_ctl_ext_t*, snd_ctl_elem_id_t*, unsigned int*) {
    return -EAGAIN;
}

const snd_ctl_ext_callback_t kCallbacks = [] {
    snd_ctl_ext_callback_t c{};
    c.close = closeInstance;
    c.elem_count = elemCount;
    c.elem_list = elemList;
    c.find_elem = findElem;
    c.get_attribute = getAttribute;
    c.get_integer_info = getIntegerInfo;
    c.read_integer = readInteger;
    c.write_integer = writeInteger;
    c.subscribe_events = subscribeEvents;
    c.read_event = readEvent;
    return c;
}();

void copyText(char* to, std::size_t size, const std::string& text) {
    std::strncpy(to, text.c_str(), size - 1);
    to[size - 1] = '\0';
}

}  // namespace

extern "C" {

SND_CTL_PLUGIN_DEFINE_FUNC(tnfake) {
    (void)root;
    std::vector<Control> wanted;
    snd_config_iterator_t i;
    snd_config_iterator_t next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* node = snd_config_iterator_entry(i);
        const char* key = nullptr;
        if (snd_config_get_id(node, &key) < 0) continue;
        if (std::strcmp(key, "comment") == 0 || std::strcmp(key, "type") == 0 ||
            std::strcmp(key, "hint") == 0)
            continue;
        if (std::strcmp(key, "controls") != 0) return -EINVAL;
        snd_config_iterator_t j;
        snd_config_iterator_t next_j;
        snd_config_for_each(j, next_j, node) {
            const char* text = nullptr;
            Control control;
            if (snd_config_get_string(snd_config_iterator_entry(j), &text) < 0 ||
                !parseControl(text, control))
                return -EINVAL;
            wanted.push_back(std::move(control));
        }
    }

    auto [card, created] = cards().try_emplace(name, std::move(wanted));
    (void)created;
    auto* instance = new Instance;
    instance->controls = &card->second;
    snd_ctl_ext_t& ext = instance->ext;
    ext.version = SND_CTL_EXT_VERSION;
    ext.card_idx = 0;
    copyText(ext.id, sizeof ext.id, "TnFake");
    copyText(ext.driver, sizeof ext.driver, "tnfake");
    copyText(ext.name, sizeof ext.name, name);
    copyText(ext.longname, sizeof ext.longname, std::string("Test mixer ") + name);
    copyText(ext.mixername, sizeof ext.mixername, "Test mixer");
    ext.poll_fd = -1;
    ext.callback = &kCallbacks;
    ext.private_data = instance;
    const int err = snd_ctl_ext_create(&ext, name, mode);
    if (err < 0) {
        delete instance;
        return err;
    }
    *handlep = ext.handle;
    return 0;
}
SND_CTL_PLUGIN_SYMBOL(tnfake)

}  // extern "C"
