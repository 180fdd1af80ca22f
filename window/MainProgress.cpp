#include "window/MainProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace {

bool IsInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

} // namespace

TMainProgress::TMainProgress(QWidget* place) : Place(place) {
    ProgressBar = new QProgressBar(place);
    ProgressBar->setObjectName("CalcProgressBar");
    ProgressBar->setFormat("Berechnung läuft: %p %");
    ProgressBar->setAlignment(Qt::AlignCenter);
    ProgressBar->hide();
    CancelBtn = new QPushButton("Abbrechen", place);
    CancelBtn->setObjectName("CalcCancelBtn");
    CancelBtn->setToolTip("Berechnung abbrechen (Esc)");
    CancelBtn->setCursor(Qt::ArrowCursor);
    CancelBtn->hide();
    connect(CancelBtn, &QPushButton::clicked, this, [this] { Cancelled = true; });
    Clock.start();
}

TMainProgress::~TMainProgress() {
    if (Filtering) qApp->removeEventFilter(this);
    delete ProgressBar;
    delete CancelBtn;
}

TProgressHook TMainProgress::Hook() {
    return [this](double fraction) { return Report(fraction); };
}

bool TMainProgress::Shown() const {
    return Filtering;
}

bool TMainProgress::Report(double fraction) {
    if (Clock.elapsed() < ShowAfterMs || Place.isNull()) return !Cancelled;
    if (!Filtering) Show();
    if (fraction < 0) {
        ProgressBar->setRange(0, 0);
    } else {
        ProgressBar->setRange(0, 1000);
        ProgressBar->setValue(static_cast<int>(fraction * 1000));
    }
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    return !Cancelled;
}

void TMainProgress::Show() {
    const int height = Place->height();
    const int buttonWidth = CancelBtn->sizeHint().width();
    CancelBtn->setGeometry(Place->width() - buttonWidth, 0, buttonWidth, height);
    // The bar covers the result line beside the button: a strip along its edge went unseen.
    ProgressBar->setGeometry(0, 0, std::max(0, Place->width() - buttonWidth), height);
    ProgressBar->show();
    ProgressBar->raise();
    CancelBtn->show();
    CancelBtn->raise();
    qApp->installEventFilter(this);
    Filtering = true;
    // The pointer says busy but can still click the button.
    if (QApplication::overrideCursor() != nullptr)
        QApplication::changeOverrideCursor(Qt::BusyCursor);
}

bool TMainProgress::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Cancelled = true;
        return true;
    }
    if (event->type() == QEvent::Close && !Place.isNull() && watched == Place->window()) {
        // Closing waits for the calculation: stop it, and let the user close again.
        Cancelled = true;
        event->ignore();
        return true;
    }
    // Input reaches a window first and its widget next; the widget decides.
    const auto* target = qobject_cast<QWidget*>(watched);
    if (target != nullptr && IsInput(event->type())) {
        const bool onButton = target == CancelBtn || CancelBtn->isAncestorOf(target);
        const bool isKey =
            event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
            event->type() == QEvent::ShortcutOverride || event->type() == QEvent::Shortcut;
        // Keys would reach the focused input box; only the button's own clicks go through.
        if (!onButton || isKey) return true;
    }
    return QObject::eventFilter(watched, event);
}
