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
    std::shared_ptr<const Settings> settings;
};

Published& published() {
    static Published p;
    return p;
}

// The process-wide instance once made: loading it publishes it.
std::atomic<const Ini*> liveSettings{nullptr};

void store(std::shared_ptr<const Settings> next) {
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
        store(std::make_shared<const Settings>(static_cast<const Settings&>(settings)));
        liveSettings = &settings;
        return true;
    }();
    (void)seeded;
    return settings;
}

std::shared_ptr<const Settings> Ini::snapshot() {
    instance();
    Published& p = published();
    std::lock_guard<std::mutex> guard(p.lock);
    return p.settings;
}

void Ini::publish() { store(std::make_shared<const Settings>(static_cast<const Settings&>(instance()))); }

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

template <typename Record>
void Ini::list(const wchar_t* prefix, std::vector<Record>& records) {
    if (mode() == ModeRead) {
        records.clear();
        // The list ends at the first record without its required key.
        for (std::size_t n = 0;; ++n) {
            const std::wstring section = prefix + std::to_wstring(n);
            if (raw(section, requiredKey(Record())).empty()) break;
            record(section, records.emplace_back());
        }
    } else if (mode() == ModeWrite) {
        for (std::size_t n = 0; n < records.size(); ++n)
            record(prefix + std::to_wstring(n), records[n]);
    }
}

void Ini::record(const std::wstring& section, HotKey& key) {
    string(section, L"Action", key.action, std::wstring());
    integer(section, L"Mods", key.mods, 0u);
    integer(section, L"VK", key.vk, 0u);
    if (mode() != ModeRead) return;
    const std::wstring param = raw(section, L"Param");
    if (!param.empty()) key.action = actionFromParam(param);
}

void Ini::record(const std::wstring& section, Key& key) {
    string(section, L"Action", key.action, std::wstring());
    integer(section, L"Key", key.key, 0u);
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
