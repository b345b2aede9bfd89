#pragma once
#include <string>

namespace tavelapp {
namespace action {

// Over the network (the phone's TCP port, the web remote) a named action must
// be harmless unless the user allowed all: player actions and notifications,
// directly or through a list entry.
bool allowedOverNetwork(const std::wstring& reference, bool allowAll);

}  // namespace action
}  // namespace tavelapp
