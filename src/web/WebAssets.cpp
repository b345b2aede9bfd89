#include "web/WebAssets.h"

namespace tavelapp {
namespace {

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Each item of a comma list, trimmed, until `match` says yes.
template <typename Match>
bool anyItem(const std::string& list, Match match) {
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        if (match(trimmed(list.substr(start, end - start)))) return true;
        start = end + 1;
    }
    return false;
}

std::string lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The two forms have tags of their own: a cache must not answer one with the other.
std::string gzipTag(const WebAsset& asset) {
    const std::string plain = asset.etag;
    return plain.substr(0, plain.size() - 1) + "-gz\"";
}

}  // namespace

bool WebAssets::acceptsGzip(const std::string& acceptEncoding) {
    return anyItem(lowered(acceptEncoding), [](const std::string& item) {
        const std::size_t semicolon = item.find(';');
        const std::string coding = trimmed(item.substr(0, semicolon));
        if (coding != "gzip" && coding != "*") return false;
        if (semicolon == std::string::npos) return true;
        std::string weight = trimmed(item.substr(semicolon + 1));
        if (weight.compare(0, 2, "q=") != 0) return true;
        weight = weight.substr(2);
        // q=0, q=0.0, q=0.000: refused.
        return weight.find_first_not_of("0.") != std::string::npos;
    });
}

void WebAssets::answer(const WebAsset& asset, const std::string& ifNoneMatch, const std::string& acceptEncoding,
                       WebResponse& response) {
    const bool gzip = asset.gzip != nullptr && acceptsGzip(acceptEncoding);
    const std::string tag = gzip ? gzipTag(asset) : std::string(asset.etag);
    response.contentType = asset.contentType;
    response.headers.emplace_back("ETag", tag);
    if (asset.gzip != nullptr) response.headers.emplace_back("Vary", "Accept-Encoding");
    const bool held = anyItem(ifNoneMatch, [&tag](const std::string& item) {
        return item == "*" || item == tag || (item.compare(0, 2, "W/") == 0 && item.substr(2) == tag);
    });
    if (held) {
        response.status = 304;
        response.body.clear();
        return;
    }
    response.status = 200;
    if (gzip) {
        response.headers.emplace_back("Content-Encoding", "gzip");
        response.body.assign(reinterpret_cast<const char*>(asset.gzip), asset.gzipSize);
    } else {
        response.body.assign(reinterpret_cast<const char*>(asset.data), asset.size);
    }
}

}  // namespace tavelapp
