#pragma once

namespace tavelapp {

// The lower layers declare what they need from the ones above them (texts,
// the utilities' plug-ins, the timers' state, ...); this hands it in. Called
// once at start, before anything else runs; the tests call it too.
void wireLayers();

}  // namespace tavelapp
