#pragma once
#include <cstdint>
#include <string>

#include "win/file/File.h"
#include "win/file/IniDocument.h"

namespace tavel {
namespace win {
namespace file {

// Base of every INI model. A derived class lists its keys once, in
// serialize(), through the typed helpers; the mode decides whether they read
// the file's values or write the model's.
class Ini : public File {
public:
    enum Mode { ModeNone = 0, ModeWrite = 1, ModeRead = 2 };

    Ini() = default;
    explicit Ini(std::wstring path) : File(std::move(path)) {}
    virtual ~Ini();

    Mode mode() const { return mode_; }

    // Visits every key once, in a fixed order.
    virtual void serialize() = 0;

    // Reads the file (missing or unreadable = empty, so every key takes its
    // default) and runs serialize in read mode.
    void load();
    // Runs serialize in write mode and replaces the file atomically; a file
    // that already holds those bytes is left alone (a read-only copy that
    // nobody changed still counts as saved). A file that is there but could
    // not be read, at the last load or now, is never replaced (false).
    // The mode stays ModeWrite. Never throws.
    [[nodiscard]] bool save();

protected:
    Ini(const Ini&) = default;
    Ini& operator=(const Ini&) = default;
    Ini(Ini&&) = default;
    Ini& operator=(Ini&&) = default;

    // Written as "0"/"1"; read as an integer, any non-zero value is true.
    void boolean(const std::wstring& section, const std::wstring& key, bool& value, bool def);
    // Written in decimal; read with the system's integer parsing and cut to the type.
    void integer(const std::wstring& section, const std::wstring& key, std::int32_t& value, std::int32_t def);
    void integer(const std::wstring& section, const std::wstring& key, std::uint32_t& value, std::uint32_t def);
    void integer(const std::wstring& section, const std::wstring& key, std::uint16_t& value, std::uint16_t def);
    void integer(const std::wstring& section, const std::wstring& key, std::uint8_t& value, std::uint8_t def);
    // Written unchanged; read cut to IniDocument::maxValueLength.
    void string(const std::wstring& section, const std::wstring& key, std::wstring& value, const std::wstring& def);
    // The stored value in read mode (empty if missing), for end-of-list tests.
    std::wstring raw(const std::wstring& section, const std::wstring& key) const;

private:
    std::int32_t readInt(const std::wstring& section, const std::wstring& key, std::int32_t def) const;
    void write(const std::wstring& section, const std::wstring& key, const std::wstring& value);

    Mode mode_ = ModeNone;
    bool unreadable_ = false;
    IniDocument doc_;  // only filled while load or save runs
};

}  // namespace file
}  // namespace win
}  // namespace tavel
