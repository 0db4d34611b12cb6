#pragma once
// The engine's window interface over Qt: modal boxes, the clipboard, the busy pointer
// and event processing, and the run history that the trace window shows.

#include "core/window_interface.h"

// Receives the run history of traced runs (the trace window implements it).
class RunHistorySink {
public:
    virtual ~RunHistorySink() = default;
    virtual void historyClear() = 0;
    virtual void historyAppend(int number, const QString &summary, const QString &status) = 0;
    virtual void historySetStatus(int number, const QColor &colour, const QString &text) = 0;
};

class QtWindowInterface : public WindowInterface {
public:
    QString inputBox(const QString &title, const QString &prompt,
                     const QString &defaultText) override;
    bool askYesNo(const QString &title, const QString &text) override;
    bool offerYesNo(const QString &title, const QString &text) override;
    void messageBox(const QString &title, const QString &text) override;

    void processEvents() override;
    void setBusyPointer(bool busy) override;

    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() override;
    void setClipboardImage(const QImage &image) override;
    QImage clipboardImage() override;

    void historyClear() override;
    void historyAppend(int number, const QString &summary, const QString &status) override;
    void historySetStatus(int number, const QColor &colour, const QString &text) override;

    void connectStatus(const QString &text) override;

    // The sink that receives the history; without one it goes to the trace window.
    void setHistorySink(RunHistorySink *sink) { sink_ = sink; }
    RunHistorySink *historySink();

private:
    RunHistorySink *sink_ = nullptr;
    bool busy_ = false;
};

// Installs one process-wide QtWindowInterface as engine.ui and returns it.
QtWindowInterface *installQtWindowInterface();
