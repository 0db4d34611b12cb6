#pragma once
// Shows an XML value as an expandable, coloured tree. A tag scanner, not a validating
// parser: malformed text gives an empty or partial tree, never an error.

#include <QString>

class QTreeWidget;

// Replaces the tree's nodes by the elements of text (text runs red, empty-element tags
// green, start tags blue), everything expanded. Text that does not start with "<" leaves
// the tree as it was. The text itself is not changed.
void xmlToTree(QString &text, QTreeWidget *tree);
