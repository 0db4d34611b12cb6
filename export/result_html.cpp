#include "export/result_html.h"

#include "export/export_blocks.h"

QString htmlLines(const QString &text) {
    QStringList lines = valueLines(text);
    for (QString &line : lines)
        line = line.toHtmlEscaped();
    return lines.join(QStringLiteral("<br>"));
}

QStringList resultTableHtml(const ResultSet &result) {
    QStringList html{QStringLiteral("<table>")};
    QString header = QStringLiteral("<thead><tr>");
    for (const ResultColumn &column : result.columns)
        header += QStringLiteral("<th>%1</th>").arg(htmlLines(column.name));
    html << header + QStringLiteral("</tr></thead>") << QStringLiteral("<tbody>");
    for (const std::vector<ResultValue> &row : result.rows) {
        QString line = QStringLiteral("<tr>");
        for (size_t c = 0; c < row.size(); ++c) {
            line += result.isNumeric(static_cast<int>(c)) ? QStringLiteral("<td class=\"number\">")
                                                          : QStringLiteral("<td>");
            line += htmlLines(shownValue(row[c])) + QStringLiteral("</td>");
        }
        html << line + QStringLiteral("</tr>");
    }
    html << QStringLiteral("</tbody>") << QStringLiteral("</table>");
    return html;
}
