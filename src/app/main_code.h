// SPDX-License-Identifier: GPL-3.0-or-later
// MainCode: start-up of the desktop program.
#pragma once

#include <QString>

namespace zelvo {

// Shows the splash window, loads the main window and runs the program until
// it ends; returns the exit status. A non-empty file is opened once the main
// window shows, as File > Open would. Needs a QApplication.
int Main(const QString& file = {});

}  // namespace zelvo
