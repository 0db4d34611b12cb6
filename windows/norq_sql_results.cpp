#include "windows/norq_sql_results.h"

#include "core/platform_units.h"
#include "document/grid.h"

#include <QKeyEvent>
#include <QPointer>
#include <QTreeWidget>

namespace {

constexpr int kWidthLoss = 140;
constexpr int kHeightLoss = 420;
constexpr int kTreeWidth = 5000;

QPointer<NorqSQLResults> sharedWindow;

} // namespace

NorqSQLResults::NorqSQLResults(QWidget *parent)
    : QWidget(parent, Qt::Window), DataValues(new Grid(this)), SingleView(new Grid(this)),
      XMLView(new QTreeWidget(this)), panes_(DataValues, SingleView, XMLView) {
    setWindowTitle(QStringLiteral("SQL Results"));
    resize(twipsToPixels(9000), twipsToPixels(5000));
    XMLView->setHeaderHidden(true);
    XMLView->resize(twipsToPixels(kTreeWidth), XMLView->height());
    SingleView->hide();
    XMLView->hide();
    for (QObject *watched : {static_cast<QObject *>(DataValues), static_cast<QObject *>(SingleView),
                             static_cast<QObject *>(XMLView)})
        watched->installEventFilter(this);
    connect(
        DataValues, &Grid::gridMouseDown, this,
        [this](Qt::MouseButton, Qt::KeyboardModifiers, int x, int) { DataValues_MouseDown(x); });
}

NorqSQLResults *NorqSQLResults::shared() {
    if (!sharedWindow) sharedWindow = new NorqSQLResults;
    return sharedWindow;
}

void NorqSQLResults::DataValues_MouseDown(int x) {
    panes_.gridMouseDown(x, pixelsToTwips(width()));
}

void NorqSQLResults::escapeKey() {
    SingleView->hide();
    XMLView->hide();
    DataValues->setGridVisible(true);
}

void NorqSQLResults::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        escapeKey();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool NorqSQLResults::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        escapeKey();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The losses are those of the outer size (frame and title bar included), so the grids
// fill the inside of the window.
void NorqSQLResults::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    const QSize outer = frameGeometry().size().expandedTo(size());
    const int width = std::max(pixelsToTwips(outer.width()) - kWidthLoss, 0);
    const int height = std::max(pixelsToTwips(outer.height()) - kHeightLoss, 0);
    DataValues->setGridGeometry(0, 0, width, height);
    SingleView->setGridGeometry(0, 0, width, height);
}
