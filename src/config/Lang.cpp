#include "config/Lang.h"

#include <boost/format.hpp>

#include "base/AppPaths.h"
#include "config/Ini.h"
#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"

namespace tavelapp {
namespace {

std::wstring readText(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
    std::string bytes;
    if (file.empty() || !tavel::win::file::readFileBytes(file, bytes)) return std::wstring();
    return tavel::win::file::IniDocument::parse(bytes).getString(section, key, std::wstring());
}

}  // namespace

Lang& Lang::instance() {
    static Lang lang;
    return lang;
}

Lang::Lang() { reload(); }

void Lang::reload() {
    const std::wstring settings = AppPaths::settingsFolder();
    // Made on first use, which may be a worker's: the published settings.
    const std::wstring fileName = Ini::snapshot()->lang.id + L".lng";
    std::vector<std::wstring> packages;
    const std::wstring actions = settings + L"\\Actions";
    for (const std::wstring& package : tavel::win::file::listSubfolders(actions)) {
        packages.push_back(actions + L"\\" + package + L"\\" + fileName);
    }
    setFiles(settings + L"\\langs\\" + fileName, packages);
}

void Lang::setFiles(const std::wstring& languageFile, const std::vector<std::wstring>& packageLanguageFiles) {
    std::lock_guard<std::mutex> guard(lock_);
    path_ = languageFile;
    packageFiles_ = packageLanguageFiles;
}

std::wstring Lang::path() const {
    std::lock_guard<std::mutex> guard(lock_);
    return path_;
}

std::wstring Lang::getText(const std::wstring& section, const std::wstring& key, const std::wstring& def) const {
    std::wstring file;
    std::vector<std::wstring> packages;
    {
        std::lock_guard<std::mutex> guard(lock_);
        file = path_;
        packages = packageFiles_;
    }
    std::wstring value = readText(file, section, key);
    if (!value.empty()) return value;
    for (const std::wstring& package : packages) {
        value = readText(package, section, key);
        if (!value.empty()) return value;
    }
    return def;
}

std::wstring unescapeText(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::wstring::size_type i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size()) {
            const wchar_t next = text[i + 1];
            if (next == L'n' || next == L'r' || next == L'\\') {
                out += next == L'n' ? L'\n' : next == L'r' ? L'\r' : L'\\';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool plainDirectivesOnly(const std::wstring& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') continue;
        std::size_t end = i + 1;
        while (end < text.size() && end <= i + 3 && text[end] >= L'0' && text[end] <= L'9')
            ++end;
        if (end >= text.size() || text[end] != L'%' || (end > i + 1 && text[i + 1] == L'0')) return false;
        i = end;
    }
    return true;
}

std::wstring formatText(const std::wstring& text, const std::wstring& a1, const std::wstring& a2,
                        const std::wstring& a3, const std::wstring& a4) {
    const std::wstring unescaped = unescapeText(text);
    if (!plainDirectivesOnly(unescaped)) return unescaped;
    const std::wstring* args[] = {&a1, &a2, &a3, &a4};
    try {
        boost::wformat format(unescaped);
        for (const std::wstring* arg : args) {
            if (arg->empty()) break;
            format % *arg;
        }
        return format.str();
    } catch (const boost::io::format_error&) {
        return unescaped;
    }
}

}  // namespace tavelapp
