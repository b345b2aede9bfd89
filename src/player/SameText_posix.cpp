#include "player/PlayerInterface.h"

namespace tavelapp {
namespace itunes {

bool sameText(const std::wstring& a, const std::wstring& b) { return a == b; }

}  // namespace itunes
}  // namespace tavelapp
