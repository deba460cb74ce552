#include <QApplication>

#include "qt/window_owner.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korrin Patcher"));
    QApplication::setOrganizationName(QStringLiteral("Norvane"));
    korrin::qt::WindowOwner owner;
    owner.Load();
    return QApplication::exec();
}
