#include <QApplication>

#include "app/image_list.h"
#include "app/main_code.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvo"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(ZELVO_VERSION_MAJOR)
                                            .arg(ZELVO_VERSION_MINOR)
                                            .arg(ZELVO_VERSION_PATCH));
    QGuiApplication::setDesktopFileName(QStringLiteral("zelvo"));
    QApplication::setWindowIcon(zelvo::AppIcon());
    return zelvo::Main();
}
