// The information dialog driven by keys and clicks.
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QUrl>

#include "GuiTest.h"
#include "platform/VersionRes.h"
#include "window/InfoAdd.h"
#include "window/Stamps.h"
#include "window/SysComp.h"
#include "window/aboutdlg.h"

class TAboutBoxTest : public TGuiTest {
    Q_OBJECT
private:
    std::unique_ptr<TAboutBox> Box;
    QList<QUrl> Opened;

    void Open() {
        SetUrlOpener([this](const QUrl& url) { Opened.append(url); });
        Box = std::make_unique<TAboutBox>();
        Box->MailLabel->setText(SupportMailAddress);
        for (const QString& text : InfoAdds())
            Box->AddPage(text);
        Box->show();
        QVERIFY(QTest::qWaitForWindowActive(Box.get()));
    }

private slots:
    void TextsAndNames() {
        Open();
        QCOMPARE(Box->windowTitle(), QString("Infos"));
        QCOMPARE(Box->ProductName->text(), QString("Nimbrel"));
        QCOMPARE(Box->Version->text(),
                 "Version " + QString::fromStdString(GetProductVersionText()) + " (6) 64-Bit");
        QVERIFY(Box->Copyright->text().startsWith("Copyright"));
        QVERIFY(!Box->CommentLabel->text().isEmpty());
        QCOMPARE(Box->size(), QSize(339, 274));
        for (const char* name :
             {"ProductName", "Version", "Copyright", "CommentLabel", "LinkLabel", "MailLabel",
              "TimeStamp", "Scroller", "Notebook", "ProgramIcon", "LoadMemGauge", "FreeMemLabel",
              "MhzLabel", "MhzLbLabel", "IniLabel", "OKButton", "AboutTimer"})
            QVERIFY2(Box->findChild<QObject*>(name) != nullptr, name);
        QCOMPARE(Box->IniLabel->text(), QString("nimbrel.ini"));
        QCOMPARE(Box->IniLabel->toolTip(), SettingsFile);
    }

    void VersionLineAndBuildWidth() {
        QCOMPARE(VersionLine("1.2.3.4", 32), QString("Version 1.2.3.4 (6) 32-Bit"));
        QCOMPARE(BuildBits(), 64);
        QCOMPARE(QString::fromStdString(GetVersionString("Comments", "040904E4")), QString());
        QCOMPARE(QString::fromStdString(GetVersionString("NoSuchKey")), QString());
    }

