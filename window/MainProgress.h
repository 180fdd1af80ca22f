// The window's side of a long calculation: after half a second a progress bar and a
// cancel button cover the result line, the window keeps repainting, and Escape or the button
// stops the calculation. Other input waits until the calculation has ended.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include "engine/Progress.h"

class QProgressBar;
class QPushButton;
class QWidget;

class TMainProgress : public QObject {
    Q_OBJECT
public:
    static constexpr int ShowAfterMs = 500;

    // place: the widget the bar covers (the result line); its window is kept from input.
    explicit TMainProgress(QWidget* place);
    ~TMainProgress() override;

    TProgressHook Hook();
    bool Shown() const;
    bool CancelRequested() const { return Cancelled; }

    QProgressBar* ProgressBar;
    QPushButton* CancelBtn;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Report(double fraction);
    void Show();

    QPointer<QWidget> Place;
    QElapsedTimer Clock;
    bool Cancelled = false;
    bool Filtering = false;
};
