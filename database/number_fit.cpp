#include "database/number_fit.h"

#include <QRegularExpression>

namespace {

// More digits than a double holds would be digits of its binary form, not of the value.
constexpr int kMaxMantissaDecimals = 16;

int significantDigits(const QString &text) {
    int digits = 0;
    bool leading = true;
    for (const QChar ch : text) {
        if (ch == u'e' || ch == u'E') break;
        if (!ch.isDigit()) continue;
        if (leading && ch == u'0') continue;
        leading = false;
        ++digits;
    }
    return digits;
}

// Adds one to the last digit of a string of digits, carrying as far as needed.
QString incremented(QString digits) {
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = u'0';
    }
    return u'1' + digits;
}

// "-123456.890625" rounded half away from zero to `decimals` places, digit by digit so
// that no digit comes from the value's binary form.
QString roundedDecimal(const QString &sign, const QString &whole, const QString &fraction,
                       int decimals) {
    QString digits = whole + fraction.left(decimals);
    if (fraction.size() > decimals && fraction[decimals] >= u'5') digits = incremented(digits);
    const qsizetype wholeDigits = digits.size() - decimals;
    QString text = digits.left(wholeDigits);
    if (decimals > 0) text += u'.' + digits.mid(wholeDigits);
    const bool zero = !text.contains(QRegularExpression(QStringLiteral("[1-9]")));
    return (zero ? QString() : sign) + text;
}

// The plain decimal that fits, with as many decimals as there is room for; "" when even
// the whole part does not fit.
QString fixedInWidth(const QString &text, int width) {
    static const QRegularExpression decimal(QStringLiteral(R"(^([+-]?)(\d+)\.(\d+)$)"));
    const QRegularExpressionMatch match = decimal.match(text);
    if (!match.hasMatch()) return {};
    const QString sign = match.captured(1) == u"-" ? QStringLiteral("-") : QString();
    const QString whole = match.captured(2), fraction = match.captured(3);
    const int room = width - static_cast<int>(sign.size() + whole.size()) - 1;
    // Rounding up can add a digit in front (9.96 -> 10.0): one decimal fewer then.
    for (int decimals = std::min<int>(room, static_cast<int>(fraction.size())); decimals >= 0;
         --decimals) {
        const QString rounded = roundedDecimal(sign, whole, fraction, decimals);
        if (rounded.size() <= width) return rounded;
    }
    return {};
}

// Mantissa and exponent with as many decimals as fit; "" when none does.
QString exponentInWidth(double value, int width) {
    static const QRegularExpression trailingZeros(QStringLiteral(R"(\.?0+e)"));
    for (int decimals = std::min(kMaxMantissaDecimals, width); decimals >= 0; --decimals) {
        QString text = QString::number(value, 'e', decimals);
        if (text.contains(u'.')) text.replace(trailingZeros, QStringLiteral("e"));
        if (text.size() <= width) return text;
    }
    return {};
}

} // namespace

QString numberInWidth(const QString &text, int width) {
    const QString value = text.trimmed();
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (!isNumber) return {};
    if (value.size() <= width) return value;
    const QString fixed = fixedInWidth(value, width);
    const QString exponent = exponentInWidth(number, width);
    if (fixed.isEmpty() && exponent.isEmpty()) return QString(std::max(width, 0), u'#');
    if (exponent.isEmpty()) return fixed;
    if (fixed.isEmpty()) return exponent;
    return significantDigits(fixed) >= significantDigits(exponent) ? fixed : exponent;
}
