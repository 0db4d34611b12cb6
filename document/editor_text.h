#pragma once
// Script text in and out of a text editor without changing it. An editor breaks lines at
// "\n" and at U+2029, and its plain-text export turns non-breaking spaces into spaces and
// U+2028 into a line break; a string literal holds any of these as they are.

#include <QString>

class QTextDocument;

// The text to put into an editor: lines end in "\n" (not CR or CR LF); a U+2029 inside a
// line is carried by a stand-in, since the editor would start a new line there.
QString textForEditor(const QString &text);
// What the editor holds, lines ending in "\n", every other character as it was given.
QString textFromEditor(const QTextDocument *document);
