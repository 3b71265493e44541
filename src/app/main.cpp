// SPDX-License-Identifier: GPL-3.0-or-later
#include <iostream>
#include <string>
#include <vector>

#include <QApplication>
#include <QFile>

#include "app/command_line.h"
#include "app/image_list.h"
#include "app/main_code.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
    // --help and --version need no display, so they answer before Qt starts.
    const zelvo::CommandLine early = zelvo::ParseCommandLine(Arguments(argc, argv));
    if (early.action == zelvo::CommandLine::Action::Help) {
        std::cout << zelvo::UsageText();
        return 0;
    }
    if (early.action == zelvo::CommandLine::Action::Version) {
        std::cout << zelvo::VersionText() << '\n';
        return 0;
    }

    QApplication app(argc, argv);  // takes Qt's own options out of argv
    const zelvo::CommandLine line = zelvo::ParseCommandLine(Arguments(argc, argv));
    if (line.action != zelvo::CommandLine::Action::Run) {
        std::cerr << "zelvo: " << line.error << '\n' << zelvo::UsageText();
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Zelvo"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(ZELVO_VERSION_MAJOR)
                                            .arg(ZELVO_VERSION_MINOR)
                                            .arg(ZELVO_VERSION_PATCH));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zelvo.Zelvo"));
    QApplication::setWindowIcon(zelvo::AppIcon());
    return zelvo::Main(QFile::decodeName(QByteArray::fromStdString(line.file)));
}
