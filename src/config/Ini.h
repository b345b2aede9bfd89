#pragma once
#include <memory>
#include <string>

#include "config/Settings.h"
#include "win/file/Ini.h"

namespace tavelapp {

// Option.ini: the settings and their file. One process-wide instance that only
// the main thread reads and changes; the options dialog edits a copy and assigns
// it back. Other threads read snapshot().
class Ini : public tavel::win::file::Ini, public Settings {
public:
    // The process-wide settings, at <settings folder>\Option.ini. Main thread only.
    static Ini& instance();
    // The settings data as last published (no file, no path), for any thread:
    // never changed, so a worker takes one per job and never sees half of a
    // change. Never null.
    static std::shared_ptr<const Settings> snapshot();
    // Publishes a copy of instance(); the main thread calls it after every change
    // of instance(). Loading instance() publishes by itself.
    static void publish();

    explicit Ini(std::wstring path);
    Ini(const Ini&) = default;
    Ini& operator=(const Ini&) = default;
    Ini(Ini&&) = default;
    Ini& operator=(Ini&&) = default;
    ~Ini() override;

    // Reads the file; every binding list that comes back empty gets its defaults.
    // The process-wide instance is published afterwards.
    void load();
    // Writes or reads every part of the settings; == compares the settings
    // alone, not the path or the mode.
    void serialize() override;

private:
    template <typename Group>
    void group(Group& values);
    template <typename Record>
    void list(const wchar_t* prefix, std::vector<Record>& records);
    // A list record's keys, and the one that must be there for it to count.
    void record(const std::wstring& section, HotKey& key);
    void record(const std::wstring& section, Key& key);
    static const wchar_t* requiredKey(const HotKey&) { return L"Mods"; }
    static const wchar_t* requiredKey(const Key&) { return L"Action"; }
    template <typename T>
    void value(const wchar_t* section, const std::wstring& key, T& value, const T& def);
    template <typename T, std::size_t N>
    void value(const wchar_t* section, const std::wstring& key, std::array<T, N>& values, const std::array<T, N>& defs);
    void value(const wchar_t* section, const std::wstring& key, SharedText& text, const SharedText& def);
};

}  // namespace tavelapp
