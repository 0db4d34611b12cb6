#pragma once
// A window layer for engine tests: prompts are answered from a queue, and everything the
// engine showed is recorded.

#include "core/engine_state.h"
#include "core/window_interface.h"
#include "engine/output.h"
#include "engine/startup.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

struct RecordedPrompt {
    QString title;
    QString prompt;
    QString defaultText;
};

struct HistoryRow {
    QString summary;
    QString status;
    QColor colour;
};

class FakeWindows : public WindowInterface {
public:
    std::deque<QString> answers; // next inputBox answers; empty queue = cancelled
    std::vector<RecordedPrompt> prompts;
    QStringList messageBoxes;
    int eventRounds = 0;
    std::map<int, HistoryRow> history;
    int historyClears = 0;
    QImage picture;
    QString clipText;

    QString inputBox(const QString &title, const QString &prompt,
                     const QString &defaultText) override {
        prompts.push_back({title, prompt, defaultText});
        if (answers.empty()) return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool askYesNo(const QString &, const QString &text) override {
        messageBoxes << text;
        return true;
    }
    void messageBox(const QString &, const QString &text) override { messageBoxes << text; }
    // When refusal is set, variables are never asked for: the refusal comes back instead.
    QString refusal;
    QStringList refusedNames;
    VariableAnswer askVariable(const QString &name, const QString &title,
                               const QString &prompt) override {
        if (refusal.isEmpty()) return WindowInterface::askVariable(name, title, prompt);
        refusedNames << name;
        return {QString(), true, refusal + name};
    }
    void processEvents() override {
        ++eventRounds;
        if (onEvents) onEvents();
    }
    void setBusyPointer(bool) override {}
    void clearClipboard() override {
        picture = QImage();
        clipText.clear();
    }
    void setClipboardText(const QString &text) override { clipText = text; }
    QString clipboardText() override { return clipText; }
    void setClipboardImage(const QImage &image) override { picture = image; }
    QImage clipboardImage() override { return picture; }
    void historyClear() override {
        ++historyClears;
        history.clear();
    }
    void historyAppend(int number, const QString &summary, const QString &status) override {
        history[number] = {summary, status, QColor(Qt::cyan)};
    }
    void historySetStatus(int number, const QColor &colour, const QString &text) override {
        history[number].status = text;
        history[number].colour = colour;
    }

    std::function<void()> onEvents; // runs at each processEvents call
};

// Starts every test from a freshly started engine that talks to a FakeWindows.
class EngineTest : public ::testing::Test {
protected:
    FakeWindows windows;

    void SetUp() override {
        previous_ = engine.ui;
        engine_startup();
        engine.ui = &windows;
        engine.msgText.clear();
        engine.msgCode = 0;
        engine.outputText.clear();
        engine.resultKind = 0;
    }
    // Leaves the engine as start-up left it, for whatever test runs next in this process.
    void TearDown() override {
        output_close();
        engine_startup();
        engine.ui = previous_;
    }

private:
    WindowInterface *previous_ = nullptr;
};
