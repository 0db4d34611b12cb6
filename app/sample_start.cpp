#include "app/sample_start.h"

#include "core/engine_state.h"
#include "core/window_interface.h"
#include "database/catalog.h"
#include "database/sample_database.h"
#include "mainwindow/resource_folders.h"

#include <cstdio>

namespace {

const QString kSampleScript = QStringLiteral("sample.sql");

QString sampleScript() {
    const QString folder = installedResourceFolder(QStringLiteral("samples"), kSampleScript);
    return folder.isEmpty() ? QString() : folder + u'/' + kSampleScript;
}

} // namespace

int createSampleCommand() {
    const QString script = sampleScript();
    if (script.isEmpty()) {
        std::fputs("pavona: the sample script samples/sample.sql is not installed\n", stderr);
        return 2;
    }
    QString detail;
    switch (createSampleDatabase(script, &detail)) {
    case SampleOutcome::created:
        std::printf("pavona: created SAMPLE in %s from %s\n", qPrintable(detail),
                    qPrintable(script));
        return 0;
    case SampleOutcome::existed:
        std::printf("pavona: SAMPLE exists in %s; left as it is\n", qPrintable(detail));
        return 0;
    case SampleOutcome::failed:
        break;
    }
    std::fprintf(stderr, "pavona: cannot create SAMPLE: %s\n", qPrintable(detail));
    return 2;
}

void offerSampleDatabase() {
    if (!embeddedDatabaseNames().isEmpty()) return;
    const QString script = sampleScript();
    if (script.isEmpty()) return;
    const QString title = QStringLiteral("Pavona");
    if (!engine.ui->offerYesNo(title, QStringLiteral("The database catalog %1 holds no database "
                                                     "yet.\r\nCreate the sample database SAMPLE?")
                                          .arg(embeddedCatalogFolder())))
        return;
    QString detail;
    if (createSampleDatabase(script, &detail) == SampleOutcome::failed) {
        engine.ui->messageBox(title, QStringLiteral("Cannot create SAMPLE: ") + detail);
        return;
    }
    // The connect dialog that follows proposes it.
    if (engine.databaseName.isEmpty()) engine.databaseName = QStringLiteral("SAMPLE");
}
