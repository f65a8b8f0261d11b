// The main window's side of the full-screen picture that the user closes on the picture
// itself.
#include "app/VombrelMain.h"

namespace vombrel {

// A key or a click on the full-screen picture closes it, and the picture is already back
// in the video window. The main window leaves full screen with it, so its flag, the
// command panel's timer and the Esc key follow what the user sees and the next
// full-screen command goes full screen again.
void TFormVombrel::FullScreenClosedByUser() {
  if (!FullScreenOn()) return;
  try {
    ToggleFullScreen();
  } catch (...) {
    // The engine has let go of the picture already; its refusal changes nothing here.
  }
}

}  // namespace vombrel
