#pragma once
// Reading script and text files: UTF-8, with CR, CR LF or LF line ends.

#include <QString>
#include <QStringList>

// Reads at most maxLines lines of a file (all of them when maxLines < 0). False, with the
// system's description of the failure in error, when the file cannot be opened.
bool readTextLines(const QString &file, int maxLines, QStringList &lines, QString &error);

// Line ends inside the program are single carriage returns; text boxes and files of
// Linux editors break lines with line feeds. Both take CR LF, CR and LF alike.
QString withCarriageReturns(QString text);
QString withLineFeeds(QString text);
// Only CR LF pairs become CR: a program's output keeps a lone LF inside its lines.
QString crLfAsCr(QString text);

// Splits text at CR LF, CR or LF; a line end at the very end adds no empty line.
QStringList splitTextLines(const QString &text);
