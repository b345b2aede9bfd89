#pragma once

namespace tavelapp {
namespace itunes {
namespace model {

// The persistent id (the library file's 64-bit identity) of a model track or
// playlist handle, beyond the player interface: the simulated player serves it
// to scripts. Reached from a handle by dynamic_cast.
class PersistentItem {
public:
    // 0 once the object is gone.
    virtual unsigned long long persistentId() = 0;

protected:
    ~PersistentItem() = default;
};

}  // namespace model
}  // namespace itunes
}  // namespace tavelapp
