#include "mainwindow/export.h"

#include "document/grid.h"
#include "document/row_model.h"
#include "document/script_text.h"
#include "engine/file_writer.h"
#include "engine/variables.h"
#include "mainwindow/shared_exports.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>
#include <QUrl>
#include <array>

namespace {

const QString kCommandCompleted = QStringLiteral("Command completed.");
const QString kBlankLine = QStringLiteral(" ");

QStringList splitLines(const QString &text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

// Text for an HTML page: markup characters become entities, and characters outside
// ASCII become character references, so the page reads the same whatever encoding a
// browser assumes (the head names none).
QString htmlText(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar *c = text.constData(), *end = c + text.size(); c < end; ++c) {
        const char16_t u = c->unicode();
        if (u == '&')
            out += QLatin1String("&amp;");
        else if (u == '<')
            out += QLatin1String("&lt;");
        else if (u == '>')
            out += QLatin1String("&gt;");
        else if (u == '"')
            out += QLatin1String("&quot;");
        else if (u < 0x80)
            out += *c;
        else if (c->isHighSurrogate() && c + 1 < end && (c + 1)->isLowSurrogate()) {
            out += QStringLiteral("&#%1;").arg(QChar::surrogateToUcs4(*c, *(c + 1)));
            ++c;
        } else
            out += QStringLiteral("&#%1;").arg(static_cast<unsigned>(u));
    }
    return out;
}

QString withoutLineFeeds(QString line) {
    return line.remove(QLatin1Char('\n'));
}

// Writes the rows of one export; every line ends in CR LF.
class ExportWriter {
public:
    ExportWriter(Grid *grid, int type, FileWriter &file, const QString &baseName)
        : grid_(grid), type_(type), file_(file), baseName_(baseName) {}

    void writeAll() {
        if (type_ == ExportType::htmlPage)
            for (const QString &line : exportPageHead())
                put(line);
        for (int row = 0; row < grid_->rows(); ++row)
            writeRow(row);
        if (type_ == ExportType::htmlPage) {
            put(QStringLiteral("</body>"));
            put(QStringLiteral("</html>"));
        }
    }

    // The first failure (of the page or of a picture), empty when everything was written.
    QString error() const { return error_; }

private:
    bool html() const { return type_ != ExportType::text; }
    QString cell(int row, int col) const { return grid_->textMatrix(row, col); }

    void put(const QString &line) {
        if (!file_.write((line + QLatin1String("\r\n")).toUtf8()) && error_.isEmpty())
            error_ = file_.errorString();
    }

    void writeRow(int row) {
        const int kind = cell(row, ScriptRow::kindCol).trimmed().toInt();
        QStringList lines;
        if (kind == RowKind::comment)
            lines = splitLines(ScriptText::removeCarets(cell(row, ScriptRow::rawCol)));
        else
            lines = splitLines(cell(row, ScriptRow::textCol));

        switch (kind) {
        case RowKind::comment:
            html() ? writeProse(lines) : writeTextLines(lines, false);
            break;
        case 2:
        case RowKind::sql:
        case RowKind::example:
            html() ? writeCode(lines) : writeTextLines(lines, true);
            break;
        case RowKind::message:
        case RowKind::result:
            writeOutput(lines);
            break;
        case RowKind::chart:
        case RowKind::image:
            writePicture(row, kind);
            break;
        case RowKind::heading:
            html() ? writeHtmlHeading(row, lines.value(0)) : writeTextHeading(row, lines.value(0));
            break;
        default:
            break;
        }
    }

    void writeTextLines(const QStringList &lines, bool substitute) {
        for (const QString &line : lines)
            put(substitute ? var_sub(line, false) : line);
        put(kBlankLine);
    }

    void writeCode(const QStringList &lines) {
        put(QStringLiteral("<pre>"));
        for (const QString &line : lines)
            put(htmlText(line));
        put(QStringLiteral("</pre>"));
    }

    void writeOutput(const QStringList &lines) {
        if (lines.value(0).contains(kCommandCompleted)) return;
        if (!html()) {
            put(kBlankLine);
            for (const QString &line : lines)
                put(withoutLineFeeds(line));
            put(kBlankLine);
            return;
        }
        put(type_ == ExportType::htmlPage ? QStringLiteral("<pre class='output'>")
                                          : QStringLiteral("<pre>"));
        for (const QString &line : lines)
            put(htmlText(withoutLineFeeds(line)));
        put(QStringLiteral("</pre>"));
    }

