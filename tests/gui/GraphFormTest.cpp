// The graph window: its picture, zoom, pan, reset, readout, export and its place in the main
// window.
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "GuiTest.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "plot/PlotAxes.h"
#include "window/Main.h"
#include "window/MainGraph.h"
#include "window/MainHelp.h"

namespace {

// Whether a pixel near the point has about the colour: lines are antialiased.
bool ColourNear(const QImage& image, QPointF at, QColor colour, int tolerance = 40) {
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            const QColor c = image.pixelColor(at.toPoint() + QPoint(dx, dy));
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    return false;
}

// The area's orange over the base colour, as drawn with its transparency.
QColor AreaOver(QColor base) {
    const QColor area = QColor::fromRgb(PlotColours::Area);
    auto mix = [](int a, int b) { return (a * 110 + b * 145) / 255; };
    return QColor(mix(area.red(), base.red()), mix(area.green(), base.green()),
                  mix(area.blue(), base.blue()));
}

} // namespace

class TGraphFormTest : public TGuiTest {
    Q_OBJECT
private:
    std::unique_ptr<TCalculator> Calculator;
    std::unique_ptr<TGraphForm> Form;

    void Open(TCalcMode mode, const std::string& input) {
        SetDecimalSeparator(',');
        Calculator = std::make_unique<TCalculator>();
        TCalcRequest request;
        request.Mode = mode;
        request.InputLines = {input};
        request.IntgNumFromText = request.LenNumFromText = "0";
        request.IntgNumToText = request.LenNumToText = "3";
        const TCalcOutcome outcome = Calculator->RunCalculation(request);
        Form = std::make_unique<TGraphForm>(*Calculator, nullptr);
        Form->resize(720, 520);
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
        Form->ShowCalculation(request, &outcome);
    }

private slots:
    void cleanup() {
        Form.reset();
        Calculator.reset();
        ResetDecimalSeparator();
        TGuiTest::cleanup();
    }

    void CurveAndAreaLieWhereTheFunctionPutsThem() {
        Open(cmNumIntegral, "sin(x)");
        const QImage image = Form->Render(Form->size());
        const QColor base = Form->palette().color(QPalette::Base);
        for (double x : {0.7, 1.3, 2.3}) {
            QVERIFY(ColourNear(image, Form->PixelOf({x, std::sin(x)}),
                               QColor::fromRgb(PlotColours::Curve)));
            // Inside the area, halfway down to the axis; outside it above the curve.
            QVERIFY(ColourNear(image, Form->PixelOf({x, std::sin(x) / 2}), AreaOver(base), 30));
            QVERIFY(ColourNear(image, Form->PixelOf({x, std::sin(x) + 0.1}), base, 0));
        }
        // Left of the interval there is no area under the curve.
        QVERIFY(!ColourNear(image, Form->PixelOf({-0.15L, -0.05L}), AreaOver(base), 30));
    }

    void ZoomPanAndResetMoveTheView() {
        Open(cmSimple, "x^2");
        const TPlotView start = Form->Scene().View;
        const QRect area = Form->PlotRect();
        const QPointF at(area.left() + area.width() / 4.0, area.top() + area.height() / 3.0);
        const TPlotPoint under = Form->PointAt(at);
        QWheelEvent wheel(at, Form->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Form.get(), &wheel);
        TPlotView v = Form->Scene().View;
        QVERIFY(std::fabs(v.X.Span() - start.X.Span() * 0.85L) < 1e-9L);
        // The point under the pointer stays there.
        QVERIFY(std::fabs(Form->PointAt(at).X - under.X) < 1e-9L);
        QVERIFY(std::fabs(Form->PointAt(at).Y - under.Y) < 1e-9L);

        QTest::mousePress(Form.get(), Qt::LeftButton, {}, area.center());
        QTest::mouseMove(Form.get(), area.center() + QPoint(100, 0));
        QTest::mouseRelease(Form.get(), Qt::LeftButton, {}, area.center() + QPoint(100, 0));
        const TPlotView panned = Form->Scene().View;
        QVERIFY(std::fabs((v.X.Min - panned.X.Min) - 100.0L / area.width() * v.X.Span()) < 1e-9L);

        QTest::keyClick(Form.get(), Qt::Key_Minus);
        QVERIFY(Form->Scene().View.X.Span() > panned.X.Span());
        QTest::keyClick(Form.get(), Qt::Key_Home);
        v = Form->Scene().View;
        QCOMPARE(v.X.Min, start.X.Min);
        QCOMPARE(v.Y.Max, start.Y.Max);
    }

    void ReadoutUsesTheDecimalSeparator() {
        Open(cmSimple, "x/4");
        QTest::mouseMove(Form.get(), Form->PixelOf({2, 0}).toPoint());
        const QString text = Form->Readout();
        // x to the digits a pixel tells apart (0,03 here), f(x) exactly there.
        const QRegularExpression form("^x = (1,9[89]|2,0[0-2])    f\\(x\\) = 0,[45]\\d*$");
        QVERIFY2(form.match(text).hasMatch(), qPrintable(text));
    }

    void ExportWritesBothFormats() {
        Open(cmCurveLength, "sin(x)");
        const QString png = SettingsDir->filePath("g.png"), svg = SettingsDir->filePath("g.svg");
        QVERIFY(Form->ExportPng(png));
        QVERIFY(Form->ExportSvg(svg));
        QCOMPARE(QImage(png).size(), Form->size());
        QFile file(svg);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("Kurvenlänge von 0 bis 3"));
    }

    void MainWindowOpensItAndItFollows() {
        TMainForm main({});
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        const QList<QAction*> items = main.AllPopupMenu->actions();
        const qsizetype at = items.indexOf(main.VarValuesItem);
        QVERIFY(at >= 0 && at + 1 < items.size());
        QCOMPARE(items[at + 1]->text(), QString("&Grafik..."));
        main.InputMemo->setPlainText("x^2");
        QTest::keyClick(main.InputMemo, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(main.GraphForm != nullptr && main.GraphForm->isVisible());
        QCOMPARE(main.GraphForm->Scene().Title, std::string("x^2"));
        QCOMPARE(HelpContextOf(main.GraphForm), HelpContextGraph);
        main.InputMemo->setPlainText("x^3");
        main.CalcButtonClick();
        QCOMPARE(main.GraphForm->Scene().Title, std::string("x^3"));
        main.GraphForm->resize(640, 480);
        main.close();
        const TIniFile ini(SettingsFile.toStdString());
        QCOMPARE(ini.ReadInteger("TGraphForm", "Width", 0), 640);
    }
};

NIMBREL_GUI_TEST(TGraphFormTest)
#include "GraphFormTest.moc"
