// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>

// Qt 6.4's QSortFilterProxyModel frees with free() a mapping it made with
// operator new, which AddressSanitizer would stop the window tests for.
extern "C" const char* __asan_default_options() {
    return "alloc_dealloc_mismatch=0";
}

int main(int argc, char** argv) {
    // Windows are driven offscreen, also when the tests are listed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
