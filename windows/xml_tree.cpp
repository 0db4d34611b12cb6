#include "windows/xml_tree.h"

#include "engine/pair_stack.h"

#include <QBrush>
#include <QColor>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <vector>

namespace {

constexpr int kMaxTokens = 1000;

enum class TokenKind { Text, EmptyTag, StartTag, EndTag };

struct Token {
    TokenKind kind;
    QString text;
};

const QColor kTextColour(255, 0, 0);
const QColor kEmptyTagColour(0, 128, 0);
const QColor kStartTagColour(0, 0, 128);

TokenKind tagKind(const QString &tag) {
    if (tag.contains(QLatin1String("</"))) return TokenKind::EndTag;
    if (tag.contains(QLatin1String("/>"))) return TokenKind::EmptyTag;
    return TokenKind::StartTag;
}

// Splits text into tags and the text runs between them. False when the text cannot be
// shown: a "<" without its ">", or text left after the last tag. Past kMaxTokens the
// rest is dropped and the beginning is shown.
bool scanTokens(const QString &text, std::vector<Token> &tokens) {
    qsizetype pos = 0;
    qsizetype next = text.indexOf(u'<');
    while (tokens.size() < kMaxTokens) {
        if (next > pos) {
            tokens.push_back({TokenKind::Text, text.mid(pos, next - pos)});
            pos = next;
        }
        const qsizetype close = text.indexOf(u'>', pos);
        if (close < 0) return false;
        const QString tag = text.mid(pos, close - pos + 1);
        tokens.push_back({tagKind(tag), tag});
        pos = close + 1;
        next = text.indexOf(u'<', pos);
        if (next < 0) return pos >= text.size();
    }
    return true;
}

// Tree nodes numbered from 1 in the order they were added; 0 stands for the top level.
class NodeList {
public:
    explicit NodeList(QTreeWidget *tree) : tree_(tree) {}

    int add(int parent, const QString &text, const QColor &colour) {
        auto *item = new QTreeWidgetItem(QStringList(text));
        item->setForeground(0, QBrush(colour));
        if (QTreeWidgetItem *parentItem = node(parent))
            parentItem->addChild(item);
        else
            tree_->addTopLevelItem(item);
        nodes_.push_back(item);
        return static_cast<int>(nodes_.size());
    }

    QTreeWidgetItem *node(int number) const {
        if (number < 1 || number > static_cast<int>(nodes_.size())) return nullptr;
        return nodes_[number - 1];
    }

    void expandAll() const {
        for (QTreeWidgetItem *item : nodes_)
            item->setExpanded(true);
        if (!nodes_.empty()) tree_->scrollToItem(nodes_.front());
    }

private:
    QTreeWidget *tree_;
    std::vector<QTreeWidgetItem *> nodes_;
};

// Nests the tokens under their start tags; a text run outside every element stops the
// build, leaving the nodes added so far unexpanded.
void buildTree(const std::vector<Token> &tokens, QTreeWidget *tree) {
    NodeList nodes(tree);
    resetPairStack();
    pushPair(0, 0);
    for (const Token &token : tokens) {
        const int parent = peekPair().first;
        switch (token.kind) {
        case TokenKind::Text:
            if (token.text.trimmed().isEmpty()) break;
            if (!nodes.node(parent)) return;
            nodes.add(parent, token.text, kTextColour);
            break;
        case TokenKind::EmptyTag:
            nodes.add(parent, token.text, kEmptyTagColour);
            break;
        case TokenKind::StartTag:
            pushPair(static_cast<int16_t>(nodes.add(parent, token.text, kStartTagColour)), 0);
            break;
        case TokenKind::EndTag:
            popPair();
            break;
        }
    }
    nodes.expandAll();
}

} // namespace

void xmlToTree(QString &text, QTreeWidget *tree) {
    if (!tree) return;
    const QString xml = text.trimmed();
    if (!xml.startsWith(u'<')) return;
    tree->clear();
    std::vector<Token> tokens;
    if (!scanTokens(xml, tokens)) return;
    buildTree(tokens, tree);
}
