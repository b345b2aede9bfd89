// Search pages, MusicBrainz answers and the search record come from outside:
// any bytes must give some result, never a crash or a read past the input,
// and links, ids and records must keep the shapes the client relies on; no
// address or redirect a page names may pass for one on another host.
#include <cstddef>
#include <cstdint>
#include <string>

#include "amazon/AddressRules.h"
#include "amazon/DLErrorMgr.h"
#include "amazon/MusicBrainz.h"
#include "amazon/StorePage.h"

using namespace tavelapp::amazon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const int count = size > 0 ? data[0] % 13 - 1 : 3;
    const auto links = resultLinks(bytes, count);
    if (links.size() > 10) __builtin_trap();
    for (const std::string& link : links) {
        if (link.empty() || link.find('>') != std::string::npos) __builtin_trap();
    }
    const ProductInfo product = parseProductPage(bytes);
    if (product.pictureAddress.find('"') != std::string::npos) __builtin_trap();
    for (const Release& release : parseMusicBrainzReleases(bytes)) {
        if (release.id.empty() || release.id.find_first_not_of("0123456789abcdefABCDEF-") != std::string::npos)
            __builtin_trap();
    }
    AddressRules rules;
    rules.allowOrigin("http://store.example:8080");
    rules.allowDomain("archive.org");
    for (const std::string& address : {bytes, AddressRules::resolve("https://archive.org/x/front?y", bytes)}) {
        AddressRules::Origin origin;
        if (!rules.allows(address)) continue;
        if (!AddressRules::parse(address, origin)) __builtin_trap();
        const bool archive =
            origin.host == "archive.org" ||
            (origin.host.size() > 12 && origin.host.compare(origin.host.size() - 12, 12, ".archive.org") == 0);
        if (origin.host != "store.example" && !archive) __builtin_trap();
        if (origin.host.find_first_of("@\\%") != std::string::npos) __builtin_trap();
    }
    // What the record file reads, it writes back the same.
    const DLErrorMgr::Items items = DLErrorMgr::parse(bytes);
    if (DLErrorMgr::parse(DLErrorMgr::format(items)).size() != items.size()) __builtin_trap();
    return 0;
}
