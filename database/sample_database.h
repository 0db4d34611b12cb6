#pragma once
// The sample database SAMPLE of the embedded catalog, built from the sample script.

#include <QString>

enum class SampleOutcome { created, existed, failed };

// Creates SAMPLE from script unless the catalog holds it. detail: the database file
// (created, existed) or why it could not be made (failed). Nothing half-made is left.
SampleOutcome createSampleDatabase(const QString &script, QString *detail);