    // Paragraphs, with lines starting "-" gathered into a bullet list.
    void writeProse(const QStringList &lines) {
        put(QStringLiteral("<p>"));
        bool inList = false;
        bool inItem = false;
        for (const QString &line : lines) {
            qsizetype start = 0;
            while (start < line.size() && line.at(start) == QLatin1Char(' '))
                ++start;
            const QString s = htmlText(line.mid(start));
            if (s.isEmpty()) {
                put(inList ? QStringLiteral("</ul>") : QStringLiteral("<p>"));
                inList = false;
                inItem = false;
            } else if (s.startsWith(QLatin1Char('-'))) {
                if (!inList) {
                    put(QStringLiteral("<ul>"));
                    inList = true;
                }
                put(QStringLiteral("<li>") + s.mid(1).trimmed());
                inItem = true;
            } else {
                if (inList && inItem) {
                    put(QStringLiteral("<p>"));
                    inItem = false;
                }
                put(s);
            }
        }
        if (inList) put(QStringLiteral("</ul>"));
    }

    void writePicture(int row, int kind) {
        ++pictureCount_;
        const QString fileName = pictureFileName(baseName_, pictureCount_);
        if (!html()) {
            const QString shown =
                kind == RowKind::chart ? fileName : var_sub(cell(row, ScriptRow::tagCol), false);
            put(QStringLiteral("(image) ") + shown);
            put(kBlankLine);
            return;
        }
        writeBitmap(row, fileName);
        put(QStringLiteral("<p>"));
        put(QStringLiteral("<img src=\"") +
            QUrl::fromLocalFile(fileName).toString(QUrl::FullyEncoded) + QStringLiteral("\">"));
        put(QStringLiteral("<p>"));
    }

    // A row without a picture is passed over; a picture that cannot be written fails the
    // export.
    void writeBitmap(int row, const QString &fileName) {
        const int keptRow = grid_->row();
        const int keptCol = grid_->col();
        grid_->setRow(row);
        grid_->setCol(ScriptRow::textCol);
        const QPixmap picture = grid_->cellPicture();
        grid_->setRow(keptRow);
        grid_->setCol(keptCol);
        if (picture.isNull()) return;
        QBuffer encoded;
        encoded.open(QIODevice::WriteOnly);
        QImageWriter writer(&encoded, "bmp");
        QString failure = writer.write(picture.toImage()) ? writeWholeFile(fileName, encoded.data())
                                                          : writer.errorString();
        if (!failure.isEmpty() && error_.isEmpty())
            error_ = fileName + QStringLiteral(": ") + failure;
    }

    void writeTextHeading(int row, const QString &firstLine) {
        const int level = cell(row, ScriptRow::tagCol).trimmed().toInt();
        if (level < 1 || level > 4) return; // level 0 is a link line
        for (int lower = level + 1; lower <= 4; ++lower)
            counters_[lower] = 0;
        ++counters_[level];
        QStringList parts;
        for (int n = 1; n <= level; ++n)
            parts << QString::number(counters_[n]);
        put(parts.join(QLatin1Char('.')) + QLatin1Char(' ') + firstLine.trimmed());
        put(kBlankLine);
    }

    void writeHtmlHeading(int row, const QString &firstLine) {
        const QString level = cell(row, ScriptRow::tagCol).trimmed();
        const QString anchor = htmlText(cell(row, ScriptRow::rawCol).trimmed().toUpper());
        const QString text = htmlText(firstLine.trimmed());
        if (level == QLatin1String("0")) {
            if (!anchor.isEmpty())
                put(QStringLiteral("<p><a href=\"#") + anchor + QStringLiteral("\">") + text +
                    QStringLiteral("</a>"));
            return;
        }
        const QString tag = QStringLiteral("h") + level;
        const QString id =
            anchor.isEmpty() ? QString() : QStringLiteral(" id=\"") + anchor + QLatin1Char('"');
        put(QLatin1Char('<') + tag + id + QLatin1Char('>') + text + QStringLiteral("</") + tag +
            QLatin1Char('>'));
    }

    Grid *grid_;
    int type_;
    FileWriter &file_;
    QString baseName_;
    QString error_;
    std::array<int, 5> counters_{}; // heading levels 1..4
    int pictureCount_ = 0;
};

} // namespace

QString exportExtension(int exportType) {
    if (const SharedExportFormat *format = sharedExportFormat(exportType))
        return QString::fromLatin1(format->extension);
    return exportType == ExportType::text ? QStringLiteral(".txt") : QStringLiteral(".htm");
}

QString exportDialogTitle(int exportType) {
    if (const SharedExportFormat *format = sharedExportFormat(exportType))
        return QString::fromLatin1(format->dialogTitle);
    return exportType == ExportType::text ? QStringLiteral("Export as a text file")
                                          : QStringLiteral("Export as HTML file");
}

QString exportDialogFilter(int exportType) {
    if (const SharedExportFormat *format = sharedExportFormat(exportType))
        return QString::fromLatin1(format->dialogFilter);
    return exportType == ExportType::text ? QStringLiteral("TEXT (txt) (*.txt);;All files (*)")
                                          : QStringLiteral("HTML (htm) (*.htm);;All files (*)");
}

