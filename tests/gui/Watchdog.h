// Keeps window tests from blocking: a modal dialog or popup menu that a test did not announce is
// recorded and closed, and a test that runs too long ends the run.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

class QWidget;

class TModalWatchdog : public QObject {
    Q_OBJECT
public:
    using THandler = std::function<void(QWidget*)>;

    explicit TModalWatchdog(int timeoutMs = 20000);
    // The next modal dialog or popup menu goes to the handler, which must close it.
    void Expect(THandler handler);
    int PendingExpectations() const { return static_cast<int>(Handlers.size()); }
    // What opened unannounced; a test fails when this is not empty at its end.
    QStringList Unexpected;

private:
    void Check();

    QTimer Timer;
    QElapsedTimer Clock;
    int TimeoutMs;
    std::deque<THandler> Handlers;
    QPointer<QWidget> Handled;
};
