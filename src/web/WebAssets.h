#pragma once
#include <cstddef>
#include <string>

namespace tavelapp {

// The page's files, built into the program from res/web (a generated source).
struct WebAsset {
    const char* name;
    const char* contentType;
    const unsigned char* data;
    std::size_t size;
};

class WebAssets {
public:
    // The file of that name ("index.html"); null when there is none.
    static const WebAsset* find(const std::string& name);
};

}  // namespace tavelapp
