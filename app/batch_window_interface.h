#pragma once
// The window layer of a window-less run: messages go to standard error, variable values
// come from --define or, when standard input is a terminal, from a question put there;
// with neither the statement that needs the value fails with a message that says how
// to give it. The clipboard is kept in memory, where PLOT leaves its chart.

#include "core/window_interface.h"

#include <QHash>
#include <cstdio>

class BatchWindowInterface : public SilentWindowInterface {
public:
    // defines: values by upper-case name. terminal: whether questions can be put to the
    // user, reading answers from in and writing questions to err.
    BatchWindowInterface(QHash<QString, QString> defines, bool terminal, FILE *in = stdin,
                         FILE *err = stderr);

    QString inputBox(const QString &title, const QString &prompt,
                     const QString &defaultText) override;
    VariableAnswer askVariable(const QString &name, const QString &title,
                               const QString &prompt) override;
    void messageBox(const QString &title, const QString &text) override;

private:
    bool readAnswer(const QString &question, QString *answer);

    QHash<QString, QString> defines_;
    bool terminal_;
    FILE *in_;
    FILE *err_;
};
