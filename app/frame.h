// The two top-level windows kept together: the overlay lies on MainWindow's corner and above it.
#pragma once

namespace app {

// Loads the overlay, or finds it loaded: owned by MainWindow, on its corner and above it, with the
// warning hidden until the finished state gives it its text. Set-up loads it so, and Apply again when
// the user has closed it.
void LoadOverlay();

} // namespace app
