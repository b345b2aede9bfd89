#include "win/file/Ini.h"

#include "win/file/FileSystem.h"
#include "win/util/CallbackGuard.h"

namespace tavel {
namespace win {
namespace file {

Ini::~Ini() = default;

void Ini::load() {
    mode_ = ModeRead;
    std::string bytes;
    // Held by another program, or too large: its keys are still the user's,
    // so the defaults read instead must not be saved over them.
    unreadable_ = !readFileBytes(path(), bytes) && fileExists(path());
    doc_ = unreadable_ ? IniDocument() : IniDocument::parse(bytes);
    serialize();
    doc_ = IniDocument();
}

bool Ini::save() {
    mode_ = ModeWrite;
    const bool saved = util::guardedOr("Ini::save", false, [this] {
        doc_ = IniDocument();
        serialize();
        const std::string bytes = doc_.serialize();
        std::string current;
        const bool read = readFileBytes(path(), current);
        if (read && current == bytes) return true;
        // Unread at the last load or now: it still holds keys that are not ours to drop.
        if ((unreadable_ || !read) && fileExists(path())) return false;
        return writeFileAtomically(path(), bytes);
    });
    doc_ = IniDocument();
    return saved;
}

std::int32_t Ini::readInt(const std::wstring& section, const std::wstring& key, std::int32_t def) const {
    return doc_.getInt(section, key, def);
}

void Ini::write(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    doc_.set(section, key, value);
}

void Ini::boolean(const std::wstring& section, const std::wstring& key, bool& value, bool def) {
    if (mode_ == ModeRead)
        value = readInt(section, key, def ? 1 : 0) != 0;
    else if (mode_ == ModeWrite)
        write(section, key, value ? L"1" : L"0");
}

void Ini::integer(const std::wstring& section, const std::wstring& key, std::int32_t& value, std::int32_t def) {
    if (mode_ == ModeRead)
        value = readInt(section, key, def);
    else if (mode_ == ModeWrite)
        write(section, key, std::to_wstring(value));
}

void Ini::integer(const std::wstring& section, const std::wstring& key, std::uint32_t& value, std::uint32_t def) {
    if (mode_ == ModeRead)
        value = static_cast<std::uint32_t>(readInt(section, key, static_cast<std::int32_t>(def)));
    else if (mode_ == ModeWrite)
        write(section, key, std::to_wstring(value));
}

void Ini::integer(const std::wstring& section, const std::wstring& key, std::uint16_t& value, std::uint16_t def) {
    if (mode_ == ModeRead)
        value = static_cast<std::uint16_t>(readInt(section, key, def));
    else if (mode_ == ModeWrite)
        write(section, key, std::to_wstring(value));
}

void Ini::integer(const std::wstring& section, const std::wstring& key, std::uint8_t& value, std::uint8_t def) {
    if (mode_ == ModeRead)
        value = static_cast<std::uint8_t>(readInt(section, key, def));
    else if (mode_ == ModeWrite)
        write(section, key, std::to_wstring(value));
}

void Ini::string(const std::wstring& section, const std::wstring& key, std::wstring& value, const std::wstring& def) {
    if (mode_ == ModeRead)
        value = doc_.getString(section, key, def);
    else if (mode_ == ModeWrite)
        write(section, key, value);
}

std::wstring Ini::raw(const std::wstring& section, const std::wstring& key) const {
    return mode_ == ModeRead ? doc_.getString(section, key, std::wstring()) : std::wstring();
}

}  // namespace file
}  // namespace win
}  // namespace tavel
