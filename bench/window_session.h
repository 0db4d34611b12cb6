#pragma once
// What the window benchmarks share: the engine started and connected as the program
// starts it, and a wait until the window is on the screen, as before a user's press.

#include "core/engine_state.h"
#include "database/session.h"
#include "engine/startup.h"
#include "windows/qt_window_interface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>

inline bool startAndConnect(const char *database) {
    engine_startup();
    installQtWindowInterface();
    engine.databaseName = QString::fromLocal8Bit(database);
    if (Norq_connect(engine, engine.databaseName, engine.userId, engine.userPassword) == 0)
        return true;
    std::fprintf(stderr, "cannot connect: %s\n", qPrintable(engine.msgText));
    return false;
}

inline void waitUntilShown(QWidget &window) {
    QElapsedTimer wait;
    wait.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}
