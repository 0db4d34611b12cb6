#pragma once
// The only way the engine reaches windows: prompts, message boxes, the clipboard, the
// busy pointer, event processing and the run history of the trace window. The Qt
// implementation lives with the windows; tests use a double that answers from a queue.

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QString>

class WindowInterface {
public:
    virtual ~WindowInterface() = default;

    // Modal text prompt; an empty text when cancelled.
    virtual QString inputBox(const QString &title, const QString &prompt,
                             const QString &defaultText) = 0;

    // The value of a script variable: a substitution with no value yet (prompt empty) or
    // ACCEPT. A window asks with its prompt box; a layer with nobody to ask refuses, and
    // the statement that needed the value is not run.
    struct VariableAnswer {
        QString value;
        bool refused = false;
        QString reason; // what the user can do instead, shown as the statement's message
    };
    virtual VariableAnswer askVariable(const QString &name, const QString &title,
                                       const QString &prompt) {
        Q_UNUSED(name);
        return {inputBox(title, prompt, QString()), false, QString()};
    }
    // Modal Yes/No question; true for Yes.
    virtual bool askYesNo(const QString &title, const QString &text) = 0;
    // The same question where Yes is the answer proposed: Enter gives it.
    virtual bool offerYesNo(const QString &title, const QString &text) {
        return askYesNo(title, text);
    }
    // Modal box with only an OK button.
    virtual void messageBox(const QString &title, const QString &text) = 0;

    // Lets pending window events (timers included) run.
    virtual void processEvents() = 0;
    virtual void setBusyPointer(bool busy) = 0;

    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const QString &text) = 0;
    virtual QString clipboardText() = 0;
    virtual void setClipboardImage(const QImage &image) = 0;
    virtual QImage clipboardImage() = 0;

    // Run history (the trace window's grid): emptied at the start of a traced run, a row
    // appended per statement, its status cell then coloured and filled.
    virtual void historyClear() = 0;
    virtual void historyAppend(int number, const QString &summary, const QString &status) = 0;
    virtual void historySetStatus(int number, const QColor &colour, const QString &text) = 0;

    // Progress of a connection ("Connecting to ...") in the connect dialog's status line,
    // repainted at once; nothing when the dialog is not shown.
    virtual void connectStatus(const QString &) {}
};

// Answers nothing and shows nothing; installed until a window layer sets its own.
class SilentWindowInterface : public WindowInterface {
public:
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
    bool askYesNo(const QString &, const QString &) override { return false; }
    void messageBox(const QString &, const QString &) override {}
    void processEvents() override {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }
    void setBusyPointer(bool) override {}
    void clearClipboard() override { text_.clear(), image_ = QImage(); }
    void setClipboardText(const QString &text) override { text_ = text; }
    QString clipboardText() override { return text_; }
    void setClipboardImage(const QImage &image) override { image_ = image; }
    QImage clipboardImage() override { return image_; }
    void historyClear() override {}
    void historyAppend(int, const QString &, const QString &) override {}
    void historySetStatus(int, const QColor &, const QString &) override {}

private:
    QString text_;
    QImage image_;
};
