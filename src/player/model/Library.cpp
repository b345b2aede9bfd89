#include "player/model/Library.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <set>

#include "player/PlayerInterface.h"
#include "win/util/TextCodec.h"

namespace tavelapp {
namespace itunes {
namespace model {
namespace {

// A property-list value. Texts stay UTF-8 (entities already decoded) until the
// library fields are filled.
struct Value {
    enum Kind { None, Dict, Array, String, Integer, Real, Date, Data, True, False };
    Kind kind = None;
    std::string text;
    std::vector<std::string> keys;  // Dict: keys[i] names values[i]
    std::vector<Value> values;      // Dict and Array

    const Value* find(const std::string& key) const {
        if (kind != Dict) return nullptr;
        for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i) {
            if (keys[i] == key) return &values[i];
        }
        return nullptr;
    }
};

// Entities naming no character become U+FFFD.
void appendCodePoint(std::string& out, unsigned long cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    tavel::win::util::appendUtf8(out, static_cast<char32_t>(cp));
}

int digitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Decodes the predefined and numeric character references; anything else that
// starts with '&' is kept as written.
std::string decodeEntities(const std::string& raw) {
    std::string out;
    out.reserve(raw.size());
    std::size_t i = 0;
    while (i < raw.size()) {
        if (raw[i] != '&') {
            out.push_back(raw[i++]);
            continue;
        }
        // References are short; a bounded look-ahead keeps stray '&'s linear.
        std::size_t semi = i + 1;
        while (semi < raw.size() && semi - i <= 12 && raw[semi] != ';')
            ++semi;
        if (semi >= raw.size() || raw[semi] != ';') {
            out.push_back(raw[i++]);
            continue;
        }
        const std::string name = raw.substr(i + 1, semi - i - 1);
        bool known = true;
        if (name == "amp") {
            out.push_back('&');
        } else if (name == "lt") {
            out.push_back('<');
        } else if (name == "gt") {
            out.push_back('>');
        } else if (name == "quot") {
            out.push_back('"');
        } else if (name == "apos") {
            out.push_back('\'');
        } else if (name.size() >= 2 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const int base = hex ? 16 : 10;
            const std::size_t first = hex ? 2 : 1;
            unsigned long cp = 0;
            known = first < name.size();
            for (std::size_t k = first; known && k < name.size(); ++k) {
                const int d = digitValue(name[k], base);
                if (d < 0) known = false;
                // Saturate: anything past the Unicode range is replaced anyway.
                cp = std::min<unsigned long>(
                    cp * static_cast<unsigned long>(base) + static_cast<unsigned long>(d < 0 ? 0 : d), 0x110000UL);
            }
            if (known) appendCodePoint(out, cp);
        } else {
            known = false;
        }
        if (known) {
            i = semi + 1;
        } else {
            out.push_back(raw[i++]);
        }
    }
    return out;
}

// Splits the document into tags and text. Declarations, comments and the
// DOCTYPE are skipped; attributes are ignored.
class Tokenizer {
public:
    enum Type { End, Open, Close, Empty, Text };
    struct Token {
        Type type = End;
        std::string name;  // tags
        std::string text;  // raw text, entities not yet decoded
    };

    explicit Tokenizer(const std::string& bytes) : s_(bytes) {}

    Token next() {
        Token t;
        while (pos_ < s_.size()) {
            if (s_[pos_] != '<') {
                const std::size_t lt = s_.find('<', pos_);
                const std::size_t end = lt == std::string::npos ? s_.size() : lt;
                t.type = Text;
                t.text = s_.substr(pos_, end - pos_);
                pos_ = end;
                return t;
            }
            if (startsWith("<?")) {
                skipPast("?>");
            } else if (startsWith("<!--")) {
                skipPast("-->");
            } else if (startsWith("<![CDATA[")) {
                const std::size_t from = pos_ + 9;
                const std::size_t close = s_.find("]]>", from);
                const std::size_t end = close == std::string::npos ? s_.size() : close;
                // CDATA is literal: escape its ampersands so that decoding leaves it alone.
                t.type = Text;
                for (std::size_t k = from; k < end; ++k) {
                    if (s_[k] == '&') {
                        t.text += "&amp;";
                    } else {
                        t.text.push_back(s_[k]);
                    }
                }
                pos_ = close == std::string::npos ? s_.size() : close + 3;
                return t;
            } else if (startsWith("<!")) {
                skipDeclaration();
            } else {
                return readTag();
            }
        }
        return t;
    }

private:
    bool startsWith(const char* prefix) const {
        return s_.compare(pos_, std::char_traits<char>::length(prefix), prefix) == 0;
    }

    void skipPast(const char* terminator) {
        const std::size_t at = s_.find(terminator, pos_);
        pos_ = at == std::string::npos ? s_.size() : at + std::char_traits<char>::length(terminator);
    }

    // <!DOCTYPE ...> with an optional [internal subset].
    void skipDeclaration() {
        int depth = 0;
        char quote = 0;
        for (++pos_; pos_ < s_.size(); ++pos_) {
            const char c = s_[pos_];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++depth;
            } else if (c == ']') {
                if (depth > 0) --depth;
            } else if (c == '>' && depth == 0) {
                ++pos_;
                return;
            }
        }
    }

