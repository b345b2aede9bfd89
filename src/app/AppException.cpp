#include "app/AppException.h"

#include "config/Lang.h"

namespace tavelapp {

std::wstring AppException::text() const { return Lang::instance().text(L"Error", messageKey); }

}  // namespace tavelapp
