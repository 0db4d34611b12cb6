#include "core/quoting.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// What a database makes of a literal: the text it stands for.
QString valueOf(const QString &literal) {
    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_stmt *statement = nullptr;
    const QByteArray sql = "SELECT " + literal.toUtf8();
    QString value = QStringLiteral("(not SQL)");
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

TEST(Quoting, ASqlLiteralStandsForItsTextExactly) {
    for (const QString &text :
         {QStringLiteral("it's"), QString(), QStringLiteral("''"), QStringLiteral("' OR 1=1 --"),
          QStringLiteral("a\nb;\"c\""), QStringLiteral("\u00fcber \\'")})
        EXPECT_EQ(valueOf(sqlLiteral(text)), text) << text.toStdString();
}

} // namespace
