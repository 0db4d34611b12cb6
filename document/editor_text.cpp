#include "document/editor_text.h"

#include "core/text_files.h"

#include <QTextDocument>

namespace {

// A Unicode noncharacter, meant for a program's own use and not found in text files
// (the editor itself takes U+FDD0 and U+FDD1 for frame marks).
constexpr QChar kParagraphStandIn(0xFDEF);

} // namespace

QString textForEditor(const QString &text) {
    QString out = withLineFeeds(text);
    out.replace(QChar::ParagraphSeparator, kParagraphStandIn);
    return out;
}

QString textFromEditor(const QTextDocument *document) {
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(kParagraphStandIn, QChar::ParagraphSeparator);
    return text;
}
