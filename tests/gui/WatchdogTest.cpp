// The watchdog itself: what keeps a window test from blocking.
#include <QMenu>
#include <QMessageBox>
#include <QTest>

#include "GuiTest.h"

class TWatchdogTest : public TGuiTest {
    Q_OBJECT
private slots:
    void UnannouncedDialogIsClosedAndRecorded() {
        QMessageBox::warning(nullptr, "Nimbrel", "Überraschung");
        QCOMPARE(Watchdog->Unexpected.size(), 1);
        QVERIFY(Watchdog->Unexpected[0].contains("Überraschung"));
        Watchdog->Unexpected.clear();
    }

    void UnannouncedMenuIsClosedAndRecorded() {
        QMenu menu;
        menu.addAction("eins");
        menu.exec(QPoint(10, 10));
        QCOMPARE(Watchdog->Unexpected.size(), 1);
        Watchdog->Unexpected.clear();
    }

    void AnnouncedDialogGoesToItsHandler() {
        QString seen;
        Watchdog->Expect([&seen](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            QVERIFY(box != nullptr);
            seen = box->text();
            box->accept();
        });
        QMessageBox::warning(nullptr, "Nimbrel", "Erwartet");
        QCOMPARE(seen, QString("Erwartet"));
        QCOMPARE(Watchdog->PendingExpectations(), 0);
    }
};

NIMBREL_GUI_TEST(TWatchdogTest)
#include "WatchdogTest.moc"
