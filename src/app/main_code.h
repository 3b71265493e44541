// MainCode: start-up of the desktop program.
#pragma once

namespace zelvo {

// Shows the splash window, loads the main window and runs the program until
// it ends; returns the exit status. Needs a QApplication.
int Main();

}  // namespace zelvo
