#include "feature/EditArtworkDlg.h"

namespace tavelapp {

void showEditArtworkDlg() {}

}  // namespace tavelapp
