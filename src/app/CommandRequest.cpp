#include "app/CommandRequest.h"

#include <utility>

#include "win/util/StringUtil.h"
#include "win/util/TextCodec.h"

namespace tavelapp {
namespace {

using tavel::win::util::wideToUtf16;

bool validText(const std::u16string& units, bool mayBeEmpty) {
    if (units.size() > CommandRequest::kMaxTextUnits || (units.empty() && !mayBeEmpty)) return false;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit == 0) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void putText(std::vector<std::uint8_t>& out, const std::u16string& units) {
    put16(out, static_cast<std::uint32_t>(units.size()));
    for (char16_t unit : units)
        put16(out, unit);
}

// Reads little-endian fields, never past the end.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool read16(std::uint32_t& value) {
        if (size_ - at_ < 2) return false;
        value = static_cast<std::uint32_t>(data_[at_]) | static_cast<std::uint32_t>(data_[at_ + 1]) << 8;
        at_ += 2;
        return true;
    }
    bool read32(std::uint32_t& value) {
        std::uint32_t low = 0, high = 0;
        if (!read16(low) || !read16(high)) return false;
        value = low | high << 16;
        return true;
    }
    bool readText(std::wstring& text, bool mayBeEmpty) {
        std::uint32_t length = 0;
        if (!read16(length) || length > CommandRequest::kMaxTextUnits || (size_ - at_) / 2 < length) return false;
        std::string bytes(reinterpret_cast<const char*>(data_ + at_), 2 * length);
        std::u16string units(length, u'\0');
        for (std::uint32_t i = 0; i < length; ++i) {
            std::uint32_t unit = 0;
            read16(unit);
            units[i] = static_cast<char16_t>(unit);
        }
        if (!validText(units, mayBeEmpty)) return false;
        text = tavel::win::util::utf16leToWide(bytes);
        return true;
    }
    bool atEnd() const { return at_ == size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

CommandRequest::Parsed CommandRequest::parse(const std::vector<std::wstring>& arguments, CommandRequest& out) {
    out = CommandRequest();
    if (arguments.empty() || arguments[0].empty() || (arguments[0][0] != L'/' && arguments[0][0] != L'-'))
        return Parsed::Start;
    const std::wstring word = tavel::win::util::asciiLower(arguments[0].substr(1));
    const std::size_t rest = arguments.size() - 1;
    // Any other switch ("-F", "--f", "-f x") is ignored as it always was: the program starts.
    if (word != L"?" && word != L"help" && word != L"quit" && word != L"pair" && word != L"action")
        return Parsed::Start;
    if (word == L"?" || word == L"help") return Parsed::Help;
    if (word == L"quit" || word == L"pair") {
        out.kind = word == L"quit" ? Kind::Quit : Kind::Pair;
        return rest == 0 ? Parsed::Send : Parsed::BadUsage;
    }
    if (word != L"action" || rest == 0) return Parsed::BadUsage;
    out.kind = Kind::Action;
    out.name = arguments[1];
    out.params.assign(arguments.begin() + 2, arguments.end());
    // The limits are the receiver's: what it would refuse is refused here, before sending.
    return out.encode().empty() ? Parsed::BadUsage : Parsed::Send;
}

std::vector<std::uint8_t> CommandRequest::encode() const {
    const bool action = kind == Kind::Action;
    if (!action && (!name.empty() || !params.empty())) return {};
    if (params.size() > kMaxParams) return {};
    const std::u16string nameUnits = wideToUtf16(name);
    if (!validText(nameUnits, !action)) return {};
    std::vector<std::uint8_t> out;
    put16(out, kMagic & 0xFFFF);
    put16(out, kMagic >> 16);
    put16(out, kVersion);
    put16(out, static_cast<std::uint32_t>(kind));
    put16(out, static_cast<std::uint32_t>(params.size()));
    putText(out, nameUnits);
    for (const std::wstring& param : params) {
        const std::u16string units = wideToUtf16(param);
        if (!validText(units, true)) return {};
        putText(out, units);
    }
    return out;
}

bool CommandRequest::decode(const void* data, std::size_t size, CommandRequest& out) {
    if (data == nullptr || size < kHeaderBytes + 2 || size > kMaxBytes) return false;
    Reader reader(static_cast<const std::uint8_t*>(data), size);
    std::uint32_t magic = 0, version = 0, kindValue = 0, count = 0;
    reader.read32(magic);
    reader.read16(version);
    reader.read16(kindValue);
    reader.read16(count);
    if (magic != kMagic || version != kVersion || count > kMaxParams) return false;
    CommandRequest request;
    switch (kindValue) {
        case static_cast<std::uint32_t>(Kind::Action):
        case static_cast<std::uint32_t>(Kind::Quit):
        case static_cast<std::uint32_t>(Kind::Pair):
            request.kind = static_cast<Kind>(kindValue);
            break;
        default:
            return false;
    }
    const bool action = request.kind == Kind::Action;
    if (!reader.readText(request.name, !action) || (!action && (!request.name.empty() || count != 0))) return false;
    request.params.resize(count);
    for (std::wstring& param : request.params) {
        if (!reader.readText(param, true)) return false;
    }
    if (!reader.atEnd()) return false;
    out = std::move(request);
    return true;
}

}  // namespace tavelapp
