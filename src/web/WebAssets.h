#pragma once
#include <cstddef>
#include <string>

#include "web/WebMessage.h"

namespace tavelapp {

// The page's files, built into the program from res/web (a generated source).
struct WebAsset {
    const char* name;
    const char* contentType;
    const unsigned char* data;
    std::size_t size;
    const char* etag;           // quoted, from the file's hash
    const unsigned char* gzip;  // the gzip form, null where it would not be smaller
    std::size_t gzipSize;
};

class WebAssets {
public:
    // The file of that name ("index.html"); null when there is none.
    static const WebAsset* find(const std::string& name);

    // Fills the answer to a GET of the asset: 304 with no body when
    // If-None-Match names what the browser holds, else the file, in its gzip
    // form where Accept-Encoding takes it. The caller adds the common headers.
    static void answer(const WebAsset& asset, const std::string& ifNoneMatch, const std::string& acceptEncoding,
                       WebResponse& response);
    // Whether an Accept-Encoding value takes gzip (not refused with q=0).
    static bool acceptsGzip(const std::string& acceptEncoding);
};

}  // namespace tavelapp