    Token readTag() {
        Token t;
        std::size_t i = pos_ + 1;
        const bool closing = i < s_.size() && s_[i] == '/';
        if (closing) ++i;
        const std::size_t nameStart = i;
        while (i < s_.size() && !isSpace(s_[i]) && s_[i] != '>' && s_[i] != '/' && s_[i] != '<')
            ++i;
        t.name = s_.substr(nameStart, i - nameStart);
        char quote = 0;
        bool selfClosing = false;
        for (; i < s_.size(); ++i) {
            const char c = s_[i];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                selfClosing = i > nameStart && s_[i - 1] == '/';
                ++i;
                break;
            } else if (c == '<') {
                break;  // an unterminated tag; the next one starts here
            }
        }
        pos_ = i;
        t.type = closing ? Close : (selfClosing ? Empty : Open);
        return t;
    }

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    const std::string& s_;
    std::size_t pos_ = 0;
};

// Builds values from tokens. Lenient: any closing tag ends the open element,
// unknown elements are skipped, and nesting deeper than a library needs is
// skipped rather than followed, so hostile input cannot exhaust the stack.
class PlistReader {
public:
    explicit PlistReader(const std::string& bytes) : tokens_(bytes) {}

    // The first dict of the document (the plist's root).
    bool readRoot(Value& root) {
        for (;;) {
            const Tokenizer::Token t = tokens_.next();
            if (t.type == Tokenizer::End) return false;
            if (t.type == Tokenizer::Open && t.name == "dict") {
                root.kind = Value::Dict;
                readContainer(root, 1);
                return true;
            }
        }
    }

private:
    static constexpr int maxDepth = 24;

    static Value::Kind kindOf(const std::string& tag) {
        if (tag == "dict") return Value::Dict;
        if (tag == "array") return Value::Array;
        if (tag == "string") return Value::String;
        if (tag == "integer") return Value::Integer;
        if (tag == "real") return Value::Real;
        if (tag == "date") return Value::Date;
        if (tag == "data") return Value::Data;
        if (tag == "true") return Value::True;
        if (tag == "false") return Value::False;
        return Value::None;
    }

    // Reads the members of an open dict or array up to its closing tag.
    void readContainer(Value& container, int depth) {
        bool haveKey = false;
        std::string key;
        for (;;) {
            const Tokenizer::Token t = tokens_.next();
            if (t.type == Tokenizer::End || t.type == Tokenizer::Close) return;
            if (t.type == Tokenizer::Text) continue;
            if (t.name == "key" && container.kind == Value::Dict) {
                key = t.type == Tokenizer::Open ? decodeEntities(readText()) : std::string();
                haveKey = true;
                continue;
            }
            Value v;
            v.kind = kindOf(t.name);
            if (t.type == Tokenizer::Open) {
                if (v.kind == Value::Dict || v.kind == Value::Array) {
                    if (depth >= maxDepth) {
                        skipElement();
                        v.kind = Value::None;
                    } else {
                        readContainer(v, depth + 1);
                    }
                } else {
                    v.text = decodeEntities(readText());
                }
            }
            if (v.kind == Value::None) continue;
            if (container.kind == Value::Dict) {
                // A value without its key is dropped; so is a key without a value.
                if (!haveKey) continue;
                container.keys.push_back(key);
                haveKey = false;
            }
            container.values.push_back(std::move(v));
        }
    }

    // Text up to the element's closing tag; nested tags are skipped.
    std::string readText() {
        std::string text;
        for (;;) {
            const Tokenizer::Token t = tokens_.next();
            if (t.type == Tokenizer::End || t.type == Tokenizer::Close) return text;
            if (t.type == Tokenizer::Text) {
                text += t.text;
            } else if (t.type == Tokenizer::Open) {
                skipElement();
            }
        }
    }

    // Skips to the closing tag that matches an already read opening tag.
    void skipElement() {
        std::size_t depth = 1;
        while (depth > 0) {
            const Tokenizer::Token t = tokens_.next();
            if (t.type == Tokenizer::End) return;
            if (t.type == Tokenizer::Open) ++depth;
            if (t.type == Tokenizer::Close) --depth;
        }
    }

