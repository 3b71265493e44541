// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_code.h"

#include <memory>

#include <QApplication>
#include <QTimer>

#include "app/frm_main.h"
#include "app/frm_splash.h"
#include "soundfont/model.h"

namespace zelvo {
namespace {

// The splash delay is a fixed count, not a time: no events run meanwhile.
constexpr long kBusyCount = 9'000'000;

void BusyCount() {
    volatile long i = 1;
    while (i <= kBusyCount) i = i + 1;
}

}  // namespace

int Main(const QString& file) {
    auto splash = std::make_unique<frmSplash>();
    splash->show();
    splash->repaint();
    BusyCount();

    SoundFontModel model;  // the program's one SoundFont model
    frmMain main(model);
    splash.reset();
    main.show();
    if (!file.isEmpty()) QTimer::singleShot(0, &main, [&main, file] { main.OpenFile(file); });
    return QApplication::exec();
}

}  // namespace zelvo