QString proposedExportName(const QString &currentFile, int exportType) {
    const qsizetype at = currentFile.indexOf(QLatin1String(".norq"));
    if (at < 0) return QLatin1Char('*') + exportExtension(exportType);
    return currentFile.left(at) + exportExtension(exportType);
}

// Cut at the first "." of the file name, not of the whole path: a dotted folder name
// ("/tmp/tmp.x1/out.htm") must not send the pictures out of the export's folder.
QString pictureBaseName(const QString &path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype nameStart = slash + 1;
    // A leading dot belongs to a hidden file's name.
    const qsizetype dot = path.indexOf(QLatin1Char('.'), nameStart + 1);
    return dot < 0 ? path : path.left(dot);
}

QString pictureFileName(const QString &baseName, int number) {
    return baseName + QLatin1Char('-') + QString::number(number) + QStringLiteral(".bmp");
}

QStringList exportPageHead() {
    const QString fontFamily =
        QStringLiteral("  font-family: 1em \"Lucida Sans\", \"Lucida Sans Unicode\", sans-serif;");
    return {
        QStringLiteral("<html>"),
        QStringLiteral("<body>"),
        QStringLiteral("<head>"),
        QStringLiteral("<style type='text/css'>"),
        QStringLiteral("body {"),
        QStringLiteral("  font: 1em sans-serif;"),
        QStringLiteral("  font-size: 11pt;"),
        QStringLiteral("  margin-left: 15%;"),
        QStringLiteral("  margin-right: 15%;"),
        QStringLiteral("}"),
        QStringLiteral("h1 {"),
        QStringLiteral("   padding: 10px 0 3px;"),
        QStringLiteral("   font: 1.2em sans-serif;"),
        QStringLiteral("   border-bottom: 1px solid black;"),
        QStringLiteral("   font-weight: bold;"),
        QStringLiteral("   }"),
        QString(),
        QStringLiteral("h2 {"),
        QStringLiteral("   padding: 10px 0 3px;"),
        QStringLiteral("   font: 1em sans-serif;"),
        QStringLiteral("   text-decoration: underline;"),
        QStringLiteral("   font-weight: bold;"),
        QStringLiteral("   }"),
        QString(),
        QStringLiteral("h3 {"),
        QStringLiteral("   padding: 10px 0 3px;"),
        QStringLiteral("   font: 1em sans-serif;"),
        QStringLiteral("   font-style:italic;"),
        QStringLiteral("   font-weight: bold;"),
        QStringLiteral("   }"),
        QString(),
        QStringLiteral("h4 {"),
        QStringLiteral("   padding: 10px 0 3px;"),
        QStringLiteral("   font: 1em sans-serif;"),
        QStringLiteral("   text-decoration: underline;"),
        QStringLiteral("   }"),
        QString(),
        QStringLiteral("pre {"),
        QStringLiteral("  font-size: 9pt;"),
        QStringLiteral("  padding-top: 10px;"),
        QStringLiteral("  padding-bottom: 10px;"),
        QStringLiteral("  padding-left:5px;"),
        QStringLiteral("  padding-right:5px;"),
        QStringLiteral("  background-color: RGB(204, 255, 204);"),
        QStringLiteral("  overflow: auto;"),
        QStringLiteral("  }"),
        QString(),
        QStringLiteral("pre.output {"),
        QStringLiteral("  font-size: 9pt;"),
        QStringLiteral("  padding-top: 10px;"),
        QStringLiteral("  padding-bottom: 10px;"),
        QStringLiteral("  padding-left:5px;"),
        QStringLiteral("  padding-right:5px;"),
        QStringLiteral("  background-color: #FFFFCC;"),
        QStringLiteral("  overflow: auto;"),
        QStringLiteral("  }"),
        QString(),
        QString(),
        QStringLiteral("table {"),
        fontFamily,
        QStringLiteral("  font-size: 10pt;"),
        QStringLiteral("  font-face: Tahoma, Verdana;"),
        QStringLiteral("  }"),
        QString(),
        QStringLiteral("td {"),
        fontFamily,
        QStringLiteral("  font-size: 10pt;"),
        QStringLiteral("  font-face: Tahoma, Verdana;"),
        QStringLiteral("  }"),
        QStringLiteral("</style>"),
        QStringLiteral("</head>"),
        QStringLiteral("<body>"),
    };
}

bool exportGrid(Grid *grid, int exportType, const QString &path, QString *error) {
    if (sharedExportFormat(exportType)) {
        return exportShared(grid, exportType, path, error);
    }
    FileWriter file(path);
    ExportWriter writer(grid, exportType, file, pictureBaseName(path));
    QString failure;
    if (!file.open()) {
        failure = file.errorString();
    } else {
        writer.writeAll();
        failure = writer.error();
        if (failure.isEmpty() && !file.commit()) failure = file.errorString();
    }
    if (error) *error = failure;
    return failure.isEmpty();
}