    Tokenizer tokens_;
};

// Leading decimal integer (after blanks), saturated to long's range; 0 when
// there are no digits.
long toLong(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const unsigned long long limit = static_cast<unsigned long long>(LONG_MAX);
    unsigned long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned long long digit = static_cast<unsigned long long>(text[i] - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    // Saturated at LONG_MAX either way; LONG_MIN itself is not needed.
    return negative ? -static_cast<long>(value) : static_cast<long>(value);
}

long integerOf(const Value* v) {
    if (!v) return 0;
    if (v->kind == Value::Integer || v->kind == Value::Real || v->kind == Value::String) return toLong(v->text);
    return 0;
}

// The 64-bit persistent ids are written as 16 hex digits; anything else is none.
unsigned long long persistentIdOf(const Value* v) {
    if (!v || v->kind != Value::String || v->text.empty() || v->text.size() > 16) return 0;
    unsigned long long id = 0;
    for (char c : v->text) {
        const int digit = digitValue(c, 16);
        if (digit < 0) return 0;
        id = id * 16 + static_cast<unsigned long long>(digit);
    }
    return id;
}

std::wstring textOf(const Value* v) {
    if (!v || v->kind != Value::String) return std::wstring();
    return tavel::win::util::utf8ToWide(v->text);
}

TrackData readTrack(const std::string& dictKey, const Value& dict) {
    TrackData t;
    const Value* id = dict.find("Track ID");
    t.trackId = id ? integerOf(id) : toLong(dictKey);
    t.name = textOf(dict.find("Name"));
    t.artist = textOf(dict.find("Artist"));
    t.album = textOf(dict.find("Album"));
    t.composer = textOf(dict.find("Composer"));
    t.genre = textOf(dict.find("Genre"));
    t.comment = textOf(dict.find("Comments"));
    const long totalMs = std::max(0L, integerOf(dict.find("Total Time")));
    t.duration = totalMs / 1000 + (totalMs % 1000 >= 500 ? 1 : 0);
    t.playedCount = std::max(0L, integerOf(dict.find("Play Count")));
    t.rating = std::min(100L, std::max(0L, integerOf(dict.find("Rating"))));
    t.trackNumber = std::max(0L, integerOf(dict.find("Track Number")));
    t.trackCount = std::max(0L, integerOf(dict.find("Track Count")));
    t.year = std::max(0L, integerOf(dict.find("Year")));
    t.location = textOf(dict.find("Location"));
    t.persistentId = persistentIdOf(dict.find("Persistent ID"));
    if (const Value* files = dict.find("Artwork Files")) {
        if (files->kind == Value::Array) {
            for (const Value& f : files->values) {
                if (f.kind == Value::String && !f.text.empty()) t.artwork.push_back(f.text);
            }
        }
    }
    return t;
}

}  // namespace

Library parseLibraryXml(const std::string& bytes) {
    Library library;
    Value root;
    if (!PlistReader(bytes).readRoot(root)) root.kind = Value::Dict;

    std::set<long> trackIds;
    if (const Value* tracks = root.find("Tracks")) {
        if (tracks->kind == Value::Dict) {
            for (std::size_t i = 0; i < tracks->values.size(); ++i) {
                if (tracks->values[i].kind != Value::Dict) continue;
                TrackData t = readTrack(tracks->keys[i], tracks->values[i]);
                // The ids are identities: a track without a usable one, or a repeated one, is dropped.
                if (t.trackId <= 0 || !trackIds.insert(t.trackId).second) continue;
                library.tracks.push_back(std::move(t));
            }
        }
    }

    bool haveMaster = false;
    std::set<long> playlistIds;
    if (const Value* playlists = root.find("Playlists")) {
        if (playlists->kind == Value::Array) {
            for (const Value& p : playlists->values) {
                if (p.kind != Value::Dict) continue;
                PlaylistData data;
                data.name = textOf(p.find("Name"));
                data.playlistId = integerOf(p.find("Playlist ID"));
                data.persistentId = persistentIdOf(p.find("Playlist Persistent ID"));
                if (const Value* items = p.find("Playlist Items")) {
                    for (const Value& item : items->values) {
                        const long id = integerOf(item.find("Track ID"));
                        if (trackIds.count(id)) data.trackIds.push_back(id);
                    }
                }
                data.smart = p.find("Smart Info") != nullptr || p.find("Smart Criteria") != nullptr;
                const Value* folder = p.find("Folder");
                if (folder && folder->kind == Value::True) data.specialKind = SpecialKindFolder;
                const Value* master = p.find("Master");
                const bool isMaster = !haveMaster && master && master->kind == Value::True;
                // Missing or repeated ids get fresh ones below.
                if (data.playlistId <= 0 || !playlistIds.insert(data.playlistId).second) data.playlistId = 0;
                if (isMaster) {
                    haveMaster = true;
                    library.playlists.insert(library.playlists.begin(), std::move(data));
                } else {
                    library.playlists.push_back(std::move(data));
                }
            }
        }
    }

    if (!haveMaster) {
        PlaylistData all;
        all.name = L"Library";
        library.playlists.insert(library.playlists.begin(), std::move(all));
    }
    // The library playlist holds every track: ones its items left out go at the end.
    std::vector<long>& master = library.playlists.front().trackIds;
    const std::set<long> listed(master.begin(), master.end());
    for (const TrackData& t : library.tracks) {
        if (!listed.count(t.trackId)) master.push_back(t.trackId);
    }

    long nextId = 1;
    for (PlaylistData& p : library.playlists) {
        if (p.playlistId > 0) continue;
        while (playlistIds.count(nextId))
            ++nextId;
        p.playlistId = nextId;
        playlistIds.insert(nextId);
    }
    return library;
}

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp
