#pragma once
// pavona --run SCRIPT --watch: the run, then again each time one of the files it reads is
// saved. Each run is a pavona --run of its own (a fresh engine, as a user's rerun would
// be), and reports against the run before it, or against the snapshot with --check.

#include "app/batch_options.h"

#include <QHash>
#include <QString>
#include <QStringList>

// Returns 128 + the signal that ended the watch (130 for Ctrl+C).
int watchBatch(const BatchOptions &options);

// The scripts a script RUNs or STARTs, followed through the ones it names (up to a few
// levels), each path with its variables filled in from values (upper-case names; curdir
// defaults to the script's folder) and made absolute against the working folder. Paths
// that still hold a reference, or name no file, are left out.
QStringList scriptsRunBy(const QString &script, const QHash<QString, QString> &values);

// The arguments of each run a watch starts: the watch's own without --watch, and with
// the snapshot the run reports against. first: the watch's first run.
QStringList watchRunArguments(const BatchOptions &options, const QString &ownSnapshot, bool first);
