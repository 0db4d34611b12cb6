#pragma once
// Colours SQL and the script language in a text editor: keywords, strings, comments,
// numbers and substitution variables (&name). The editor's text is never changed.

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QPlainTextEdit;

class SqlHighlighter : public QSyntaxHighlighter {
public:
    explicit SqlHighlighter(QObject *parent);

protected:
    void highlightBlock(const QString &text) override;

private:
    void colourSyntax(const QString &text);
    void showOwnColours();
    // Colours from start to the end of a /* */ comment; returns where it ends (-1: it
    // goes on past the line).
    int colourBlockComment(const QString &text, int start);

    QTextCharFormat keyword_, string_, comment_, number_, variable_;
};

// Turns an editor's highlighting on or off (a box that also holds prose turns it off for
// prose); its highlighter is made on first use and belongs to the editor.
void setSqlHighlighting(QPlainTextEdit *editor, bool on);
