#include "mainwindow/find_bar.h"

#include "document/grid.h"
#include "document/marked_text.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <tuple>

namespace {

constexpr int kEdgeGap = 4; // pixels between the bar and its cover's edges

bool isBarKey(const QKeyEvent *key) {
    return key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return ||
           key->key() == Qt::Key_Enter;
}

} // namespace

FindBar::FindBar(QWidget *cover, QWidget *parent) : QFrame(parent), cover_(cover) {
    setObjectName(QStringLiteral("FindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 3, 3);
    layout->addWidget(new QLabel(QStringLiteral("Find:"), this));
    entry_ = new QLineEdit(this);
    entry_->setObjectName(QStringLiteral("FindText"));
    entry_->setMinimumWidth(160);
    entry_->setToolTip(QStringLiteral("Enter: next, Shift+Enter: previous, Escape: close"));
    layout->addWidget(entry_);
    count_ = new QLabel(this);
    count_->setMinimumWidth(count_->fontMetrics().horizontalAdvance(QStringLiteral("999 of 999")));
    layout->addWidget(count_);
    const auto addButton = [&](const QString &text, const QString &tip, auto handler) {
        auto *button = new QToolButton(this);
        button->setText(text);
        button->setToolTip(tip);
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, handler);
        layout->addWidget(button);
    };
    addButton(QString(QChar(0x25B2)), QStringLiteral("Previous (Shift+F3)"),
              [this] { findPrevious(); });
    addButton(QString(QChar(0x25BC)), QStringLiteral("Next (F3)"), [this] { findNext(); });
    addButton(QString(QChar(0x2715)), QStringLiteral("Close (Escape)"), [this] { dismiss(); });
    connect(entry_, &QLineEdit::textChanged, this, [this] {
        current_ = -1;
        step(1);
    });
    entry_->installEventFilter(this);
    cover_->installEventFilter(this);
    hide();
}

void FindBar::searchGrid(Grid *grid, const QList<int> &columns) {
    dismiss();
    grid_ = grid;
    columns_ = columns;
    editor_ = nullptr;
}

void FindBar::searchEditor(QPlainTextEdit *editor) {
    dismiss();
    grid_ = nullptr;
    editor_ = editor;
}

void FindBar::open() {
    place();
    show();
    raise();
    entry_->setFocus();
    entry_->selectAll();
    current_ = -1;
    step(1);
}

void FindBar::dismiss() {
    hits_.clear();
    current_ = -1;
    if (grid_) grid_->setFindMarks(QString());
    if (editor_) editor_->setExtraSelections({});
    if (isVisible()) {
        hide();
        if (grid_) grid_->setFocus();
        if (editor_) editor_->setFocus();
    }
}

void FindBar::findNext() {
    if (!isVisible()) return open();
    step(1);
}

void FindBar::findPrevious() {
    if (!isVisible()) return open();
    step(-1);
}

QString FindBar::status() const {
    return count_->text();
}

// ---- hits ---------------------------------------------------------------------------

void FindBar::collectHits() {
    hits_.clear();
    const QString key = entry_->text();
    if (key.isEmpty()) return;
    if (editor_) {
        for (const qsizetype at : FindMarks::occurrences(editor_->toPlainText(), key))
            hits_.append({static_cast<int>(at), 0, 0});
        return;
    }
    if (!grid_) return;
    QList<int> columns = columns_;
    for (int col = 0; columns_.isEmpty() && col < grid_->cols(); ++col)
        columns.append(col);
    for (int row = 0; row < grid_->rows(); ++row) {
        for (const int col : columns) {
            if (grid_->rowHeight(row) == 0 || grid_->colWidth(col) == 0) continue;
            const auto starts = FindMarks::occurrences(grid_->textMatrix(row, col), key);
            for (int n = 0; n < starts.size(); ++n)
                hits_.append({row, col, n});
        }
    }
}

// Rows may have come or gone since the last step (a run adds outputs): the hits are
// found again and the step goes on from where the current one stood.
void FindBar::step(int direction) {
    const Hit from = current_ >= 0 && current_ < hits_.size() ? hits_[current_] : Hit{-1, 0, 0};
    collectHits();
    const auto before = [](const Hit &a, const Hit &b) {
        return std::tie(a.row, a.col, a.ordinal) < std::tie(b.row, b.col, b.ordinal);
    };
    if (hits_.isEmpty()) {
        current_ = -1;
    } else if (from.row < 0) {
        // A new text: the first hit from the caret or the current row on.
        const int start = editor_ ? editor_->textCursor().selectionStart() : grid_->row();
        current_ = 0;
        while (current_ < hits_.size() && hits_[current_].row < start)
            ++current_;
        if (current_ == hits_.size()) current_ = 0;
    } else if (direction > 0) {
        current_ = 0;
        while (current_ < hits_.size() && !before(from, hits_[current_]))
            ++current_;
        if (current_ == hits_.size()) current_ = 0;
    } else {
        current_ = static_cast<int>(hits_.size()) - 1;
        while (current_ >= 0 && !before(hits_[current_], from))
            --current_;
        if (current_ < 0) current_ = static_cast<int>(hits_.size()) - 1;
    }
    showCurrent();
}

void FindBar::showCurrent() {
    const QString key = entry_->text();
    if (key.isEmpty())
        count_->clear();
    else if (hits_.isEmpty())
        count_->setText(QStringLiteral("No match"));
    else
        count_->setText(QStringLiteral("%1 of %2").arg(current_ + 1).arg(hits_.size()));
    if (editor_) {
        QList<QTextEdit::ExtraSelection> marks;
        for (int n = 0; n < hits_.size(); ++n) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(editor_->document());
            mark.cursor.setPosition(hits_[n].row);
            mark.cursor.setPosition(hits_[n].row + static_cast<int>(key.size()),
                                    QTextCursor::KeepAnchor);
            mark.format.setBackground(n == current_ ? FindMarks::currentHitBackground
                                                    : FindMarks::hitBackground);
            marks.append(mark);
        }
        editor_->setExtraSelections(marks);
        if (current_ >= 0) {
            QTextCursor caret = editor_->textCursor();
            caret.setPosition(hits_[current_].row);
            editor_->setTextCursor(caret);
            editor_->ensureCursorVisible();
        }
        return;
    }
    if (!grid_) return;
    if (current_ < 0) {
        grid_->setFindMarks(hits_.isEmpty() ? QString() : key);
        return;
    }
    const Hit &hit = hits_[current_];
    grid_->setFindMarks(key, hit.row, hit.col, hit.ordinal);
    grid_->setRow(hit.row);
    grid_->setCol(hit.col);
    if (!grid_->isRowVisible(hit.row)) grid_->setTopRow(hit.row);
}

// ---- keys and place -----------------------------------------------------------------

bool FindBar::eventFilter(QObject *watched, QEvent *event) {
    if (watched == cover_ && event->type() == QEvent::Resize && isVisible()) place();
    if (watched != entry_) return QFrame::eventFilter(watched, event);
    // The bar's keys are its own while it has the keyboard, not the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride && isBarKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (!isBarKey(key)) return QFrame::eventFilter(watched, event);
    if (key->key() == Qt::Key_Escape)
        dismiss();
    else if (key->modifiers() & Qt::ShiftModifier)
        step(-1);
    else
        step(1);
    return true;
}

void FindBar::place() {
    adjustSize();
    const QRect area = cover_->geometry();
    int right = area.right() - kEdgeGap;
    if (const auto *scrolled = qobject_cast<const QAbstractScrollArea *>(cover_))
        if (scrolled->verticalScrollBar()->isVisible())
            right -= scrolled->verticalScrollBar()->width();
    const int width = std::min(sizeHint().width(), area.width() - 2 * kEdgeGap);
    setGeometry(right - width + 1, area.top() + kEdgeGap, width, sizeHint().height());
}
