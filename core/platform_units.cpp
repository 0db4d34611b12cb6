#include "core/platform_units.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <algorithm>
#include <cmath>

double logicalDpi() {
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const double dpi = screen->logicalDotsPerInch();
            if (dpi > 0) return dpi;
        }
    }
    return 96.0;
}

int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips * logicalDpi() / 1440.0));
}

QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), std::max(0, twipsToPixels(width)),
            std::max(0, twipsToPixels(height))};
}

int pixelsToTwips(int pixels) {
    return static_cast<int>(std::lround(pixels * 1440.0 / logicalDpi()));
}

QFont platformFont(const QString &documentedName, double pointSize) {
    const QString key = documentedName.trimmed().toLower();
    QFont font;
    if (key == QLatin1String("lucida console") || key == QLatin1String("courier new") ||
        key == QLatin1String("courier")) {
        font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                          QStringLiteral("Noto Mono"), QStringLiteral("Monospace")});
        font.setStyleHint(QFont::Monospace, QFont::PreferDefault);
        font.setFixedPitch(true);
    } else if (key.isEmpty() || key == QLatin1String("tahoma") ||
               key == QLatin1String("microsoft sans serif") || key == QLatin1String("arial") ||
               key == QLatin1String("ms sans serif")) {
        font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("Noto Sans"), QStringLiteral("Sans Serif")});
        font.setStyleHint(QFont::SansSerif, QFont::PreferDefault);
    } else {
        font.setFamily(documentedName);
    }
    if (pointSize > 0) font.setPointSizeF(pointSize);
    return font;
}
