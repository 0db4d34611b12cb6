#pragma once
// Reading script and text files: UTF-8, with CR, CR LF or LF line ends.

#include <QString>
#include <QStringList>

// What a command reads of one file at most. Text also stops at its caller's line limit.
inline constexpr qint64 kMaxTextBytes = 64 * 1024 * 1024;
inline constexpr qint64 kMaxPictureBytes = 64 * 1024 * 1024;
inline constexpr qint64 kMaxLargeObjectBytes = 256 * 1024 * 1024;
// How a cap is named in a message: "64 MB".
QString byteLimitText(qint64 bytes);

// Why an existing file cannot be read as one ("Is a directory", "Not a regular file"), so
// that a device or a pipe is never opened; empty for a regular file or a missing one.
QString notRegularFile(const QString &file);
// Also "Larger than 64 MB" for a picture over kMaxPictureBytes.
QString unreadablePicture(const QString &file);

// Reads at most maxLines lines of a file (all of them when maxLines < 0) and at most
// kMaxTextBytes. False, with the description of the failure in error, when the file cannot
// be opened, is not a regular file, or holds more bytes than that before maxLines lines.
bool readTextLines(const QString &file, int maxLines, QStringList &lines, QString &error);

// Line ends inside the program are single carriage returns; text boxes and files of
// Linux editors break lines with line feeds. Both take CR LF, CR and LF alike.
QString withCarriageReturns(QString text);
QString withLineFeeds(QString text);
// Only CR LF pairs become CR: a program's output keeps a lone LF inside its lines.
QString crLfAsCr(QString text);
// Without the CR LF pairs a message starts with.
QString withoutLeadingLineBreaks(QString text);

// Splits text at CR LF, CR or LF; a line end at the very end adds no empty line.
QStringList splitTextLines(const QString &text);
