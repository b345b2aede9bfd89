#include "config/Ini.h"

#include <atomic>
#include <mutex>
#include <type_traits>

#include "base/AppPaths.h"

namespace tavelapp {
namespace {

// Older files name a script in "Param", e.g. "NextTrack.js" for "NextTrack".
std::wstring actionFromParam(const std::wstring& param) {
    const std::wstring suffix = L".js";
    if (param.size() > 2 && param.size() >= suffix.size() &&
        param.compare(param.size() - suffix.size(), suffix.size(), suffix) == 0)
        return param.substr(0, param.size() - suffix.size());
    return param;
}

struct Published {
    std::mutex lock;  // held for a pointer copy only
    std::shared_ptr<const Ini> settings;
};

Published& published() {
    static Published p;
    return p;
}

// The process-wide instance once made: loading it publishes it.
std::atomic<const Ini*> liveSettings{nullptr};

void store(std::shared_ptr<const Ini> next) {
    Published& p = published();
    {
        std::lock_guard<std::mutex> guard(p.lock);
        p.settings.swap(next);
    }
    // The replaced snapshot goes here, outside the lock, unless a reader still holds it.
}

}  // namespace

Ini& Ini::instance() {
    static Ini settings(AppPaths::settingsFolder() + L"\\Option.ini");
    // The defaults are published before anyone can change them.
    static const bool seeded = [] {
        store(std::make_shared<const Ini>(settings));
        liveSettings = &settings;
        return true;
    }();
    (void)seeded;
    return settings;
}

std::shared_ptr<const Ini> Ini::snapshot() {
    instance();
    Published& p = published();
    std::lock_guard<std::mutex> guard(p.lock);
    return p.settings;
}

void Ini::publish() { store(std::make_shared<const Ini>(instance())); }

Ini::Ini(std::wstring path) : tavel::win::file::Ini(std::move(path)) {}

Ini::~Ini() = default;

void Ini::load() {
    tavel::win::file::Ini::load();
    if (hotKeys.empty()) hotKeys = defaultHotKeys();
    if (irComKeys.empty()) irComKeys = defaultIRComKeys();
    if (joyKeys.empty()) joyKeys = defaultJoyKeys();
    if (wiimoteKeys.empty()) wiimoteKeys = defaultWiimoteKeys();
    if (this == liveSettings.load()) publish();
}

void Ini::list(const wchar_t* prefix, HotKeyList& keys) {
    if (mode() == ModeRead) {
        keys.clear();
        for (std::size_t n = 0;; ++n) {
            const std::wstring section = prefix + std::to_wstring(n);
            if (raw(section, L"Mods").empty()) break;
            HotKey& record = keys.emplace_back();
            string(section, L"Action", record.action, std::wstring());
            integer(section, L"Mods", record.mods, 0u);
            integer(section, L"VK", record.vk, 0u);
            const std::wstring param = raw(section, L"Param");
            if (!param.empty()) record.action = actionFromParam(param);
        }
    } else if (mode() == ModeWrite) {
        for (std::size_t n = 0; n < keys.size(); ++n) {
            const std::wstring section = prefix + std::to_wstring(n);
            string(section, L"Action", keys[n].action, std::wstring());
            integer(section, L"Mods", keys[n].mods, 0u);
            integer(section, L"VK", keys[n].vk, 0u);
        }
    }
}

void Ini::list(const wchar_t* prefix, KeyList& keys) {
    if (mode() == ModeRead) {
        keys.clear();
        for (std::size_t n = 0;; ++n) {
            const std::wstring section = prefix + std::to_wstring(n);
            if (raw(section, L"Action").empty()) break;
            Key& record = keys.emplace_back();
            string(section, L"Action", record.action, std::wstring());
            integer(section, L"Key", record.key, 0u);
        }
    } else if (mode() == ModeWrite) {
        for (std::size_t n = 0; n < keys.size(); ++n) {
            const std::wstring section = prefix + std::to_wstring(n);
            string(section, L"Action", keys[n].action, std::wstring());
            integer(section, L"Key", keys[n].key, 0u);
        }
    }
}

template <typename T>
void Ini::value(const wchar_t* section, const std::wstring& key, T& value, const T& def) {
    if constexpr (std::is_same_v<T, bool>)
        boolean(section, key, value, def);
    else if constexpr (std::is_same_v<T, std::wstring>)
        string(section, key, value, def);
    else
        integer(section, key, value, def);
}

template <typename T, std::size_t N>
void Ini::value(const wchar_t* section, const std::wstring& key, std::array<T, N>& values,
                const std::array<T, N>& defs) {
    for (std::size_t i = 0; i < N; ++i)
        value(section, key + std::to_wstring(i), values[i], defs[i]);
}

void Ini::value(const wchar_t* section, const std::wstring& key, SharedText& text, const SharedText& def) {
    std::wstring copy = text;
    string(section, key, copy, def.get());
    text = copy;
}

template <typename Group>
void Ini::group(Group& values) {
    Group::forEachKey(values, [this](const wchar_t* key, auto& member, const auto& def) {
        value(Group::sectionName, key, member, def);
    });
}

void Ini::serialize() {
    // Defaults come from freshly built groups, so a new object equals a loaded empty file.
#define KOLIBRIX_SERIALIZE_LIST(type, member, prefix) list(prefix, member);
#define KOLIBRIX_SERIALIZE_GROUP(type, member) group(member);
    KOLIBRIX_SETTINGS_PARTS(KOLIBRIX_SERIALIZE_LIST, KOLIBRIX_SERIALIZE_GROUP)
#undef KOLIBRIX_SERIALIZE_LIST
#undef KOLIBRIX_SERIALIZE_GROUP
}

}  // namespace tavelapp
