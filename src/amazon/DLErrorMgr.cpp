#include "amazon/DLErrorMgr.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <vector>

#include "amazon/StorePage.h"
#include "artwork/LoaderMgr.h"
#include "win/file/FileSystem.h"

namespace tavelapp {
namespace amazon {
namespace {

bool readInteger(const std::string& field, long long& value) {
    if (field.empty()) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(field.c_str(), &end, 10);
    return errno == 0 && end == field.c_str() + field.size();
}

}  // namespace

DLErrorMgr& DLErrorMgr::instance() {
    static DLErrorMgr mgr(artwork::artworkFolder() + L"\\AmazonDL.lst");
    return mgr;
}

DLErrorMgr::DLErrorMgr(std::wstring path) : path_(std::move(path)) {
    std::string text;
    read_ = tavel::win::file::readFileBytes(path_, text);
    if (read_) items_ = parse(text);
}

void DLErrorMgr::record(const std::wstring& artist, const std::wstring& album, int result) {
    auto item = std::make_shared<Item>();
    item->result = result;
    item->time = static_cast<std::int64_t>(std::time(nullptr));
    std::lock_guard<std::mutex> guard(lock_);
    items_[albumKey(artist, album)] = item;
}

bool DLErrorMgr::save() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!read_ && tavel::win::file::fileExists(path_)) {
        std::string text;
        if (!tavel::win::file::readFileBytes(path_, text)) return false;
        // Ours are newer; theirs fill in the albums not searched since.
        for (auto& item : parse(text))
            items_.insert(item);
        read_ = true;
    }
    const bool saved = tavel::win::file::writeFileAtomically(path_, format(items_));
    if (saved) read_ = true;  // the file now holds what we hold
    return saved;
}

DLErrorMgr::Items DLErrorMgr::items() const {
    std::lock_guard<std::mutex> guard(lock_);
    return items_;
}

DLErrorMgr::Items DLErrorMgr::parse(const std::string& text) {
    Items items;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        long long key = 0;
        if (!readInteger(fields[0], key) || key < INT32_MIN || key > INT32_MAX) continue;
        long long result = 0, time = 0;
        if (fields.size() < 2 || !readInteger(fields[1], result)) result = 0;
        if (fields.size() < 3 || !readInteger(fields[2], time)) time = 0;
        auto item = std::make_shared<Item>();
        item->result = static_cast<int>(result);
        item->time = time;
        items.emplace(static_cast<std::int32_t>(key), item);  // the first of a repeated key stays
    }
    return items;
}

std::string DLErrorMgr::format(const Items& items) {
    std::string out;
    for (const auto& entry : items) {
        // The whole time, not its low 32 bits: those run out in 2038.
        out += std::to_string(entry.first) + "\t" + std::to_string(entry.second->result) + "\t" +
               std::to_string(entry.second->time) + "\n";
    }
    return out;
}

}  // namespace amazon
}  // namespace tavelapp
