#pragma once
#include <cstdint>

namespace tavel {
namespace nsmpi {

// What the program's own plug-in exports forward to: the program file can be
// loaded like an action plug-in library, and then offers nothing.
class NullModule {
public:
    static NullModule& instance();
    std::int32_t initialize(std::uint32_t) { return 0; }
    std::int32_t terminate() { return 0; }
    std::int32_t getPluginInfo(std::uint32_t, std::uint32_t, std::uint32_t) { return 0; }
};

}  // namespace nsmpi
}  // namespace tavel
