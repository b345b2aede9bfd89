#include "player/MusicLibraryParser.h"

#include <cstring>
#include <unordered_map>

#include "win/util/TextCodec.h"

namespace tavelapp {

const char* const MusicLibraryParser::kKeys[kKeyCount] = {"Track ID",
                                                          "Name",
                                                          "Artist",
                                                          "Album",
                                                          "Genre",
                                                          "Kind",
                                                          "Size",
                                                          "Total Time",
                                                          "Track Number",
                                                          "Year",
                                                          "Date Modified",
                                                          "Date Added",
                                                          "Bit Rate",
                                                          "Sample Rate",
                                                          "Play Count",
                                                          "Play Date",
                                                          "Play Date UTC",
                                                          "Artwork Count",
                                                          "Persistent ID",
                                                          "Track Type",
                                                          "Location",
                                                          "File Folder Count",
                                                          "Library Folder Count",
                                                          "Has Video",
                                                          "Movie"};

namespace {

const char kLocationPrefix[] = "\t\t\t<key>Location</key><string>file://localhost/";
// Newer players leave the host out.
const char kLocationPrefixNoHost[] = "\t\t\t<key>Location</key><string>file:///";
const char kDictOpen[] = "\t\t<dict>";

constexpr std::size_t kChunk = 1 << 20;
// Bounds on what one track may hold, so that a file in another layout (no
// dict lines, or no line breaks) cannot make the scan keep the whole file.
constexpr std::size_t kMaxKept = 8 << 20;

template <std::size_t N>
bool startsWith(const char* begin, const char* end, const char (&literal)[N]) {
    return static_cast<std::size_t>(end - begin) >= N - 1 && std::memcmp(begin, literal, N - 1) == 0;
}

template <std::size_t N>
bool equals(const char* begin, const char* end, const char (&literal)[N]) {
    return static_cast<std::size_t>(end - begin) == N - 1 && std::memcmp(begin, literal, N - 1) == 0;
}

bool isUrlSafe(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::strchr("!$'()+,-.=_~:/@", c) != nullptr && c != '\0';
}

// "<key>K</key><tag>V</tag>" on one line; false for a value that is missing,
// self-closing or continued on the next line.
bool keyAndValue(const std::string& line, std::string& key, std::string& value) {
    const std::size_t k = line.find("<key>");
    if (k == std::string::npos) return false;
    const std::size_t keyEnd = line.find('<', k + 5);
    if (keyEnd == std::string::npos) return false;
    const std::size_t tag = line.find('<', keyEnd + 1);
    if (tag == std::string::npos) return false;
    const std::size_t open = line.find('>', tag + 1);
    if (open == std::string::npos) return false;
    const std::size_t close = line.find('<', open + 1);
    if (close == std::string::npos) return false;
    key.assign(line, k + 5, keyEnd - k - 5);
    value.assign(line, open + 1, close - open - 1);
    return true;
}

MusicLibraryParser::TrackRecordPtr parseRecord(const char* begin, const char* end) {
    auto record = std::make_shared<MusicLibraryParser::TrackRecord>();
    std::string line, key, value;
    while (begin < end) {
        const char* eol = static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));
        if (!eol) eol = end;
        line.assign(begin, eol);
        begin = eol + 1;
        if (!keyAndValue(line, key, value)) continue;
        for (std::size_t i = 0; i < MusicLibraryParser::kKeyCount; ++i) {
            if (key == MusicLibraryParser::kKeys[i]) {
                (*record)[i] = MusicLibraryParser::decodeValue(value);
                break;
            }
        }
    }
    return record;
}

// Finds a needle by one of its rarer bytes: memchr runs far faster over the
// lines in between than any comparison would.
class Finder {
public:
    Finder(const char* needle, char anchor)
        : needle_(needle), length_(std::strlen(needle)), anchor_(std::strchr(needle, anchor) - needle) {}
    std::size_t length() const { return length_; }
    const char* find(const char* begin, const char* end) const {
        if (static_cast<std::size_t>(end - begin) < length_) return nullptr;
        const char* last = end - (length_ - anchor_ - 1);  // past the last place the anchor may be
        for (const char* p = begin + anchor_; p < last; ++p) {
            p = static_cast<const char*>(std::memchr(p, needle_[anchor_], static_cast<std::size_t>(last - p)));
            if (!p) return nullptr;
            if (std::memcmp(p - anchor_, needle_, length_) == 0) return p - anchor_;
        }
        return nullptr;
    }

private:
    const char* needle_;
    std::size_t length_;
    std::size_t anchor_;
};