    void LinkHintRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hint");
        QTest::newRow("no scheme") << "nimbrel.example.org"
                                   << "http://nimbrel.example.org";
        QTest::newRow("capital scheme") << "HTTP://Example.org"
                                        << "HTTP://Example.org";
        QTest::newRow("secure scheme") << "https://example.org"
                                       << "https://example.org";
        QTest::newRow("scheme-like start") << "httpd.example.org"
                                           << "http://httpd.example.org";
    }
    void LinkHintRule() {
        QFETCH(QString, text);
        QFETCH(QString, hint);
        QCOMPARE(LinkHint(text), hint);
    }

    void ElevenTextPagesAfterIconAndSystem() {
        QCOMPARE(InfoAdds().size(), 11);
        Open();
        QCOMPARE(Box->Notebook->count(), 13);
        QCOMPARE(Box->Scroller->maximum(), 12);
        QVERIFY(Box->Scroller->isVisible());
        QCOMPARE(Box->Notebook->currentWidget()->objectName(), QString("Icon"));
        QCOMPARE(Box->Notebook->widget(1)->objectName(), QString("System"));
        for (int page = 2; page < 13; ++page)
            QCOMPARE(Box->Notebook->widget(page)->objectName(), QString::number(page));
        QCOMPARE(Box->LinkLabel->toolTip(), QString("http://nimbrel.example.org"));
    }

    void PageKeysTurnWithinRange() {
        Open();
        QTest::keyClick(Box.get(), Qt::Key_PageUp);
        QCOMPARE(Box->Scroller->value(), 0);
        QTest::keyClick(Box->OKButton, Qt::Key_PageDown);
        QTest::keyClick(Box->OKButton, Qt::Key_PageDown);
        QCOMPARE(Box->Notebook->currentIndex(), 2);
        for (int i = 0; i < 20; ++i)
            QTest::keyClick(Box->OKButton, Qt::Key_PageDown);
        QCOMPARE(Box->Scroller->value(), 12);
        QCOMPARE(Box->Notebook->currentIndex(), 12);
        Box->Scroller->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(Box->Notebook->currentIndex(), 11);
    }

    void KeyITogglesTimeStamp() {
        Open();
        QVERIFY(!Box->TimeStamp->isVisible());
        QTest::keyClicks(Box->OKButton, "i");
        QVERIFY(Box->TimeStamp->isVisible());
        QVERIFY(!Box->TimeStamp->text().isEmpty());
        QTest::keyClicks(Box->OKButton, "I");
        QVERIFY(!Box->TimeStamp->isVisible());
    }

    void TimeStampShowsDateOrNumber() {
        TTimeStamp stamp;
        stamp.SetFileName(SettingsDir->path());
        const QDateTime modified = QFileInfo(SettingsDir->path()).lastModified();
        QVERIFY(stamp.text().contains(modified.toString("HH:mm:ss")));
        stamp.SetDisplay(dtNumber);
        QCOMPARE(stamp.text(), QString::number(modified.toSecsSinceEpoch()));
        stamp.SetFileName("/nonexistent");
        QCOMPARE(stamp.text(), QString());
    }

    void FiguresRefreshOnlyOnTheSystemPage() {
        Open();
        QTest::qWait(350);
        QCOMPARE(Box->FreeMemLabel->text(), QString());
        QVERIFY(!Box->MhzLbLabel->isVisible());
        QTest::keyClick(Box->OKButton, Qt::Key_PageDown);
        QTRY_VERIFY_WITH_TIMEOUT(!Box->FreeMemLabel->text().isEmpty(), 5000);
        QVERIFY(Box->FreeMemLabel->text().contains(QRegularExpression("^\\d+,\\d\\d Mb$")));
        QVERIFY(Box->MhzLbLabel->isVisible());
        QVERIFY(Box->MhzLabel->text().contains(QRegularExpression("^\\d+,\\d\\d$")));
        QVERIFY(Box->LoadMemGauge->value() > 0 && Box->LoadMemGauge->value() <= 100);
    }

    void ClicksOpenLinksMailAndFolder() {
        Open();
        QTest::mouseClick(Box->LinkLabel, Qt::LeftButton);
        QTest::mouseClick(Box->MailLabel, Qt::LeftButton);
        QTest::mouseDClick(Box->IniLabel, Qt::LeftButton);
        QLabel* linked = Box->Notebook->widget(12)->findChild<QLabel*>();
        QTest::mouseClick(linked, Qt::LeftButton);
        QTest::mouseClick(Box->Notebook->widget(11)->findChild<QLabel*>(), Qt::LeftButton);
        QCOMPARE(Opened.size(), 4);
        QCOMPARE(Opened[0], QUrl("http://nimbrel.example.org"));
        QCOMPARE(Opened[1].toString(),
                 "mailto:hilfe@nimbrel.example.org?subject=Nimbrel: Version " +
                     QString::fromStdString(GetProductVersionText()));
        QCOMPARE(Opened[2], QUrl::fromLocalFile(SettingsDir->path()));
        QCOMPARE(Opened[3], QUrl(MakerSecondWebAddress));
    }

    void MemoryFiguresFromTheKernelText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint64>("physical");
        QTest::addColumn<quint64>("swap");
        QTest::addColumn<uint>("load");
        QTest::newRow("typical") << "MemTotal: 1000 kB\nMemFree: 10 kB\nMemAvailable: 250 kB\n"
                                    "SwapTotal: 0 kB\nSwapFree: 40 kB\n"
                                 << quint64(256000) << quint64(40960) << 75u;
        QTest::newRow("beyond 4 GiB") << "MemTotal: 25165824 kB\nMemAvailable: 20971520 kB\n"
                                      << quint64(21474836480) << quint64(0) << 16u;
        QTest::newRow("empty") << "" << quint64(0) << quint64(0) << 0u;
        QTest::newRow("garbage") << "MemTotal: x kB\nMemAvailable:\n"
                                 << quint64(0) << quint64(0) << 0u;
    }
    void MemoryFiguresFromTheKernelText() {
        QFETCH(QString, text);
        QFETCH(quint64, physical);
        QFETCH(quint64, swap);
        QFETCH(uint, load);
        const TMemoryStatus status = ParseMemInfo(text.toStdString());
        QCOMPARE(quint64(status.AvailPhysMemory), physical);
        QCOMPARE(quint64(status.AvailPageFile), swap);
        QCOMPARE(uint(status.MemoryLoad), load);
    }

    void ShownModallyAndClosedWithOk() {
        SetUrlOpener([this](const QUrl& url) { Opened.append(url); });
        int pages = 0;
        Watchdog->Expect([&pages](QWidget* widget) {
            auto* box = qobject_cast<TAboutBox*>(widget);
            QVERIFY(box != nullptr);
            pages = box->Notebook->count();
            QCOMPARE(box->MailLabel->text(), QString("a@b.c"));
            QTest::mouseClick(box->OKButton, Qt::LeftButton);
        });
        ShowAboutBox(nullptr, {"eins", "zwei"}, "a@b.c");
        QCOMPARE(pages, 4);
    }

    void cleanup() {
        Box.reset();
        SetUrlOpener([](const QUrl&) {});
        TGuiTest::cleanup();
    }
};

NIMBREL_GUI_TEST(TAboutBoxTest)
#include "AboutBoxTest.moc"
