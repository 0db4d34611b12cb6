// Pavona: the interactive workbench. Other start modes get their own entry beside
// runInteractive, leaving the interactive path as it is.

#include "app/interactive.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pavona"));
    return runInteractive(app);
}