// The files still to find, each as often as it was asked for.
class Targets {
public:
    explicit Targets(const std::vector<std::wstring>& paths) {
        for (const std::wstring& path : paths) {
            ++lines_[MusicLibraryParser::targetLine(path)];
            ++left_;
        }
    }
    bool empty() const { return left_ == 0; }
    // Takes one target equal to the line; the line has no line break.
    bool take(const char* begin, const char* end) {
        if (startsWith(begin, end, kLocationPrefixNoHost) && !startsWith(begin, end, kLocationPrefix)) {
            scratch_.assign(kLocationPrefix);
            scratch_.append(begin + sizeof(kLocationPrefixNoHost) - 1, end);
        } else {
            scratch_.assign(begin, end);
        }
        auto it = lines_.find(scratch_);
        if (it == lines_.end() || it->second == 0) return false;
        --it->second;
        --left_;
        return true;
    }

private:
    std::unordered_map<std::string, int> lines_;
    std::size_t left_ = 0;
    std::string scratch_;
};

}  // namespace

MusicLibraryParser::MusicLibraryParser(const std::vector<std::wstring>& paths)
    : MusicLibraryParser(paths, libraryFilePath()) {}

MusicLibraryParser::MusicLibraryParser(const std::vector<std::wstring>& paths, const std::wstring& libraryFile) {
    if (paths.empty() || libraryFile.empty()) return;
    std::FILE* file = openLibraryFile(libraryFile);
    if (!file) return;
    scan(file, paths);
    std::fclose(file);
}

MusicLibraryParser::MusicLibraryParser(const std::vector<std::wstring>& paths, std::FILE* libraryFile) {
    if (!paths.empty() && libraryFile) scan(libraryFile, paths);
}

std::string MusicLibraryParser::targetLine(const std::wstring& path) {
    std::wstring slashed = path;
    for (wchar_t& c : slashed)
        if (c == L'\\') c = L'/';
    // "C:/a" and "/Users/a" both follow "file://localhost/"; a share keeps "//server".
    if (!slashed.empty() && slashed[0] == L'/') slashed.erase(0, 1);
    // Straight to UTF-8: an ANSI code page cannot hold every file name.
    const std::string bytes = tavel::win::util::wideToUtf8(slashed);
    std::string line = kLocationPrefix;
    static const char hex[] = "0123456789ABCDEF";
    for (unsigned char c : bytes) {
        if (c == '&') {
            line += "&#38;";
        } else if (isUrlSafe(c)) {
            line += static_cast<char>(c);
        } else {
            line += '%';
            line += hex[c >> 4];
            line += hex[c & 15];
        }
    }
    line += "</string>";
    return line;
}

std::wstring MusicLibraryParser::decodeValue(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const std::size_t semi = c == '&' ? text.find(';', i) : std::string::npos;
        if (semi == std::string::npos || semi - i > 10) {
            bytes += c;
            ++i;
            continue;
        }
        const std::string name = text.substr(i + 1, semi - i - 1);
        char32_t code = 0;
        bool known = true;
        if (name.size() > 1 && name[0] == '#') {
            const bool isHex = name[1] == 'x' || name[1] == 'X';
            const std::size_t first = isHex ? 2 : 1;
            known = first < name.size();
            for (std::size_t j = first; known && j < name.size(); ++j) {
                const char d = name[j];
                int digit = -1;
                if (d >= '0' && d <= '9') digit = d - '0';
                if (isHex && d >= 'a' && d <= 'f') digit = d - 'a' + 10;
                if (isHex && d >= 'A' && d <= 'F') digit = d - 'A' + 10;
                if (digit < 0) known = false;
                code = code * (isHex ? 16 : 10) + static_cast<char32_t>(digit);
                if (code > 0x10FFFF) known = false;
            }
            if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) known = false;
        } else if (name == "amp") {
            code = '&';
        } else if (name == "lt") {
            code = '<';
        } else if (name == "gt") {
            code = '>';
        } else if (name == "quot") {
            code = '"';
        } else if (name == "apos") {
            code = '\'';
        } else {
            known = false;
        }
        if (!known) {
            // Not a reference we know: the text stays as written.
            bytes += c;
            ++i;
            continue;
        }
        tavel::win::util::appendUtf8(bytes, code);
        i = semi + 1;
    }
    return tavel::win::util::utf8ToWide(bytes);
}

