// Random text as an XML value shown as a tree: the value itself is never changed, and the
// tree holds no more nodes than the text has tags and text runs.
#include "windows/xml_tree.h"

#include <QApplication>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

QTreeWidget &tree() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    (void)app;
    static QTreeWidget *widget = new QTreeWidget;
    return *widget;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString original =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString text = original;
    QTreeWidget &widget = tree();
    widget.clear();
    xmlToTree(text, &widget);
    check(text == original);
    int nodes = 0;
    for (QTreeWidgetItemIterator it(&widget); *it; ++it)
        ++nodes;
    check(nodes <= 2 * original.count(u'<') + 1);
    return 0;
}
