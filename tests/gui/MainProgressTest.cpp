// The progress of a long calculation in the window: shown late, cancelled by Escape or the
// button, other input held back.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>

#include "GuiTest.h"
#include "window/MainProgress.h"

class TMainProgressTest : public TGuiTest {
    Q_OBJECT
private:
    std::unique_ptr<QWidget> Window;
    QLineEdit* Input = nullptr;
    QLineEdit* Result = nullptr;

    // A calculation that asks the hook every 10 ms, reportCount times; act runs once at
    // actAtMs. Gives the number of reports until the hook said stop (or all of them).
    int RunLoop(TMainProgress& progress, int actAtMs, const std::function<void()>& act,
                int reportCount = 500) {
        const TProgressHook hook = progress.Hook();
        QElapsedTimer clock;
        clock.start();
        bool acted = false;
        for (int i = 1; i <= reportCount; ++i) {
            QThread::msleep(10);
            if (!acted && clock.elapsed() >= actAtMs) {
                acted = true;
                act();
            }
            if (!hook(static_cast<double>(i) / reportCount)) return i;
        }
        return reportCount;
    }

private slots:
    void init() {
        TGuiTest::init();
        Window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(Window.get());
        Input = new QLineEdit(Window.get());
        Result = new QLineEdit(Window.get());
        layout->addWidget(Input);
        layout->addWidget(Result);
        Window->resize(300, 80);
        Window->show();
        QVERIFY(QTest::qWaitForWindowActive(Window.get()));
        Input->setFocus();
    }

    void cleanup() {
        Window.reset();
        TGuiTest::cleanup();
    }

    void HiddenForQuickCalculations() {
        TMainProgress progress(Result);
        const TProgressHook hook = progress.Hook();
        for (int i = 0; i < 10; ++i)
            QVERIFY(hook(0.1 * i));
        QVERIFY(!progress.Shown());
        QVERIFY(!progress.ProgressBar->isVisible());
        QVERIFY(!progress.CancelBtn->isVisible());
    }

    void EscapeStopsAndTypingWaits() {
        TMainProgress progress(Result);
        bool shownBeforeEscape = false;
        const int reports = RunLoop(progress, 800, [&] {
            shownBeforeEscape = progress.Shown() && progress.CancelBtn->isVisible();
            QTest::keyClicks(Input, "abc");
            QTest::keyClick(Input, Qt::Key_Escape);
        });
        QVERIFY(shownBeforeEscape);
        QVERIFY(reports < 500);
        QVERIFY(progress.CancelRequested());
        QCOMPARE(Input->text(), QString());
        QVERIFY(progress.ProgressBar->value() > 0);
    }

    void CancelButtonStops() {
        TMainProgress progress(Result);
        const int reports =
            RunLoop(progress, 700, [&] { QTest::mouseClick(progress.CancelBtn, Qt::LeftButton); });
        QVERIFY(reports < 500);
        QVERIFY(progress.CancelRequested());
    }

    void ClosingTheWindowStopsButKeepsItOpen() {
        TMainProgress progress(Result);
        RunLoop(progress, 700, [&] { Window->close(); });
        QVERIFY(progress.CancelRequested());
        QVERIFY(Window->isVisible());
    }

    void InputWorksAgainAfterwards() {
        {
            TMainProgress progress(Result);
            RunLoop(
                progress, 600, [] {}, 70);
        }
        QTest::keyClicks(Input, "2+3");
        QCOMPARE(Input->text(), QString("2+3"));
        QVERIFY(Result->findChild<QProgressBar*>() == nullptr);
    }
};

NIMBREL_GUI_TEST(TMainProgressTest)
#include "MainProgressTest.moc"
