#include "core/variables.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/sql_scanner.h"
#include "core/window_interface.h"

#include <algorithm>
#include <utility>

namespace {

bool isNameChar(QChar ch) {
    const char16_t c = ch.unicode();
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'_';
}

// The longest run of name characters starting at from (possibly empty).
QString nameAt(const QString &text, qsizetype from) {
    qsizetype end = from;
    while (end < text.size() && isNameChar(text[end]))
        ++end;
    return text.mid(from, end - from);
}

// Trimmed, and the text between a leading quote and the next same quote when there is one.
QString storedValue(const QString &value) {
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty()) return trimmed;
    const QChar quote = trimmed[0];
    if (quote != u'\'' && quote != u'"') return trimmed;
    const qsizetype close = trimmed.indexOf(quote, 1);
    return close < 0 ? trimmed : trimmed.mid(1, close - 1);
}

int freeOrNewSlot() {
    for (int slot = 1; slot <= engine.varCount; ++slot)
        if (!engine.vars[slot].inUse) return slot;
    if (engine.varCount >= kVariableSlots) return 0;
    return ++engine.varCount;
}

// The spans [first, end) of the text's string literals, quoted identifiers, dollar-quoted
// bodies and comments.
QList<std::pair<qsizetype, qsizetype>> literalSpans(const QString &text) {
    QList<std::pair<qsizetype, qsizetype>> spans;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype end = SqlScanner::skipLiteral(text, i);
        if (end > i) {
            spans.append({i, end});
            i = end;
        } else {
            ++i;
        }
    }
    return spans;
}

// The span that holds at, or {-1, -1}.
std::pair<qsizetype, qsizetype> spanAt(const QList<std::pair<qsizetype, qsizetype>> &spans,
                                       qsizetype at) {
    for (const auto &span : spans)
        if (at >= span.first && at < span.second) return span;
    return {-1, -1};
}

// One "&name" or "&&name" reference found in a text.
struct Reference {
    qsizetype at = 0;
    qsizetype length = 0; // of the whole reference, ampersands included
    QString name;
    bool askAgain = false;     // "&&name"
    bool inLiteral = false;    // in a literal, a quoted name or a comment
    bool wholeLiteral = false; // the only thing in a string literal: '&dept'
};

// The references of a text. An ampersand not followed by a name is text ("Tom & Jerry",
// "U&'...'", the "&&" operator).
QList<Reference> referencesIn(const QString &text) {
    QList<Reference> references;
    const auto spans = literalSpans(text);
    qsizetype i = text.indexOf(u'&');
    while (i >= 0) {
        const bool twice = i + 1 < text.size() && text[i + 1] == u'&';
        const QString name = nameAt(text, i + (twice ? 2 : 1));
        if (name.isEmpty()) {
            i = text.indexOf(u'&', i + (twice ? 2 : 1));
            continue;
        }
        const qsizetype length = (twice ? 2 : 1) + name.size();
        const auto [first, end] = spanAt(spans, i);
        const bool whole =
            !twice && first == i - 1 && end == i + length + 1 && text[first] == u'\'';
        references.append({i, length, name, twice, first >= 0, whole});
        i = text.indexOf(u'&', i + length);
    }
    return references;
}

QString variableRefusal;
QString substitutionOverflow;

QString replacementFor(const QString &name, bool prompt) {
    if (const int slot = var_find(name)) return engine.vars[slot].value;
    if (!prompt) {
        var_add(name, u'&' + name);
        return u'&' + name;
    }
    const WindowInterface::VariableAnswer answer = engine.ui->askVariable(
        name.toUpper(), QStringLiteral("Enter value for ") + name, QString());
    if (answer.refused) {
        // Stays unset, so a later run can still get a value; the first refusal explains.
        if (variableRefusal.isEmpty()) variableRefusal = answer.reason;
        return u'&' + name;
    }
    var_add(name, answer.value);
    return answer.value;
}

} // namespace

namespace {

bool isUpperAscii(const QString &name) {
    return std::all_of(name.begin(), name.end(), [](QChar ch) {
        const char16_t c = ch.unicode();
        return c < 0x80 && !(c >= u'a' && c <= u'z');
    });
}

// The hooks set a handful of variables after every statement, already in upper case.
QString keyOf(const QString &name) {
    return isUpperAscii(name) ? name : name.toUpper();
}

} // namespace

int var_find(const QString &name) {
    const QString key = keyOf(name);
    // Freed slots have an empty name too; they must not answer for the empty name.
    for (int slot = 1; slot <= engine.varCount; ++slot)
        if (engine.vars[slot].inUse && engine.vars[slot].name == key) return slot;
    return 0;
}

int var_add(const QString &name, const QString &value) {
    int slot = var_find(name);
    if (slot == 0) slot = freeOrNewSlot();
    if (slot == 0) return 0;
    Variable &var = engine.vars[slot];
    var.inUse = true;
    var.name = keyOf(name);
    var.value = storedValue(value);
    return slot;
}

QString takeSubstitutionOverflow() {
    return std::exchange(substitutionOverflow, QString());
}

QString takeVariableRefusal() {
    return std::exchange(variableRefusal, QString());
}

void var_free(int slot) {
    if (slot < 1 || slot > kVariableSlots) return;
    engine.vars[slot] = Variable{};
}

void var_free_all() {
    for (Variable &var : engine.vars)
        var = Variable{};
}

QString var_sub(const QString &text, bool prompt) {
    variableRefusal.clear(); // only this substitution's refusal counts
    substitutionOverflow.clear();
    if (!engine.substitution || !text.contains(u'&')) return text;
    QList<Reference> references = referencesIn(text);
    // Data such as 'R&B' names no variable: inside a literal only a defined one counts,
    // or one that is all the literal holds.
    references.removeIf([](const Reference &reference) {
        return reference.inLiteral && !reference.wholeLiteral && var_find(reference.name) == 0;
    });
    // "&&name" asks again: the old value goes before any reference is filled in.
    for (const Reference &reference : references)
        if (reference.askAgain) var_free(var_find(reference.name));
    QString result;
    qsizetype from = 0;
    for (const Reference &reference : references) {
        result += QStringView(text).mid(from, reference.at - from);
        from = reference.at + reference.length;
        const QString replacement = replacementFor(reference.name, prompt);
        if (result.size() + replacement.size() + text.size() - from > engine.maxStatementChars) {
            substitutionOverflow =
                QStringLiteral("With its variables filled in, the statement would be longer "
                               "than the limit of %1 characters: it was not run.")
                    .arg(engine.maxStatementChars);
            return text;
        }
        result += replacement;
    }
    result += QStringView(text).mid(from);
    return result;
}
