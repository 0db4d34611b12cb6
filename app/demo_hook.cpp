#include "app/demo_hook.h"

#include "document/grid.h"
#include "document/row_model.h"
#include "mainwindow/main_window.h"
#include "windows/norq_connect.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kSettleMs = 1500;

void savePicture(QWidget *widget, const QString &path) {
    if (!widget->grab().save(path)) qWarning("Pavona: cannot write %s", qPrintable(path));
}

void pressAt(QWidget *target, const QPoint &pos) {
    const QPointF local(pos);
    const QPointF global(target->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

int firstStatementRow(Grid *grid) {
    for (int row = 0; row < grid->rows(); ++row)
        if (rowKindAt(grid, row) == RowKind::sql) return row;
    return -1;
}

} // namespace

DemoHook::DemoHook() : path_(qEnvironmentVariable("PAVONA_DEMO_SCREENSHOT")) {}

void DemoHook::armConnectDialog() {
    if (!armed()) return;
    const QString path = path_;
    QTimer::singleShot(kSettleMs, [path] {
        NorqConnect *dialog = NorqConnect::visibleInstance();
        if (!dialog) return;
        QString connectPicture = path;
        connectPicture.replace(QLatin1String(".png"), QLatin1String("-connect.png"));
        savePicture(dialog, connectPicture);
        dialog->DoConnect->click();
    });
}

void DemoHook::armMainWindow(NorqSQL *window) {
    if (!armed()) return;
    QPointer<QMainWindow> target(mainWindow::widget(window));
    QPointer<Grid> grid(mainWindow::scriptGrid(window));
    const QString path = path_;
    QTimer::singleShot(kSettleMs, [target, grid, path] {
        if (!target || !grid) return;
        const int row = firstStatementRow(grid);
        if (row >= 0) {
            grid->setTopRow(std::max(0, row - 2));
            grid->syncView();
            const QRect cell = grid->visualRect(grid->model()->index(row, 0));
            pressAt(grid->viewport(), cell.center());
        }
        QTimer::singleShot(kSettleMs, [target, path] {
            if (!target) return;
            savePicture(target, path);
            if (qEnvironmentVariableIntValue("PAVONA_DEMO_EXIT") == 1) QCoreApplication::exit(0);
        });
    });
}
