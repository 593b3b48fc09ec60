#pragma once
// The pictures of the windows and controls are compiled into the program as Qt
// resources under ":/ocuvell/". Call this once before loading them; the controls do.

namespace ocuvell {

void initArtwork();

} // namespace ocuvell
