#pragma once
#include <string>
#include <vector>

#include "web/PairingStore.h"
#include "win/file/Ini.h"

namespace tavelapp {

// Settings\WebDevices.ini: the paired browsers, one section each ([Device0],
// [Device1], ...) with the token's hash, the name, the pairing time and the
// last use (seconds since 1970, UTC).
class WebDevicesFile : public tavel::win::file::Ini {
public:
    // The file in the settings folder's Settings folder.
    static std::wstring defaultPath();

    explicit WebDevicesFile(std::wstring path) : tavel::win::file::Ini(std::move(path)) {}
    void serialize() override;

    std::vector<PairingStore::Device> devices;
};

}  // namespace tavelapp
