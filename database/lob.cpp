#include "database/lob.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "database/cli/cli.h"
#include "database/session.h"

#include <array>
#include <cstring>

namespace {

constexpr int kNameBytes = 255;

using NameBytes = std::array<char, kNameBytes>;

// The name's bytes, NUL-terminated, at most 253 of them (the last element stays free).
int16_t textToBytes(const QString &name, NameBytes &bytes) {
    bytes.fill(0);
    QByteArray encoded = name.toUtf8();
    qsizetype n = std::min<qsizetype>(encoded.size(), kNameBytes - 2);
    while (n > 0 && n < encoded.size() && (static_cast<unsigned char>(encoded[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(bytes.data(), encoded.constData(), n);
    return static_cast<int16_t>(n);
}

struct Bracketed {
    QString name;
};

// The names in square brackets, in order; an opening bracket without a closing one ends
// the list.
QList<Bracketed> bracketedNames(const QString &text) {
    QList<Bracketed> names;
    qsizetype open = text.indexOf(QLatin1Char('['));
    while (open >= 0) {
        const qsizetype close = text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0) break;
        names.append({text.mid(open + 1, close - open - 1)});
        open = text.indexOf(QLatin1Char('['), close);
    }
    return names;
}

bool failed(int rc) {
    return rc < 0;
}

} // namespace

int Norq_load(SessionState &session, const QString &argument) {
    const QList<Bracketed> files = bracketedNames(argument);
    if (files.size() > kMaxLoadFiles) {
        // Binding only some of them would insert NULL for the rest: nothing is run.
        setMessage(true, -1, 0,
                   QStringLiteral("XLOAD binds at most %1 files; this statement names %2.")
                       .arg(kMaxLoadFiles)
                       .arg(files.size()),
                   QStringLiteral("Norq_load"));
        session.errorFlag = true;
        return 0;
    }
    if (files.isEmpty()) return -1;

    session.lastRc = cli::SQLAllocStmt(session.connHandle, &session.stmtHandle);
    if (failed(session.lastRc)) {
        session.stmtHandle = nullptr;
        Norq_error(session);
        return 0;
    }
    session.lastRc =
        cli::SQLSetStmtAttr(session.stmtHandle, cli::kAttrNoScan, 1, cli::kNullTerminated);
    if (failed(session.lastRc)) {
        Norq_error(session);
        return 0;
    }
    // The names stay in place until the statement has run.
    std::array<NameBytes, kMaxLoadFiles> names{};
    std::array<int16_t, kMaxLoadFiles> lengths{};
    for (int i = 0; i < files.size(); ++i) {
        lengths[i] = textToBytes(files[i].name, names[i]);
        uint32_t options = cli::kFileRead;
        int32_t indicator = 0;
        session.lastRc =
            cli::SQLBindFileToParam(session.stmtHandle, static_cast<int16_t>(i + 1), cli::kTypeBlob,
                                    names[i].data(), &lengths[i], &options, kNameBytes, &indicator);
        if (failed(session.lastRc)) {
            Norq_error(session);
            return 0;
        }
    }
    const QByteArray statement =
        (QStringLiteral("insert ") + argument.left(argument.indexOf(QLatin1Char('[')))).toUtf8();
    session.lastRc = cli::SQLExecDirect(session.stmtHandle, statement.constData(),
                                        static_cast<int>(statement.size()));
    if (failed(session.lastRc)) {
        Norq_error(session);
        return 0;
    }
    Norq_close(session);
    setMessage(false, 0, 11, QString(), QStringLiteral("Norq_load"));
    return 0;
}
