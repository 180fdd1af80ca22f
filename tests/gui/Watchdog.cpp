#include "Watchdog.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

namespace {

QString Describe(QWidget* widget) {
    QString text = QString::fromLatin1(widget->metaObject()->className()) + " \"" +
                   widget->windowTitle() + "\"";
    if (auto* box = qobject_cast<QMessageBox*>(widget)) text += ": " + box->text();
    return text;
}

} // namespace

TModalWatchdog::TModalWatchdog(int timeoutMs) : TimeoutMs(timeoutMs) {
    Clock.start();
    connect(&Timer, &QTimer::timeout, this, &TModalWatchdog::Check);
    Timer.start(50);
}

void TModalWatchdog::Expect(THandler handler) {
    Handlers.push_back(std::move(handler));
}

void TModalWatchdog::Check() {
    if (Clock.elapsed() > TimeoutMs) {
        std::fprintf(stderr, "Window test ran longer than %d ms; stopped.\n", TimeoutMs);
        std::_Exit(3);
    }
    QWidget* open = QApplication::activePopupWidget();
    if (open == nullptr) open = QApplication::activeModalWidget();
    if (open == nullptr) {
        // The same menu may open again later and must be seen again.
        Handled = nullptr;
        return;
    }
    if (open == Handled) return;
    Handled = open;
    if (!Handlers.empty()) {
        THandler handler = std::move(Handlers.front());
        Handlers.pop_front();
        handler(open);
    } else {
        Unexpected << Describe(open);
        if (auto* dialog = qobject_cast<QDialog*>(open))
            dialog->reject();
        else
            open->close();
    }
    // A menu closed by the handler may open again before the next look.
    if (Handled != nullptr && !Handled->isVisible()) Handled = nullptr;
}
