// Pictures of the dialogs on a real display, for looking at them; skipped unless
// NIMBREL_SCREENSHOT_DIR names the folder to write them to (scripts/screenshots.sh).
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>

#include "GuiTest.h"
#include "app/Calculator.h"
#include "functions/MthTrFnc.h"
#include "window/InfoAdd.h"
#include "window/Main.h"
#include "window/MainGraph.h"
#include "window/MainHelp.h"
#include "window/VarsDlg.h"
#include "window/aboutdlg.h"

namespace {

void Save(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("NIMBREL_SCREENSHOT_DIR");
    QTest::qWait(200);
    const QRect frame = window->frameGeometry().adjusted(-8, -8, 8, 8);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
        0, frame.x(), frame.y(), frame.width(), frame.height());
    QVERIFY(shot.save(folder + "/" + name + ".png"));
}

} // namespace

class TScreenshotTest : public TGuiTest {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("NIMBREL_SCREENSHOT_DIR"))
            QSKIP("NIMBREL_SCREENSHOT_DIR is not set");
    }

    void MainWindow() {
        TMainForm form({"-i", SettingsFile.toStdString(), "sin(x)*exp(-x/10)", "\\d", "2"});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(form.width(), 330);
        Save(&form, "hauptfenster");
    }

    void NarrowestWindow() {
        TMainForm form({"-i", SettingsFile.toStdString()});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.ScientificBtnClick();
        form.resize(180, form.height());
        Save(&form, "schmal");
    }

    // Under a window manager the frame comes around the window: closed and opened again, the
    // window stands where it stood.
    void PlacementSurvivesRestarts() {
        QRect first;
        for (int start = 1; start <= 3; ++start) {
            TMainForm form({"-i", SettingsFile.toStdString()});
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QTRY_VERIFY(form.frameGeometry() != form.geometry());
            if (start == 1)
                first = form.frameGeometry();
            else
                QCOMPARE(form.frameGeometry(), first);
            form.close();
        }
    }

    void VariablesDialog() {
        TCalculator calculator;
        calculator.SetStandardVariables();
        calculator.MainFunction().AddVariable("x");
        calculator.MainFunction().SetVarValue("x", 2.5L);
        TVarValuesDlg dialog;
        dialog.SetMathFunction(&calculator.MainFunction());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Save(&dialog, "variablenwerte");
    }

    // The help asked for from the modal dialog, on top of it and answering.
    void HelpOverTheVariablesDialog() {
        TMainForm form({"-i", SettingsFile.toStdString()});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Watchdog->Expect([](QWidget* widget) {
            auto* dialog = qobject_cast<TVarValuesDlg*>(widget);
            QVERIFY(dialog != nullptr);
            dialog->HelpBtn->click();
            THelpViewer* viewer = OpenHelpViewer();
            QVERIFY(viewer != nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(viewer));
            viewer->findChild<QPushButton*>("HelpContentsBtn")->click();
            QTest::qWait(300);
            const QString folder = qEnvironmentVariable("NIMBREL_SCREENSHOT_DIR");
            QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(
                folder + "/hilfe-ueber-dialog.png"));
            dialog->reject();
        });
        form.VarValuesBtnClick();
        QTRY_COMPARE(Watchdog->PendingExpectations(), 0);
    }

    void AboutBoxPages() {
        TAboutBox box;
        box.MailLabel->setText(SupportMailAddress);
        for (const QString& text : InfoAdds())
            box.AddPage(text);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        Save(&box, "infos-icon");
        QTest::keyClick(&box, Qt::Key_PageDown);
        QTest::qWait(1500);
        Save(&box, "infos-system");
        QTest::keyClick(&box, Qt::Key_PageDown);
        Save(&box, "infos-text");
    }

    void GraphWindowInEveryMode() {
        struct TShot {
            const char* Name;
            TCalcMode Mode;
            const char* Input;
        };
        const TShot shots[] = {
            {"grafik-einfach", cmSimple, "tan(x)"},
            {"grafik-vereinfachung", cmSimplify, "ln(x)+ln(x)"},
            {"grafik-newton", cmNewton, "x^3-2*x-5"},
            {"grafik-ableitung", cmDerivative, "sin(x)*exp(-x/10)"},
            {"grafik-stammfunktion", cmAntiderivative, "x^2/4-2"},
            {"grafik-numerische-ableitung", cmNumDerivative, "x^3/10-x"},
            {"grafik-integral", cmNumIntegral, "sin(x)*exp(-x/10)"},
            {"grafik-kurvenlaenge", cmCurveLength, "sqrt(x)*sin(x)"},
        };
        for (const TShot& shot : shots) {
            TCalculator calculator;
            TCalcRequest request;
            request.Mode = shot.Mode;
            request.InputLines = {shot.Input};
            request.StartText = "3";
            request.DiffNumXText = "1,5";
            TCalcOutcome outcome;
            try {
                outcome = calculator.RunCalculation(request);
            } catch (const std::exception&) {
                QFAIL(shot.Name);
            }
            TGraphForm graph(calculator, nullptr);
            graph.resize(720, 500);
            graph.show();
            QVERIFY(QTest::qWaitForWindowExposed(&graph));
            graph.ShowCalculation(request, &outcome);
            // The crosshair's readout, as under the pointer.
            QTest::mouseMove(&graph, graph.PlotRect().center() + QPoint(40, 0));
            Save(&graph, shot.Name);
        }
    }
};

NIMBREL_GUI_TEST(TScreenshotTest)
#include "ScreenshotTest.moc"
