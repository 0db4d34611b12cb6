#include "windows/norq_connect.h"

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "database/cli/cli.h"
#include "database/session.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <cstring>

namespace {

constexpr int kNameBuffer = 32;
constexpr int kDescriptionBuffer = 255;
// A catalog never lists this many sources; the cap only guards against a listing that
// keeps answering "success".
constexpr int kMaxSources = 4096;

QPointer<NorqConnect> sharedDialog;

QString bufferText(const char *buffer, int bufferSize, int16_t reportedLength) {
    const int stored = static_cast<int>(strnlen(buffer, static_cast<size_t>(bufferSize)));
    const int length = reportedLength < 0 ? stored : std::min<int>(reportedLength, stored);
    return QString::fromUtf8(buffer, length);
}

} // namespace

NorqConnect::NorqConnect(QWidget *parent) : QDialog(parent) {
    setWindowTitle(tr("Connect"));
    setFont(platformFont(QStringLiteral("Tahoma"), 9));

    DBList = new QComboBox(this);
    DBList->setEditable(true);
    DBList->setInsertPolicy(QComboBox::NoInsert);
    DBList->setToolTip(QStringLiteral("Select the database you want to connect to"));
    UIDName = new QLineEdit(this);
    UIDName->setToolTip(QStringLiteral("Connect userid for the database"));
    Pswd = new QLineEdit(this);
    Pswd->setEchoMode(QLineEdit::Password);
    Pswd->setToolTip(QStringLiteral("Password for the userid"));
    DoConnect = new QPushButton(QStringLiteral("Connect"), this);
    DoConnect->setToolTip(QStringLiteral("Attempt to connect to the database"));
    DoConnect->setDefault(true);
    Killit = new QPushButton(QStringLiteral("Cancel"), this);
    Killit->setToolTip(QStringLiteral("Cancel connection dialog"));
    Status = new QLabel(this);
    Status->setWordWrap(true);

    auto *picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(48, 48));
    auto *product = new QLabel(QStringLiteral("Pavona 10.5"), this);

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Database"), this), 0, 0);
    fields->addWidget(DBList, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Userid"), this), 1, 0);
    fields->addWidget(UIDName, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("Password"), this), 2, 0);
    fields->addWidget(Pswd, 2, 1);
    fields->setColumnMinimumWidth(1, 200);

    auto *side = new QVBoxLayout;
    side->addWidget(picture, 0, Qt::AlignHCenter);
    side->addWidget(product, 0, Qt::AlignHCenter);
    side->addStretch();

    auto *top = new QHBoxLayout;
    top->addLayout(side);
    top->addLayout(fields);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(DoConnect);
    buttons->addWidget(Killit);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Status);
    layout->addLayout(buttons);
    // The dialog takes the size its contents ask for, so a failure message of several lines
    // grows it instead of squeezing the fields (a wrapped label alone would not).
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(DoConnect, &QPushButton::clicked, this, &NorqConnect::DoConnect_Click);
    connect(Killit, &QPushButton::clicked, this, &NorqConnect::Killit_Click);
}

NorqConnect *NorqConnect::shared() {
    if (!sharedDialog) sharedDialog = new NorqConnect;
    return sharedDialog;
}

NorqConnect *NorqConnect::visibleInstance() {
    return sharedDialog && sharedDialog->isVisible() ? sharedDialog.data() : nullptr;
}

void NorqConnect::setStatus(const QString &text) {
    Status->setText(text);
    Status->repaint();
    QCoreApplication::processEvents();
}

// Closing the dialog ends its life as a form: every showing starts from a fresh load.
void NorqConnect::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Form_Load();
}

void NorqConnect::showSession(const SessionState &session) {
    UIDName->setText(session.userId);
    Pswd->setText(session.userPassword);
    if (!session.databaseName.isEmpty()) DBList->setEditText(session.databaseName);
}

int NorqConnect::connectSession(SessionState &session) {
    session.databaseName = chosenDatabase();
    session.userId = UIDName->text().trimmed();
    session.userPassword = Pswd->text().trimmed();
    return Norq_connect(session, session.databaseName, session.userId, session.userPassword);
}

void NorqConnect::Form_Load() {
    DBList->clear();
    showSession(engine);
    const int listed = listDataSources();
    Status->setText(listed == 0 ? QStringLiteral("No databases found in the local catalog")
                                : QString());
}

// Lists the catalog into DBList; returns how many names were listed. Anything but a
// success code (the end of the list, or an error) ends the listing.
int NorqConnect::listDataSources() {
    const QString typed = DBList->currentText();
    int listed = 0;
    int16_t direction = cli::kFetchFirst;
    while (listed < kMaxSources) {
        char name[kNameBuffer + 1] = {};
        char description[kDescriptionBuffer + 1] = {};
        int16_t nameLength = 0;
        int16_t descriptionLength = 0;
        const int rc =
            cli::SQLDataSources(engine.envHandle, direction, name, kNameBuffer, &nameLength,
                                description, kDescriptionBuffer, &descriptionLength);
        if (rc != cli::kSuccess && rc != cli::kSuccessWithInfo) break;
        direction = cli::kFetchNext;
        DBList->addItem(bufferText(name, kNameBuffer, nameLength).trimmed());
        ++listed;
    }
    // Adding the first entry selects it in an editable combo box; keep the session's
    // database as the text and leave the list without a selection.
    DBList->setCurrentIndex(-1);
    DBList->setEditText(typed);
    return listed;
}

// A typed name takes precedence over a selected list entry.
QString NorqConnect::chosenDatabase() const {
    const QString typed = DBList->currentText().trimmed();
    if (!typed.isEmpty()) return typed;
    return DBList->currentIndex() >= 0 ? DBList->itemText(DBList->currentIndex()).trimmed()
                                       : QString();
}

void NorqConnect::DoConnect_Click() {
    if (connecting_) return; // a second press while the first is still connecting
    if (DBList->currentText().isEmpty() && DBList->currentIndex() < 0) {
        Status->setText(QStringLiteral("A database must be selected from the list"));
        return;
    }
    engine.msgText.clear();
    QPointer<NorqConnect> self(this);
    connecting_ = true;
    const int rc = connectSession(engine);
    if (!self) return;
    connecting_ = false;
    if (rc == 0) {
        accept();
        return;
    }
    // The dialog stays open; say why instead of leaving the last progress text.
    Status->setText(engine.msgText);
}

void NorqConnect::Killit_Click() {
    reject();
}
