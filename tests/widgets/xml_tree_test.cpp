#include "windows/xml_tree.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kBlue(0, 0, 128);

QColor colourOf(const QTreeWidgetItem *item) {
    return item->foreground(0).color();
}

int nodeCount(QTreeWidget &tree) {
    int count = 0;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        ++count;
    return count;
}

bool allExpanded(QTreeWidget &tree) {
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if ((*it)->childCount() > 0 && !(*it)->isExpanded()) return false;
    return true;
}

QString show(QTreeWidget &tree, const char *xml) {
    QString text = QString::fromUtf8(xml);
    const QString before = text;
    xmlToTree(text, &tree);
    EXPECT_EQ(text, before); // the caller's value is left alone
    return text;
}

} // namespace

TEST(XmlTree, NestsElementsColouredByKindAndExpandsThem) {
    QTreeWidget tree;
    show(tree, "  <a id=\"1\"><b>x</b><c/></a>  ");
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    const QTreeWidgetItem *a = tree.topLevelItem(0);
    EXPECT_EQ(a->text(0), "<a id=\"1\">");
    EXPECT_EQ(colourOf(a), kBlue);
    ASSERT_EQ(a->childCount(), 2);
    const QTreeWidgetItem *b = a->child(0);
    EXPECT_EQ(b->text(0), "<b>");
    EXPECT_EQ(colourOf(b), kBlue);
    ASSERT_EQ(b->childCount(), 1);
    EXPECT_EQ(b->child(0)->text(0), "x");
    EXPECT_EQ(colourOf(b->child(0)), kRed);
    EXPECT_EQ(a->child(1)->text(0), "<c/>");
    EXPECT_EQ(colourOf(a->child(1)), kGreen);
    EXPECT_TRUE(allExpanded(tree));
}

TEST(XmlTree, LeavesTheTreeAloneForTextThatIsNoXml) {
    QTreeWidget tree;
    show(tree, "<a>kept</a>");
    show(tree, "plain words <a/>");
    EXPECT_EQ(nodeCount(tree), 2);
    show(tree, "");
    EXPECT_EQ(nodeCount(tree), 2);
}

TEST(XmlTree, MalformedTextGivesAnEmptyOrPartialTree) {
    QTreeWidget tree;
    show(tree, "<a><b>x</b></a> trailing");
    EXPECT_EQ(nodeCount(tree), 0);
    show(tree, "<a><b unclosed");
    EXPECT_EQ(nodeCount(tree), 0);

    // Text after the root closes stops the build; nothing is expanded.
    show(tree, "<a><b>x</b></a>y<c/>");
    EXPECT_EQ(nodeCount(tree), 3);
    EXPECT_FALSE(tree.topLevelItem(0)->isExpanded());

    // Unmatched end tags only pop; later elements land at the top level.
    show(tree, "</x></y><p/><q>t</q>");
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.topLevelItem(1)->child(0)->text(0), "t");
}

TEST(XmlTree, DeepAndLongDocumentsAreBounded) {
    QTreeWidget tree;
    QString deep;
    for (int level = 0; level < 15; ++level)
        deep += QStringLiteral("<l%1>").arg(level);
    deep += QStringLiteral("leaf");
    for (int level = 14; level >= 0; --level)
        deep += QStringLiteral("</l%1>").arg(level);
    xmlToTree(deep, &tree);
    EXPECT_EQ(nodeCount(tree), 16);
    // The nesting stack holds ten levels; deeper start tags still hang under the most
    // recent one, so the leaf sits under the innermost tag.
    const QTreeWidgetItem *innermost = tree.topLevelItem(0);
    while (innermost && innermost->childCount() && innermost->child(0)->childCount())
        innermost = innermost->child(0);
    ASSERT_NE(innermost, nullptr);
    EXPECT_EQ(innermost->text(0), "<l14>");
    EXPECT_EQ(innermost->child(0)->text(0), "leaf");

    QString longDocument = QStringLiteral("<list>");
    for (int i = 0; i < 5000; ++i)
        longDocument += QStringLiteral("<item>%1</item>").arg(i);
    longDocument += QStringLiteral("</list>");
    xmlToTree(longDocument, &tree);
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 333); // 1000 tokens: the start of the list
    EXPECT_EQ(tree.topLevelItem(0)->child(0)->child(0)->text(0), "0");
}