void MusicLibraryParser::scan(std::FILE* file, const std::vector<std::wstring>& paths) {
    Targets targets(paths);
    // Only the Location lines and the found tracks' dict lines matter: the
    // scan jumps from one Location line to the next instead of going line by line.
    static const Finder location("\n\t\t\t<key>Location</key><string>file://", 'L');
    static const Finder dictClose("\n\t\t</dict>", '/');
    const std::size_t needleLength = location.length();

    std::vector<char> buffer(kChunk * 2);
    std::size_t filled = 1;
    buffer[0] = '\n';           // the first line starts after a line break too
    std::size_t pos = 0;        // where the next search starts
    std::size_t dictStart = 0;  // the found track's first dict line
    bool found = false;
    bool atEnd = false;

    // The line "\t\t<dict>" (or its CRLF form) before `before`, as the
    // position of the line break in front of it; npos when not in the buffer.
    const auto dictOpenBefore = [&buffer](std::size_t before) {
        const char* data = buffer.data();
        std::size_t end = before;
        while (end > 0) {
            const void* at = nullptr;
            for (std::size_t i = end; i-- > 0;) {
                if (data[i] == '\n') {
                    at = data + i;
                    break;
                }
            }
            if (!at) return std::string::npos;
            const std::size_t nl = static_cast<std::size_t>(static_cast<const char*>(at) - data);
            const char* line = data + nl + 1;
            const char* lineEnd = data + end;
            if (lineEnd > line && lineEnd[-1] == '\r') --lineEnd;
            if (equals(line, lineEnd, kDictOpen)) return nl;
            if (before - nl > kMaxKept) return std::string::npos;
            end = nl;
        }
        return std::string::npos;
    };
    // Keeps the buffer from `keep` on and reads more; false at the end of the file.
    const auto refill = [&](std::size_t keep) {
        if (atEnd) return false;
        std::memmove(buffer.data(), buffer.data() + keep, filled - keep);
        filled -= keep;
        pos -= std::min(pos, keep);
        dictStart -= std::min(dictStart, keep);
        if (buffer.size() - filled < kChunk) buffer.resize(filled + kChunk);
        const std::size_t n = std::fread(buffer.data() + filled, 1, buffer.size() - filled, file);
        if (n == 0) atEnd = true;
        filled += n;
        return n > 0;
    };

    while (!targets.empty() || found) {
        const char* data = buffer.data();
        if (found) {
            // The end of the found track's dict.
            const char* close = dictClose.find(data + pos, data + filled);
            const std::size_t after = close ? static_cast<std::size_t>(close - data) + dictClose.length() : 0;
            if (close && after < filled && (data[after] == '\n' || data[after] == '\r')) {
                results_.push_back(parseRecord(data + dictStart, close + 1));
                found = false;
                pos = after;
                continue;
            }
            if (close && after < filled) {
                pos = after;  // a deeper "</dict>" line
                continue;
            }
            pos = filled - std::min<std::size_t>(filled - pos, dictClose.length());
            if (filled - dictStart > kMaxKept || !refill(dictStart)) {
                // No end to this dict in sight: take what it has.
                results_.push_back(parseRecord(buffer.data() + dictStart, buffer.data() + filled));
                found = false;
                if (atEnd) break;
                pos = filled;
            }
            continue;
        }
        const char* hit = location.find(data + pos, data + filled);
        const char* lineEnd =
            hit ? static_cast<const char*>(std::memchr(hit + 1, '\n', filled - (hit + 1 - data))) : nullptr;
        if (hit && !lineEnd && atEnd) lineEnd = data + filled;  // the last line has no break
        // A Location line this long names no file: passed over, not kept whole.
        if (hit && !lineEnd && filled - static_cast<std::size_t>(hit - data) > kMaxKept) hit = nullptr;
        if (!hit || !lineEnd) {
            if (atEnd) break;
            // Keep what a match in the next piece may need: the dict being read
            // and what may be the start of a Location line.
            const std::size_t from =
                hit ? static_cast<std::size_t>(hit - data) : filled - std::min(filled - pos, needleLength - 1);
            std::size_t keep = dictOpenBefore(from);
            if (keep == std::string::npos) keep = from;
            pos = from;
            refill(keep);
            continue;
        }
        const std::size_t lineBegin = static_cast<std::size_t>(hit - data) + 1;
        const char* end = lineEnd;
        if (end > data + lineBegin && end[-1] == '\r') --end;  // Windows exports end lines with CRLF
        pos = static_cast<std::size_t>(lineEnd - data);
        if (!targets.take(data + lineBegin, end)) continue;
        found = true;
        const std::size_t open = dictOpenBefore(lineBegin - 1);
        dictStart = open == std::string::npos ? lineBegin : open + 1;
    }
}

}  // namespace tavelapp
