// The help window and its contexts.
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

#include "GuiTest.h"
#include "functions/FuncList.h"
#include "window/MainHelp.h"

class THelpTest : public TGuiTest {
    Q_OBJECT
private slots:
    void DocumentHasEveryContext() {
        QFile file(HelpFileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const char* anchor : {"inhalt", "kontext10000", "kontext20000", "kontext30000"})
            QVERIFY2(text.contains(QString("<a name=\"%1\">").arg(anchor)), anchor);
    }

    void EveryFunctionHasAnEntry() {
        QFile file(HelpFileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        const QString section = text.mid(text.indexOf("<a name=\"kontext30000\">"));
        QStringList described;
        static const QRegularExpression firstCell("<tr><td>([^<]*)</td>\\s*<td>[^<]+</td>\\s*<td>");
        for (auto match = firstCell.globalMatch(section); match.hasNext();)
            described << match.next().captured(1).split(", ");
        const TKvRealFunctionList& list = RealFunctionList();
        for (std::int32_t i = 0; i < list.Count(); ++i) {
            const QString name = QString::fromStdString(list.Strings(i));
            QVERIFY2(described.contains(name), qPrintable(name));
        }
    }

    void OpensAtTheContextsSection_data() {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("anchor");
        QTest::newRow("contents") << 0 << "inhalt";
        QTest::newRow("main window") << HelpContextMain << "kontext10000";
        QTest::newRow("variables") << HelpContextVariables << "kontext20000";
        QTest::newRow("functions") << HelpContextFunctions << "kontext30000";
    }
    void OpensAtTheContextsSection() {
        QFETCH(int, context);
        QFETCH(QString, anchor);
        ShowHelpContext(context);
        QVERIFY(OpenHelpViewer() != nullptr);
        QCOMPARE(OpenHelpViewer()->Browser()->source().fragment(), anchor);
        QVERIFY(OpenHelpViewer()->Browser()->toPlainText().contains("Nimbrel"));
    }

    void F1TakesTheNearestContext() {
        QWidget form;
        SetHelpContext(&form, HelpContextMain);
        InstallHelpKey(&form);
        auto* field = new QLineEdit(&form);
        auto* special = new QLineEdit(&form);
        SetHelpContext(special, HelpContextFunctions);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(HelpContextOf(field), HelpContextMain);

        special->setFocus();
        QTest::keyClick(special, Qt::Key_F1);
        QCOMPARE(OpenHelpViewer()->Browser()->source().fragment(), QString("kontext30000"));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_F1);
        QCOMPARE(OpenHelpViewer()->Browser()->source().fragment(), QString("kontext10000"));
    }

    void MissingDocumentIsReported() {
        SetHelpFileName("/nonexistent/Nimbrel.html");
        ShowHelpContents();
        const QString text = OpenHelpViewer()->Browser()->toPlainText();
        SetHelpFileName(NIMBREL_HELP_FILE);
        QVERIFY(text.contains("wurde nicht gefunden"));
    }
};

NIMBREL_GUI_TEST(THelpTest)
#include "HelpTest.moc"
