#pragma once
#include <string>

namespace tavelapp {

// The tray's Links menu hands its addresses to the shell, which would run a
// program or a script as readily as it opens a page.
namespace LinkRules {

// An http or https address (scheme in any case) with a host, and nothing a
// browser's command line could take for a second argument: no blank,
// quotation mark or control character.
bool isWebAddress(const std::wstring& address);

}  // namespace LinkRules
}  // namespace tavelapp
