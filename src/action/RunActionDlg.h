#pragma once

namespace tavelapp {

// The modal run-action dialog without owner; returns 1 (OK) or 2 (Cancel).
// Off Windows there is no dialog and it returns 2 at once.
int showRunActionDlg();

}  // namespace tavelapp
