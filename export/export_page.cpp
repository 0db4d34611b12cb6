#include "export/export_page.h"

#include "core/file_writer.h"
#include "core/shown_text.h"
#include "core/variables.h"
#include "export/export.h"

#include <QBuffer>
#include <QImageWriter>
#include <array>

namespace {

const QString kBlankLine = QStringLiteral(" ");

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

// Writes the blocks of one export; every line ends in CR LF.
class PageWriter {
public:
    PageWriter(int type, FileWriter &file, const QString &baseName)
        : type_(type), file_(file), baseName_(baseName) {}

    void writeAll(const QList<ExportBlock> &blocks) {
        if (type_ == ExportType::htmlPage)
            for (const QString &line : exportPageHead())
                put(line);
        for (const ExportBlock &block : blocks)
            write(block);
        if (type_ == ExportType::htmlPage) {
            put(QStringLiteral("</body>"));
            put(QStringLiteral("</html>"));
        }
    }

    // The first failure (of the page or of a picture), empty when everything was written.
    QString error() const { return error_; }

private:
    bool html() const { return type_ != ExportType::text; }

    void put(const QString &line) {
        if (!file_.write((line + QLatin1String("\r\n")).toUtf8()) && error_.isEmpty())
            error_ = file_.errorString();
    }

    void write(const ExportBlock &block) {
        switch (block.kind) {
        case ExportBlock::Kind::prose:
            html() ? writeProse(block.lines) : writeTextLines(block.lines);
            break;
        case ExportBlock::Kind::statement:
        case ExportBlock::Kind::example:
            html() ? writeCode(block.lines) : writeTextLines(block.lines);
            break;
        case ExportBlock::Kind::message:
        case ExportBlock::Kind::result:
            if (!block.completed) writeOutput(block.lines);
            break;
        case ExportBlock::Kind::chart:
        case ExportBlock::Kind::picture:
            writePicture(block);
            break;
        case ExportBlock::Kind::heading:
            html() ? writeHtmlHeading(block) : writeTextHeading(block);
            break;
        case ExportBlock::Kind::link:
            if (html() && !block.anchor.isEmpty())
                put(QStringLiteral("<p><a href=\"#") + htmlText(block.anchor) +
                    QStringLiteral("\">") + htmlText(block.text) + QStringLiteral("</a>"));
            break;
        }
    }

    // A terminal or pager showing the file must not act on what the data holds.
    void putText(const QString &line) { put(withControlsEscaped(line, true)); }

    void writeTextLines(const QStringList &lines) {
        for (const QString &line : lines)
            putText(line);
        put(kBlankLine);
    }

    void writeCode(const QStringList &lines) {
        put(QStringLiteral("<pre>"));
        for (const QString &line : lines)
            put(htmlText(line));
        put(QStringLiteral("</pre>"));
    }

    void writeOutput(const QStringList &lines) {
        if (!html()) {
            put(kBlankLine);
            for (const QString &line : lines)
                putText(line);
            put(kBlankLine);
            return;
        }
        put(type_ == ExportType::htmlPage ? QStringLiteral("<pre class='output'>")
                                          : QStringLiteral("<pre>"));
        for (const QString &line : lines)
            put(htmlText(line));
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

    void writePicture(const ExportBlock &block) {
        const QString fileName = pictureFileName(baseName_, block.pictureNumber);
        if (!html()) {
            // A picture's name as the row gives it, its variables filled in as it is shown.
            const QString shown =
                block.kind == ExportBlock::Kind::chart ? fileName : var_sub(block.text, false);
            put(QStringLiteral("(image) ") + shown);
            put(kBlankLine);
            return;
        }
        writeBitmap(block.picture, fileName);
        put(QStringLiteral("<p>"));
        // Relative, so that the page shows its pictures wherever it is served from.
        put(QStringLiteral("<img src=\"") + relativeUrl(fileName) + QStringLiteral("\">"));
        put(QStringLiteral("<p>"));
    }

    // A row without a picture is passed over; a picture that cannot be written fails the
    // export.
    void writeBitmap(const QImage &picture, const QString &fileName) {
        if (picture.isNull()) return;
        QBuffer encoded;
        encoded.open(QIODevice::WriteOnly);
        QImageWriter writer(&encoded, "bmp");
        QString failure =
            writer.write(picture) ? writeWholeFile(fileName, encoded.data()) : writer.errorString();
        if (!failure.isEmpty() && error_.isEmpty())
            error_ = fileName + QStringLiteral(": ") + failure;
    }

    void writeTextHeading(const ExportBlock &block) {
        const int level = block.level;
        for (int lower = level + 1; lower <= 4; ++lower)
            counters_[lower] = 0;
        ++counters_[level];
        QStringList parts;
        for (int n = 1; n <= level; ++n)
            parts << QString::number(counters_[n]);
        putText(parts.join(QLatin1Char('.')) + QLatin1Char(' ') + block.text);
        put(kBlankLine);
    }

    void writeHtmlHeading(const ExportBlock &block) {
        const QString tag = QStringLiteral("h") + QString::number(block.level);
        const QString id = block.anchor.isEmpty() ? QString()
                                                  : QStringLiteral(" id=\"") +
                                                        htmlText(block.anchor) + QLatin1Char('"');
        put(QLatin1Char('<') + tag + id + QLatin1Char('>') + htmlText(block.text) +
            QStringLiteral("</") + tag + QLatin1Char('>'));
    }

    int type_;
    FileWriter &file_;
    QString baseName_;
    QString error_;
    std::array<int, 5> counters_{}; // heading levels 1..4
};

} // namespace

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

bool exportPage(const QList<ExportBlock> &blocks, int exportType, const QString &path,
                QString *error) {
    FileWriter file(path);
    PageWriter writer(exportType, file, pictureBaseName(path));
    QString failure;
    if (!file.open()) failure = file.errorString();
    if (failure.isEmpty()) {
        writer.writeAll(blocks);
        failure = writer.error();
        if (failure.isEmpty() && !file.commit()) failure = file.errorString();
    }
    if (error) *error = failure;
    return failure.isEmpty();
}
