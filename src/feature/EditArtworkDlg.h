#pragma once

namespace tavelapp {

// The artwork editor: an album's tracks in the player's library with their
// artwork counts, a preview, clearing and trimming the list, and (with the
// DownloadEnabled setting) a cover search whose chosen picture becomes the
// artwork of every listed track. Modal, owned by the active window, on the
// main thread; the player is reached from workers only. Returns when the
// dialog closed (a second request while one is open brings that one forward).
// Off Windows there is no dialog and it returns at once.
void showEditArtworkDlg();

}  // namespace tavelapp
