#include "windows/toolbar_icons.h"

#include <QHash>

QIcon toolbarIcon(const QString &key) {
    struct Picture {
        const char *theme;
        const char *own;
    };
    static const QHash<QString, Picture> pictures{
        {QStringLiteral("run"), {"media-playback-start", ":/icons/run.svg"}},
        {QStringLiteral("stop"), {"process-stop", ":/icons/stop.svg"}},
        {QStringLiteral("trash"), {"edit-clear", ":/icons/clear.svg"}},
        {QStringLiteral("recycle"), {"edit-undo", ":/icons/previous.svg"}},
        {QStringLiteral("paste"), {"edit-paste", ":/icons/paste.svg"}},
        {QStringLiteral("fontsize"), {"format-font-size-more", ":/icons/fontsize.svg"}},
        {QStringLiteral("newsql"), {"window-new", ":/icons/newwindow.svg"}},
        {QStringLiteral("info"), {"help-contents", ":/icons/help.svg"}},
    };
    const auto found = pictures.constFind(key);
    if (found == pictures.constEnd()) return {};
    const QString theme = QString::fromLatin1(found->theme);
    const QIcon own(QString::fromLatin1(found->own));
    return QIcon::hasThemeIcon(theme) ? QIcon::fromTheme(theme) : own;
}
