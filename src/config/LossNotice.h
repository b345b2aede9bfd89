#pragma once

#include "win/file/Ini.h"

namespace tavelapp {

// Tells the user, once per run and kind, that something of theirs is lost: a
// notification while the program runs, a message box once it is ending and
// no notification can be shown any more.
class LossNotice {
public:
    // Saves a settings or feature file; the first failure names the file (a
    // read-only folder or stick).
    static bool save(tavel::win::file::Ini& file);
    // A timer the system refused: what it was to start will not happen.
    static void timerRefused();
    // The next failure of each kind tells again (for tests).
    static void rearm();
};

}  // namespace tavelapp
