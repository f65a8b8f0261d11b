// The main window's side of a full-screen picture that went away without its command.
#include "app/VombrelMain.h"

namespace vombrel {

// A key or a click on the full-screen picture closes it, and so does the engine when it
// closes the file the picture belongs to (a new entry, tag saving, an engine change). The
// picture is back in the video window by then; the main window leaves full screen with
// it, so its flag, the command panel's timer and the Esc key follow what the user sees
// and the next full-screen command goes full screen again; a command panel still up has
// nothing left to serve and goes too. No engine call: the engine may be the one closing
// the window.
void TFormVombrel::FullScreenWindowClosed() {
  if (!fullScreenOn_) return;
  fullScreenOn_ = false;
  FullScreenTimer->stop();
  FollowFullScreenWithEscHotKey();
  if (commandPanel_ && commandPanel_->isVisible()) commandPanel_->hide();
}

}  // namespace vombrel
