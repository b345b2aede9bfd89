#include "web/WebDevicesFile.h"

#include <cstdint>

#include "feature/SettingsFolder.h"
#include "win/util/TextCodec.h"

namespace tavelapp {

std::wstring WebDevicesFile::defaultPath() { return featureSettingsPath(L"WebDevices.ini"); }

void WebDevicesFile::serialize() {
    const bool reading = mode() == ModeRead;
    if (reading) devices.clear();
    for (std::size_t n = 0; n < PairingStore::kMaxDevices; ++n) {
        const std::wstring section = L"Device" + std::to_wstring(n);
        if (reading ? raw(section, L"Hash").empty() : n >= devices.size()) break;
        PairingStore::Device device = reading ? PairingStore::Device() : devices[n];
        std::wstring hash = tavel::win::util::utf8ToWide(device.hash);
        std::uint32_t paired = static_cast<std::uint32_t>(device.pairedAt);
        std::uint32_t used = static_cast<std::uint32_t>(device.lastUse);
        string(section, L"Hash", hash, std::wstring());
        string(section, L"Name", device.name, std::wstring());
        integer(section, L"Paired", paired, 0u);
        integer(section, L"LastUse", used, 0u);
        if (!reading) continue;
        // A hash that is not one pairs nobody; dropped rather than kept.
        device.hash = tavel::win::util::wideToUtf8(hash);
        if (device.hash.size() != 64 || device.hash.find_first_not_of("0123456789abcdef") != std::string::npos)
            continue;
        device.pairedAt = paired;
        device.lastUse = used;
        devices.push_back(device);
    }
}

}  // namespace tavelapp
