// The main window driven by keys, clicks and menus as a user drives it.
#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <csignal>
#include <memory>

#include "GuiTest.h"
#include "functions/MthTrFnc.h"
#include "platform/EndSignals.h"
#include "window/Main.h"
#include "window/MainHelp.h"
#include "window/MainMenuGrid.h"
#include "window/VarsDlg.h"

namespace {

struct TMessage {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
};

int IndexOfItem(const TMenuGrid* grid, const QString& text) {
    for (int i = 0; i < grid->ItemCount(); ++i)
        if (grid->ItemText(i) == text) return i;
    return -1;
}

} // namespace

class TMainFormTest : public TGuiTest {
    Q_OBJECT
private:
    std::unique_ptr<TMainForm> Form;

    // A message at start takes the focus, so then the window is only waited for to be shown.
    void Open(const std::vector<std::string>& parameters = {}, bool messageAtStart = false) {
        Form = std::make_unique<TMainForm>(parameters);
        Form->show();
        if (messageAtStart)
            QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
        else
            QVERIFY(QTest::qWaitForWindowActive(Form.get()));
    }

    // Lets resizes and queued checks arrive.
    static void Settle() {
        QCoreApplication::processEvents();
        QTest::qWait(20);
    }

    void SetClientHeight(int height) {
        Form->resize(Form->width(), height);
        Settle();
        QCOMPARE(Form->height(), height);
    }

    void Type(const QString& text) {
        Form->InputMemo->setFocus();
        QTest::keyClicks(Form->InputMemo, text);
    }

    // The next message box is recorded into message and closed.
    void ExpectMessage(TMessage& message) {
        Watchdog->Expect([&message](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            QVERIFY(box != nullptr);
            message = {box->windowTitle(), box->text(), box->icon()};
            box->button(QMessageBox::Ok)->click();
        });
    }

    void WaitForHandlers() { QTRY_COMPARE(Watchdog->PendingExpectations(), 0); }

    QString InputText() const { return Form->InputMemo->toPlainText(); }

    // Opens the menu the key brings up and hands its grid to the handler.
    void WithGridMenu(Qt::Key key, const std::function<void(QMenu*, TMenuGrid*)>& handler) {
        Watchdog->Expect([handler](QWidget* widget) {
            auto* menu = qobject_cast<QMenu*>(widget);
            QVERIFY(menu != nullptr);
            auto* grid = menu->findChild<TMenuGrid*>();
            QVERIFY(grid != nullptr);
            handler(menu, grid);
            if (menu->isVisible()) menu->close();
        });
        QTest::keyClick(Form->InputMemo, key, Qt::ControlModifier);
        WaitForHandlers();
    }

private slots:
    void ControlsHaveTheirNamesAndTexts() {
        Open();
        const QList<QPair<const char*, QString>> texts = {
            {"VarValuesBtn", "..."},
            {"CalcButton", "="},
            {"ScientificBtn", "\u25BC"},
            {"SimpleCalcBtn", "Einfache Berechnung"},
            {"SimplifyBtn", "Vereinfachung"},
            {"UseIntgBtn", "Stammfunktion"},
            {"IterationTitle", "Näherungsverfahren (Newton)"},
            {"DiffTitle", "Differenzierung / Stammfunktion"},
            {"DiffNumTitle", "Differenzierung (numerisch)"},
            {"IntgNumTitle", "Integration (numerisch, Simpson)"},
            {"LenNumTitle", "Länge von Punkt zu Punkt (numerisch)"},
            {"StartLabel", "Start"},
            {"DeltaLabel", "Delta"},
            {"MaxIterLabel", "Max.It."},
            {"DiffCountLabel", "Ableitung"},
            {"DiffNumXLabel", "Stelle"},
            {"IntgNumIntvLabel", "Intv"},
            {"LenNumToLabel", "bis"},
            {"IterVarEdit", "x"},
            {"StartEdit", "0"},
            {"DeltaEdit", "1e-20"},
            {"DiffNumXValueEdit", "0"},
            {"IntgNumFromEdit", "1"},
            {"IntgNumToEdit", "10"},
            {"IntgNumIntvEdit", "0,1"},
            {"LenNumIntvEdit", "0,1"},
        };
        for (const auto& [name, text] : texts) {
            QObject* control = Form->findChild<QObject*>(name);
            QVERIFY2(control != nullptr, name);
            QCOMPARE(control->property("text").toString(), text);
        }
        const QList<QPair<const char*, QString>> hints = {
            {"HistoryBtn", "Vorige Ausdrücke"},
            {"VarValuesBtn", "Variablen Werte zuweisen"},
            {"IterVarEdit", "Iterationsvariable"},
            {"StartEdit", "Startwert für die Iterationen"},
            {"DeltaEdit", "Wenn dieser Wert unterschritten wird, \n"
                          "dann wird das Ergebnis als richtig betrachtet."},
            {"MaxIterEdit", "Dies ist die Obergrenze für die Iterationen,\n"
                            "falls das Näherungsverfahren fehlschlägt."},
            {"DiffVarEdit", "Differenzierungs-/Integrationsvariable"},
            {"LenNumVarEdit", "Differenzierungs-/Integrationsvariable"},
            {"DiffNumPanel", "Durch Rundungsfehler ist das Ergebnis \n"
                             "ab der 2. Ableitung kaum brauchbar."},
            {"Panel1", "Weitere Informationen zu diesem Verfahren in der Hilfe"},
            {"IntgNumIntvEdit", "Intervallbreite für das Simpsonverfahren"},
            {"LenNumIntvEdit", "Intervallbreite für das Simpsonverfahren"},
        };
        for (const auto& [name, hint] : hints)
            QCOMPARE(Form->findChild<QWidget*>(name)->toolTip(), hint);
        for (const char* name :
             {"InputPanel",      "DownPanel",       "ResultPanel",     "ScientificPanel",
              "SimpleCalcPanel", "IterationPanel",  "DiffPanel",       "IntgNumPanel",
              "InputMemo",       "ResultEdit",      "UseIterationBtn", "UseDiffBtn",
              "UseDiffNumBtn",   "UseIntgNumBtn",   "UseLenNumBtn",    "DiffVarEdit",
              "DiffNumVarEdit",  "IntgNumVarEdit",  "LenNumFromEdit",  "LenNumToEdit",
              "DiffCountEdit",   "DiffCountNumEdit"})
            QVERIFY2(Form->findChild<QWidget*>(name) != nullptr, name);
        QCOMPARE(Form->windowTitle(), QString("Nimbrel"));
        QCOMPARE(Form->MaxIterEdit->value(), 1000);
        QCOMPARE(Form->DiffCountEdit->minimum(), 1);
        QCOMPARE(Form->DiffCountNumEdit->maximum(), 2147483647);
        QVERIFY(Form->MaxIterEdit->minimum() < 0);
        QVERIFY(Form->SimpleCalcBtn->isChecked());
    }

    void OpensInOneLineModeWithSmallButtons() {
        Open();
        QCOMPARE(Form->height(), 64);
        QVERIFY(Form->IsOneLineMode());
        QVERIFY(!Form->ScientificPanel->isVisible());
        QCOMPARE(Form->InputMemo->height(), 24);
        QCOMPARE(Form->ResultEdit->height(), 24);
        for (const QWidget* button :
             {static_cast<QWidget*>(Form->HistoryBtn), static_cast<QWidget*>(Form->VarValuesBtn),
              static_cast<QWidget*>(Form->CalcButton), static_cast<QWidget*>(Form->ScientificBtn)})
            QCOMPARE(button->size(), QSize(24, 24));
        // One row: history, "...", "=" side by side at the right edge.
        QCOMPARE(Form->CalcButton->geometry().right(), Form->width() - 1 - 4);
        QCOMPARE(Form->HistoryBtn->y(), Form->CalcButton->y());
        QVERIFY(Form->InputMemo->geometry().right() < Form->HistoryBtn->x());
        QCOMPARE(Form->InputMemo->lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    void LayoutFollowsTheInputAreaHeight_data() {
        QTest::addColumn<int>("clientHeight");
        QTest::addColumn<bool>("column");
        QTest::addColumn<bool>("wrap");
        QTest::newRow("one line") << 64 << false << false;
        QTest::newRow("a little higher") << 70 << false << true;
        QTest::newRow("just below three rows") << 127 << false << true;
        QTest::newRow("three rows") << 128 << true << true;
        QTest::newRow("tall") << 400 << true << true;
    }

    void LayoutFollowsTheInputAreaHeight() {
        QFETCH(int, clientHeight);
        QFETCH(bool, column);
        QFETCH(bool, wrap);
        Open();
        SetClientHeight(clientHeight);
        const int inputHeight = clientHeight - 32;
        QCOMPARE(Form->InputPanel->height(), inputHeight);
        QCOMPARE(Form->InputMemo->height(), inputHeight - 8);
        QCOMPARE(Form->InputMemo->lineWrapMode() != QPlainTextEdit::NoWrap, wrap);
        if (column) {
            QCOMPARE(Form->HistoryBtn->x(), Form->CalcButton->x());
            QCOMPARE(Form->HistoryBtn->y(), 2 * 4 + 24);
            QCOMPARE(Form->VarValuesBtn->y(), 3 * 4 + 2 * 24);
            QCOMPARE(Form->InputMemo->geometry().right() + 1, Form->CalcButton->x() - 4);
        } else {
            QCOMPARE(Form->HistoryBtn->y(), Form->CalcButton->y());
            QCOMPARE(Form->InputMemo->geometry().right() + 1, Form->HistoryBtn->x() - 4);
        }
        QCOMPARE(Form->ResultEdit->geometry().right() + 1, Form->ScientificBtn->x() - 4);
    }

    void WindowIsNeverLowerThanTheCompactHeight() {
        Open();
        Form->resize(Form->width(), 20);
        Settle();
        QCOMPARE(Form->height(), 64);
        Form->ScientificBtnClick();
        Settle();
        QCOMPARE(Form->height(), 64 + 258);
        Form->resize(Form->width(), 100);
        Settle();
        QCOMPARE(Form->height(), 64 + 258);
    }

    void EnterCalculatesAndBreaksTheLineOnlyInMultiLineMode_data() {
        QTest::addColumn<int>("clientHeight");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("one line") << 64 << "1+2";
        QTest::newRow("several lines") << 200 << "1+2\n";
    }

    void EnterCalculatesAndBreaksTheLineOnlyInMultiLineMode() {
        QFETCH(int, clientHeight);
        QFETCH(QString, expectedText);
        Open();
        SetClientHeight(clientHeight);
        Type("1+2");
        QTest::keyClick(Form->InputMemo, Qt::Key_Return);
        QCOMPARE(Form->ResultEdit->text(), QString("3"));
        QCOMPARE(InputText(), expectedText);
        // The line break came after the calculation: the history holds the text before it.
        QCOMPARE(Form->Calculator.History, std::vector<std::string>{"1+2"});
    }

    void EqualsSignIsNeverTyped_data() {
        QTest::addColumn<int>("clientHeight");
        QTest::newRow("one line") << 64;
        QTest::newRow("several lines") << 200;
    }

    void EqualsSignIsNeverTyped() {
        QFETCH(int, clientHeight);
        Open();
        SetClientHeight(clientHeight);
        Type("6*7=");
        QCOMPARE(InputText(), QString("6*7"));
        QCOMPARE(Form->ResultEdit->text(), QString("42"));
        Type("+1=");
        QCOMPARE(InputText(), QString("6*7+1"));
        QCOMPARE(Form->ResultEdit->text(), QString("43"));
    }

    void PastedLinesBecomeOneLineOnlyInOneLineMode_data() {
        QTest::addColumn<int>("clientHeight");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("one line") << 64 << "3+\n4"
                                  << "3+ 4";
        // The box keeps CR LF as one line break.
        QTest::newRow("one line, CR LF") << 64 << "3+\r\n4"
                                         << "3+ 4";
        QTest::newRow("one line, three lines") << 64 << "1\n2\n3"
                                               << "1 2 3";
        QTest::newRow("one line, line separator") << 64 << "3+\u20284"
                                                  << "3+ 4";
        QTest::newRow("several lines") << 200 << "3+\n4"
                                       << "3+\n4";
    }

    void PastedLinesBecomeOneLineOnlyInOneLineMode() {
        QFETCH(int, clientHeight);
        QFETCH(QString, pasted);
        QFETCH(QString, expectedText);
        Open();
        SetClientHeight(clientHeight);
        QGuiApplication::clipboard()->setText(pasted);
        Form->InputMemo->setFocus();
        QTest::keyClick(Form->InputMemo, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(InputText(), expectedText);
        QCOMPARE(Form->InputMemo->textCursor().position(), expectedText.size());
    }

    void EnterElsewhereCalculates() {
        Open();
        Type("2^10");
        Form->ScientificBtnClick();
        Form->StartEdit->setFocus();
        QTest::keyClick(Form->StartEdit, Qt::Key_Return);
        QCOMPARE(Form->ResultEdit->text(), QString("1024"));
        QCOMPARE(InputText(), QString("2^10"));
    }

    void ShowingThePanelSelectsPlainEvaluation() {
        Open();
        Form->SelectMode(cmAntiderivative);
        QTest::mouseClick(Form->ScientificBtn, Qt::LeftButton);
        Settle();
        QVERIFY(Form->ScientificPanel->isVisible());
        QCOMPARE(Form->ScientificBtn->text(), QString("\u25B2"));
        QVERIFY(Form->SimpleCalcBtn->isChecked());
        QCOMPARE(Form->SelectedMode(), cmSimple);
        QCOMPARE(Form->height(), 64 + 258);
        QCOMPARE(Form->DownPanel->height(), 32 + 258);
    }

    void HidingThePanelShrinksOnlyAOneLineWindow_data() {
        QTest::addColumn<int>("extra");
        QTest::addColumn<int>("expectedHeight");
        QTest::newRow("one line") << 0 << 64;
        QTest::newRow("several lines") << 100 << 64 + 258 + 100;
    }

    void HidingThePanelShrinksOnlyAOneLineWindow() {
        QFETCH(int, extra);
        QFETCH(int, expectedHeight);
        Open();
        QTest::mouseClick(Form->ScientificBtn, Qt::LeftButton);
        SetClientHeight(64 + 258 + extra);
        QTest::mouseClick(Form->ScientificBtn, Qt::LeftButton);
        Settle();
        QVERIFY(!Form->ScientificPanel->isVisible());
        QCOMPARE(Form->ScientificBtn->text(), QString("\u25BC"));
        QCOMPARE(Form->height(), expectedHeight);
        QCOMPARE(Form->DownPanel->height(), 32);
        // Shown again, the panel has its old height.
        QTest::mouseClick(Form->ScientificBtn, Qt::LeftButton);
        Settle();
        QCOMPARE(Form->ScientificPanel->height(), 258);
    }

    void ExactlyOneModeAcrossAllRows_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("mode");
        QTest::newRow("SimplifyBtn") << "SimplifyBtn" << int(cmSimplify);
        QTest::newRow("UseIterationBtn") << "UseIterationBtn" << int(cmNewton);
        QTest::newRow("UseDiffBtn") << "UseDiffBtn" << int(cmDerivative);
        QTest::newRow("UseIntgBtn") << "UseIntgBtn" << int(cmAntiderivative);
        QTest::newRow("UseDiffNumBtn") << "UseDiffNumBtn" << int(cmNumDerivative);
        QTest::newRow("UseIntgNumBtn") << "UseIntgNumBtn" << int(cmNumIntegral);
        QTest::newRow("UseLenNumBtn") << "UseLenNumBtn" << int(cmCurveLength);
        QTest::newRow("SimpleCalcBtn") << "SimpleCalcBtn" << int(cmSimple);
    }

    void ExactlyOneModeAcrossAllRows() {
        QFETCH(QString, button);
        QFETCH(int, mode);
        Open();
        Form->ScientificBtnClick();
        Settle();
        // Start from a mode in another row than the button's.
        Form->SelectMode(mode == cmNewton ? cmCurveLength : cmNewton);
        auto* clicked = Form->findChild<QRadioButton*>(button);
        QTest::mouseClick(clicked, Qt::LeftButton);
        QTest::mouseClick(clicked, Qt::LeftButton);
        int checked = 0;
        for (const QRadioButton* radio : Form->ScientificPanel->findChildren<QRadioButton*>())
            checked += radio->isChecked() ? 1 : 0;
        QCOMPARE(checked, 1);
        QVERIFY(clicked->isChecked());
        QCOMPARE(int(Form->SelectedMode()), mode);
    }

    void FunctionMenuStandsInColumnsOfTen() {
        Open();
        WithGridMenu(Qt::Key_F, [](QMenu* menu, TMenuGrid* grid) {
            QCOMPARE(menu->objectName(), QString("FuncPopupMenu"));
            QCOMPARE(grid->ItemCount(), 34);
            QCOMPARE(grid->ColumnCount(), 4);
            QMap<int, int> perColumn;
            for (int i = 0; i < grid->ItemCount(); ++i)
                ++perColumn[grid->ItemRect(i).x()];
            QCOMPARE(perColumn.values(), QList<int>({10, 10, 10, 4}));
            // The menu is as large as its columns.
            QVERIFY(grid->isVisible());
            QCOMPARE(grid->size(), grid->sizeHint());
            QVERIFY(menu->width() >= grid->width());
        });
    }

    void InsertsAFunctionNameWithAndWithoutShift_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<int>("selectionEnd");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("caret");
        QTest::newRow("shift wraps the selection") << "2*x" << 0 << 3 << true << "Sin(2*x)" << 8;
        QTest::newRow("shift wraps a part") << "1+2*x" << 2 << 5 << true << "1+Sin(2*x)" << 10;
        QTest::newRow("shift, no selection") << "1+" << 2 << 2 << true << "1+Sin()" << 7;
        QTest::newRow("plain, nothing selected") << "" << 0 << 0 << false << "Sin()" << 4;
        QTest::newRow("plain replaces the selection")
            << "1+2*x" << 2 << 5 << false << "1+Sin()" << 6;
    }

    void InsertsAFunctionNameWithAndWithoutShift() {
        QFETCH(QString, text);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionEnd);
        QFETCH(bool, shift);
        QFETCH(QString, expected);
        QFETCH(int, caret);
        Open();
        Type(text);
        QTextCursor cursor = Form->InputMemo->textCursor();
        cursor.setPosition(selectionStart);
        cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
        Form->InputMemo->setTextCursor(cursor);
        WithGridMenu(Qt::Key_F, [shift](QMenu* menu, TMenuGrid* grid) {
            const int sin = IndexOfItem(grid, "Sin");
            QVERIFY(sin >= 0);
            QTest::mouseClick(grid, Qt::LeftButton, shift ? Qt::ShiftModifier : Qt::NoModifier,
                              grid->ItemRect(sin).center());
            QVERIFY(!menu->isVisible());
        });
        QCOMPARE(InputText(), expected);
        QCOMPARE(Form->InputMemo->textCursor().position(), caret);
    }

    void FunctionMenuWorksByKeyboard() {
        Open();
        WithGridMenu(Qt::Key_F, [](QMenu*, TMenuGrid* grid) {
            QTest::keyClick(grid, Qt::Key_S);
            const QString first = grid->ItemText(grid->CurrentIndex());
            QVERIFY(first.startsWith('s', Qt::CaseInsensitive));
            QTest::keyClick(grid, Qt::Key_Return);
        });
        QVERIFY(InputText().endsWith("()"));
        QVERIFY(InputText().startsWith('s', Qt::CaseInsensitive));
    }

    void VariableMenuListsTheCurrentVariables() {
        Open();
        Type("a+b");
        QTest::keyClick(Form->InputMemo, Qt::Key_Return);
        QTextCursor cursor = Form->InputMemo->textCursor();
        cursor.setPosition(2);
        cursor.setPosition(3, QTextCursor::KeepAnchor);
        Form->InputMemo->setTextCursor(cursor);
        WithGridMenu(Qt::Key_A, [](QMenu* menu, TMenuGrid* grid) {
            QCOMPARE(menu->objectName(), QString("VarPopupMenu"));
            QStringList names;
            for (int i = 0; i < grid->ItemCount(); ++i)
                names << grid->ItemText(i);
            QCOMPARE(names, QStringList({"a", "b", "e", "Pi"}));
            QCOMPARE(grid->size(), grid->sizeHint());
            QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier,
                              grid->ItemRect(IndexOfItem(grid, "Pi")).center());
        });
        QCOMPARE(InputText(), QString("a+Pi"));
    }

    void AllCommandsMenuReflectsTheWindow() {
        Open();
        for (int round = 0; round < 2; ++round) {
            Watchdog->Expect([this, round](QWidget* widget) {
                QCOMPARE(widget, static_cast<QWidget*>(Form->AllPopupMenu));
                const bool oneLine = round == 0;
                QCOMPARE(Form->OneLineItem->isChecked(), oneLine);
                QCOMPARE(Form->OneLineItem->isEnabled(), !oneLine);
                QCOMPARE(Form->HistorySubMenu->menuAction()->isEnabled(), !oneLine);
                QCOMPARE(Form->FunctionsSubGrid->ItemCount(), 34);
                QStringList texts;
                for (const QAction* action : Form->AllPopupMenu->actions())
                    if (!action->isSeparator()) texts << action->text();
                QCOMPARE(texts,
                         QStringList({"&Funktionen", "&Variablen", "&Historie",
                                      "&Variablenwerte...", "&Grafik...", "&Einzeilig", "&Hilfe",
                                      "&Info..."}));
                widget->close();
            });
            // Alt+Down in the input box, a right click on the result line's background.
            if (round == 0) {
                QTest::keyClick(Form->InputMemo, Qt::Key_Down, Qt::AltModifier);
            } else {
                QTest::mouseClick(Form->ResultPanel, Qt::RightButton, Qt::NoModifier,
                                  QPoint(Form->ResultPanel->width() / 2, 1));
            }
            WaitForHandlers();
            if (round == 0) {
                Type("q");
                QTest::keyClick(Form->InputMemo, Qt::Key_Return);
                SetClientHeight(200);
                QCOMPARE(Form->VariablesSubGrid->ItemCount(), 2);
            }
        }
        QCOMPARE(Form->VariablesSubGrid->ItemCount(), 3);
        Form->OneLineItem->trigger();
        Settle();
        QCOMPARE(Form->height(), 64);
        QVERIFY(Form->IsOneLineMode());
        QCOMPARE(Form->InputMemo->lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    void RightClickOnTheFirstRowOpensTheMenu() {
        Open();
        Form->ScientificBtnClick();
        Settle();
        for (QWidget* target : {static_cast<QWidget*>(Form->SimplifyBtn),
                                static_cast<QWidget*>(Form->SimpleCalcPanel)}) {
            Watchdog->Expect([this](QWidget* widget) {
                QCOMPARE(widget, static_cast<QWidget*>(Form->AllPopupMenu));
                widget->close();
            });
            QTest::mouseClick(target, Qt::RightButton, Qt::NoModifier, QPoint(2, 2));
            WaitForHandlers();
        }
        QCOMPARE(Form->SelectedMode(), cmSimple);
    }

    void HistoryEntriesAreRecalculatedWhenChosen() {
        Open();
        SetClientHeight(200);
        Form->InputMemo->setPlainText("3+\n4");
        QTest::keyClick(Form->InputMemo, Qt::Key_Return);
        QCOMPARE(Form->ResultEdit->text(), QString("7"));
        Form->InputMemo->selectAll();
        Type("x=");
        QCOMPARE(Form->Calculator.History, std::vector<std::string>({"x", "3+\r\n4"}));
        Watchdog->Expect([this](QWidget* widget) {
            auto* menu = qobject_cast<QMenu*>(widget);
            QCOMPARE(menu, Form->HistoryPopupMenu);
            QCOMPARE(menu->actions().size(), 2);
            QCOMPARE(menu->actions()[0]->text(), QString("x"));
            menu->actions()[1]->trigger();
            menu->close();
        });
        QTest::mouseClick(Form->HistoryBtn, Qt::LeftButton);
        WaitForHandlers();
        QCOMPARE(InputText(), QString("3+\n4"));
        QCOMPARE(Form->ResultEdit->text(), QString("7"));
        QCOMPARE(Form->Calculator.History, std::vector<std::string>({"3+\r\n4", "x"}));
    }

    void EmptyHistoryOpensNoMenu() {
        Open();
        QTest::mouseClick(Form->HistoryBtn, Qt::LeftButton);
        Settle();
    }

    void NumberFieldsAreCheckedWhenLeft_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString noNumber = "Hier muß eine reelle Zahl eingegeben werden!";
        const QString notPositive = "Der Wert muß größer 0 sein!";
        QTest::newRow("delta 0") << "DeltaEdit"
                                 << "0" << notPositive;
        QTest::newRow("delta negative") << "DeltaEdit"
                                        << "-1e-3" << notPositive;
        QTest::newRow("delta no number") << "DeltaEdit"
                                         << "abc" << noNumber;
        QTest::newRow("simpson width 0") << "IntgNumIntvEdit"
                                         << "0" << notPositive;
        QTest::newRow("length width 0") << "LenNumIntvEdit"
                                        << "0"
                                        << "";
        QTest::newRow("length width no number") << "LenNumIntvEdit"
                                                << "x" << noNumber;
        QTest::newRow("start negative") << "StartEdit"
                                        << "-5"
                                        << "";
        QTest::newRow("start with point") << "StartEdit"
                                          << "1.5" << noNumber;
        QTest::newRow("start empty") << "StartEdit"
                                     << "" << noNumber;
        QTest::newRow("point") << "DiffNumXValueEdit"
                               << "1,5"
                               << "";
        QTest::newRow("from") << "IntgNumFromEdit"
                              << "?" << noNumber;
        QTest::newRow("to") << "LenNumToEdit"
                            << "1e5000" << noNumber;
        QTest::newRow("variable field") << "IterVarEdit"
                                        << "1,2,3"
                                        << "";
    }

    void NumberFieldsAreCheckedWhenLeft() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Open();
        Form->ScientificBtnClick();
        Settle();
        auto* edit = Form->findChild<QLineEdit*>(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
        TMessage shown;
        if (!message.isEmpty()) ExpectMessage(shown);
        QTest::keyClick(edit, Qt::Key_Tab);
        if (!message.isEmpty()) {
            WaitForHandlers();
            QCOMPARE(shown.Text, message);
            QCOMPARE(shown.Title, QString("Nimbrel"));
            QCOMPARE(shown.Icon, QMessageBox::Warning);
            QTRY_COMPARE(Form->focusWidget(), static_cast<QWidget*>(edit));
            // Typing then replaces the wrong text.
            QCOMPARE(edit->selectedText(), text);
        } else {
            Settle();
            QVERIFY(Form->focusWidget() != edit);
        }
    }

    void TwoWrongFieldsDoNotHandTheFocusBackAndForth() {
        Open();
        Form->ScientificBtnClick();
        Settle();
        Form->StartEdit->setText("a");
        Form->DeltaEdit->setText("b");
        Form->StartEdit->setFocus();
        TMessage shown;
        ExpectMessage(shown);
        QTest::keyClick(Form->StartEdit, Qt::Key_Tab);
        WaitForHandlers();
        Settle();
        QCOMPARE(Form->focusWidget(), static_cast<QWidget*>(Form->StartEdit));
    }

    void ExceptionsShowAMessageAndKeepTheResult_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("length width 0") << int(cmCurveLength) << "LenNumIntvEdit"
                                        << "0"
                                        << "Intervall bei der numerischen Integration ist \"0\"!";
        QTest::newRow("start no number") << int(cmNewton) << "StartEdit"
                                         << "zwei"
                                         << "'zwei' ist kein gültiger Gleitkommawert";
    }

    void ExceptionsShowAMessageAndKeepTheResult() {
        QFETCH(int, mode);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Open();
        Type("x^2=");
        QCOMPARE(Form->ResultEdit->text(), QString("0"));
        Form->ScientificBtnClick();
        Form->SelectMode(static_cast<TCalcMode>(mode));
        Form->findChild<QLineEdit*>(field)->setText(text);
        TMessage shown;
        ExpectMessage(shown);
        QTest::mouseClick(Form->CalcButton, Qt::LeftButton);
        WaitForHandlers();
        QCOMPARE(shown.Text, message);
        QCOMPARE(shown.Title, QString("Nimbrel"));
        QCOMPARE(shown.Icon, QMessageBox::Warning);
        QCOMPARE(Form->ResultEdit->text(), QString("0"));
        QCOMPARE(Form->Calculator.History.size(), std::size_t(1));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void SyntaxErrorPutsTheCaretAtIt() {
        Open();
        Type("2+3$+1=");
        QCOMPARE(Form->InputMemo->textCursor().position(), 3);
        QVERIFY(Form->ResultEdit->text().contains("Illegales Zeichen"));
        QVERIFY(Form->Calculator.History.empty());
    }

    void LinesAreJoinedWithPlusInTheBox() {
        Open();
        SetClientHeight(200);
        Type("3");
        QTest::keyClick(Form->InputMemo, Qt::Key_Return);
        Type("4=");
        QCOMPARE(InputText(), QString("3\n+4"));
        QCOMPARE(Form->ResultEdit->text(), QString("7"));
    }

    void EnterAfterJoinedLinesBreaksAtTheSamePlace() {
        Open();
        SetClientHeight(200);
        Type("3+");
        QTest::keyClick(Form->InputMemo, Qt::Key_Return);
        Type("4");
        QTest::keyClick(Form->InputMemo, Qt::Key_Return);
        Type("5");
        QTest::keyClick(Form->InputMemo, Qt::Key_Return);
        QCOMPARE(InputText(), QString("3+\n4\n+5\n"));
        QCOMPARE(Form->ResultEdit->text(), QString("12"));
        // In the middle of a line the caret stays behind the same character.
        Form->InputMemo->setPlainText("1\n23");
        QTextCursor cursor = Form->InputMemo->textCursor();
        cursor.setPosition(3);
        Form->InputMemo->setTextCursor(cursor);
        QTest::keyClick(Form->InputMemo, Qt::Key_Equal);
        QCOMPARE(InputText(), QString("1\n+23"));
        QCOMPARE(Form->InputMemo->textCursor().position(), 4);
    }

    void CommandLineStartsWithItsCalculation_data() {
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("panel");
        QTest::newRow("none") << QStringList() << "" << int(cmSimple) << "" << false;
        QTest::newRow("sum") << QStringList({"3+4"}) << " 3+4" << int(cmSimple) << "7" << false;
        QTest::newRow("second derivative") << QStringList({"sin(x)", "\\d", "2", "\\x", "x"})
                                           << " sin(x)" << int(cmDerivative) << "-sin(x)" << true;
        QTest::newRow("newton") << QStringList({"\\vy=2", "\\n", "\\xy", "y^2-2"}) << " y^2-2"
                                << int(cmNewton) << "1,4142135623731" << true;
        QTest::newRow("simplify") << QStringList({"x*1", "\\c"}) << " x*1" << int(cmSimplify) << "x"
                                  << true;
    }

    void CommandLineStartsWithItsCalculation() {
        QFETCH(QStringList, parameters);
        QFETCH(QString, input);
        QFETCH(int, mode);
        QFETCH(QString, result);
        QFETCH(bool, panel);
        std::vector<std::string> params;
        for (const QString& parameter : parameters)
            params.push_back(parameter.toStdString());
        Open(params);
        QCOMPARE(InputText(), input);
        QCOMPARE(int(Form->SelectedMode()), mode);
        QCOMPARE(Form->ResultEdit->text(), result);
        QCOMPARE(Form->ScientificPanel->isVisible(), panel);
        QCOMPARE(Form->IsOneLineMode(), true);
        QCOMPARE(Form->Calculator.History.size(), std::size_t(input.isEmpty() ? 0 : 1));
    }

    void CommandLineFillsTheModeFields() {
        Open({"sin(x)", "\\d", "3", "\\x", "t"});
        QCOMPARE(Form->DiffCountEdit->value(), 3);
        QCOMPARE(Form->DiffVarEdit->text(), QString("t"));
        QCOMPARE(Form->ResultEdit->text(), QString("0"));
    }

    void StartCalculationMayShowAMessage() {
        TMessage shown;
        ExpectMessage(shown);
        Open({"x", "\\i", "\\m", "\\l0"}, true);
        WaitForHandlers();
        QCOMPARE(shown.Text, QString("Intervall bei der numerischen Integration ist \"0\"!"));
        QCOMPARE(Form->SelectedMode(), cmNumIntegral);
    }

    // The console reads and writes the same keys, so either starts where the other left off.
    void ModeAndFieldsRoundTripThroughTheFile() {
        Open();
        Form->ScientificBtnClick();
        Form->SelectMode(cmNewton);
        Form->StartEdit->setText("2");
        Form->LenNumToEdit->setText("3");
        Form->close();
        Form.reset();
        QFile file(SettingsFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(file.readAll());
        QVERIFY(content.contains("Mode=2\n"));
        QVERIFY(content.contains("LenNumTo=3\n"));

        Open();
        QCOMPARE(Form->SelectedMode(), cmNewton);
        QCOMPARE(Form->StartEdit->text(), QString("2"));
        QCOMPARE(Form->LenNumToEdit->text(), QString("3"));
        Form->close();
        // A mode on the command line wins over the saved one.
        Open({"x", "\\d", "2"});
        QCOMPARE(Form->SelectedMode(), cmDerivative);
        QCOMPARE(Form->LenNumToEdit->text(), QString("10"));
    }

    void TerminationSignalSavesOnceAndCloses() {
        Open();
        int ended = 0;
        Form->EndOnSignals([&ended](int signal) { ended = signal; });
        Type("6*7=");
        QVERIFY(::raise(SIGTERM) == 0);
        QTRY_VERIFY(!Form->isVisible());
        QCOMPARE(ended, SIGTERM);
        ReleaseEndSignals();
        QFile file(SettingsFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(file.readAll()).contains("[History]\nCount=1\n0=6*7\n"));
    }

    void SettingsRoundTripThroughTheFile() {
        Open();
        SetClientHeight(200);
        Form->InputMemo->setPlainText("3+\n4");
        Type("=");
        Form->InputMemo->selectAll();
        Type("y*2=");
        Form->Calculator.MainFunction().SetVarValue("y", 2.5L);
        Form->ScientificBtnClick();
        Form->resize(400, 500);
        Settle();
        Form->close();
        Form.reset();

        QFile file(SettingsFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(file.readAll());
        QVERIFY(content.contains("[TMainForm]"));
        QVERIFY(content.contains("[ScientificPanel]\nVisible=1"));
        QVERIFY(content.contains("3+@\u00A74"));

        Open();
        QCOMPARE(Form->size(), QSize(400, 500));
        QVERIFY(Form->ScientificPanel->isVisible());
        QCOMPARE(Form->Calculator.History, std::vector<std::string>({"y*2", "3+\r\n4"}));
        QCOMPARE(Form->HistoryPopupMenu->actions().size(), 2);
        QCOMPARE(Form->HistoryPopupMenu->actions()[1]->data().toString(), QString("3+\r\n4"));
        QCOMPARE(Form->InputMemo->toolTip(),
                 QString("e=2.71828182845905\nPi=3.14159265358979\ny=2.5"));
        QCOMPARE(InputText(), QString());
    }

    void MaximisedWindowKeepsItsNormalPlacement() {
        Open();
        Form->resize(360, 300);
        Settle();
        Form->showMaximized();
        Settle();
        Form->close();
        Form.reset();
        Open();
        QVERIFY(Form->isMaximized());
        QCOMPARE(Form->normalGeometry().size(), QSize(360, 300));
    }

    void PlacementComesBackUnchangedAtEveryStart() {
        const QRect placed(149, 100, 360, 300);
        for (int start = 0; start < 3; ++start) {
            Open();
            if (start == 0) Form->setGeometry(placed);
            Settle();
            QCOMPARE(Form->geometry(), placed);
            Form->close();
            Form.reset();
        }
        QSettings file(SettingsFile, QSettings::IniFormat);
        QCOMPARE(QRect(file.value("TMainForm/Left").toInt(), file.value("TMainForm/Top").toInt(),
                       file.value("TMainForm/Width").toInt(),
                       file.value("TMainForm/Height").toInt()),
                 placed);
    }

    void InputBoxOpensOnlyItsOwnMenu_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("right click") << false;
        QTest::newRow("menu key") << true;
    }
    void InputBoxOpensOnlyItsOwnMenu() {
        QFETCH(bool, byKey);
        Open();
        Type("1+2");
        QString selectAll;
        Watchdog->Expect([&selectAll](QWidget* widget) {
            auto* menu = qobject_cast<QMenu*>(widget);
            QVERIFY(menu != nullptr);
            QCOMPARE(menu->objectName(), QString("InputMemoMenu"));
            for (const QAction* action : menu->actions())
                if (action->objectName() == "select-all") selectAll = action->text();
            menu->close();
        });
        // Through the window, which turns the press or key into the request for a menu as well.
        if (byKey) {
            // What the menu key becomes for the focused box.
            QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                      Form->InputMemo->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(Form->InputMemo, &request);
        } else
            QTest::mouseClick(Form->windowHandle(), Qt::RightButton, Qt::NoModifier,
                              Form->InputMemo->viewport()->mapTo(Form.get(), QPoint(5, 5)));
        WaitForHandlers();
        Settle();
        QVERIFY(!Form->AllPopupMenu->isVisible());
        // Ctrl+A means the variables menu in the box, so no shortcut stands there.
        QVERIFY(!selectAll.isEmpty());
        QVERIFY2(!selectAll.contains('\t'), qPrintable(selectAll));
    }

    void EveryLineBreakIsFlattenedInOneLineMode_data() {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("byMenu");
        for (const bool byMenu : {true, false}) {
            const char* how = byMenu ? "Einzeilig" : "shrunk";
            QTest::addRow("Enter, %s", how) << int(Qt::NoModifier) << byMenu;
            QTest::addRow("Shift+Enter, %s", how) << int(Qt::ShiftModifier) << byMenu;
            QTest::addRow("Ctrl+Enter, %s", how) << int(Qt::ControlModifier) << byMenu;
        }
    }
    void EveryLineBreakIsFlattenedInOneLineMode() {
        QFETCH(int, modifiers);
        QFETCH(bool, byMenu);
        Open();
        SetClientHeight(300);
        Type("5");
        QTest::keyClick(Form->InputMemo, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        Type("6");
        QCOMPARE(InputText(), QString("5\n6"));
        // Every break is one of its own, so the calculation and the box see the same lines.
        QCOMPARE(Form->InputMemo->blockCount(), 2);
        if (byMenu)
            Form->OneLineItem->trigger();
        else
            Form->resize(Form->width(), 64);
        Settle();
        QVERIFY(Form->IsOneLineMode());
        QCOMPARE(Form->InputMemo->document()->toRawText(), QString("5 6"));
    }

    void HelpFromTheVariablesDialogCanBeUsed() {
        Open();
        QString shownFirst;
        QString afterContents;
        int scrolled = -1;
        Watchdog->Expect([&](QWidget* widget) {
            auto* dialog = qobject_cast<TVarValuesDlg*>(widget);
            QVERIFY(dialog != nullptr);
            QTest::mouseClick(dialog->HelpBtn, Qt::LeftButton);
            THelpViewer* viewer = OpenHelpViewer();
            QVERIFY(viewer != nullptr);
            shownFirst = viewer->Browser()->source().fragment();
            // Through the window system, where a blocked window drops its input.
            QWindow* window = viewer->windowHandle();
            auto* contents = viewer->findChild<QPushButton*>("HelpContentsBtn");
            QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier,
                              contents->mapTo(viewer, contents->rect().center()));
            afterContents = viewer->Browser()->source().fragment();
            viewer->Browser()->setFocus();
            QTest::keyClick(window, Qt::Key_End);
            scrolled = viewer->Browser()->verticalScrollBar()->value();
            dialog->reject();
        });
        QTest::mouseClick(Form->VarValuesBtn, Qt::LeftButton);
        WaitForHandlers();
        QCOMPARE(shownFirst, QString("kontext20000"));
        QCOMPARE(afterContents, QString("inhalt"));
        QVERIFY(scrolled > 0);
    }

    void LongResultCanBeReadAsTheResultLinesHint() {
        Open();
        Type("x");
        Form->UseIntgNumBtn->setChecked(true);
        Form->IntgNumFromEdit->setText("0");
        Form->IntgNumToEdit->setText("1e10");
        Form->IntgNumIntvEdit->setText("1");
        Form->CalcButtonClick();
        QVERIFY(Form->ResultEdit->text().startsWith("Zu viele Teilintervalle"));
        QCOMPARE(Form->ResultEdit->toolTip(), Form->ResultEdit->text());
        Form->SelectMode(cmSimple);
        Form->CalcButtonClick();
        QCOMPARE(Form->ResultEdit->text(), QString("0"));
        QCOMPARE(Form->ResultEdit->toolTip(), QString());
    }

    void NarrowWindowKeepsEveryControlWhole() {
        Open();
        Form->ScientificBtnClick();
        Form->resize(180, Form->height());
        Settle();
        QVERIFY(Form->width() > 180);
        for (const QWidget* row :
             Form->ScientificPanel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QList<QWidget*> controls =
                row->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
            for (const QWidget* control : controls) {
                const QString name = row->objectName() + "/" + control->objectName();
                QVERIFY2(row->rect().contains(control->geometry()), qPrintable(name));
                // What a layout gives a control at least.
                const int least = control->minimumWidth() > 0 ? control->minimumWidth()
                                                              : control->minimumSizeHint().width();
                QVERIFY2(control->width() >= least, qPrintable(name));
                for (const QWidget* other : controls)
                    QVERIFY2(other == control || !other->geometry().intersects(control->geometry()),
                             qPrintable(name + " / " + other->objectName()));
            }
        }
        QVERIFY(Form->InputMemo->width() > 40);
        QVERIFY(Form->ResultEdit->width() > 40);
    }

    void WindowNeverShownLeavesTheFileAlone() {
        { TMainForm form({}); }
        QVERIFY(!QFile::exists(SettingsFile));
    }

    void VariablesDialogRenewsTheHintAndCalculates() {
        Open();
        Type("a+1=");
        QCOMPARE(Form->ResultEdit->text(), QString("1"));
        Watchdog->Expect([](QWidget* widget) {
            auto* dialog = qobject_cast<TVarValuesDlg*>(widget);
            QVERIFY(dialog != nullptr);
            for (int row = 0; row < dialog->VarGrid->rowCount(); ++row)
                if (dialog->VarGrid->item(row, 0)->text() == "a")
                    dialog->VarGrid->item(row, 1)->setText("2,5");
            dialog->OKBtn->click();
        });
        QTest::mouseClick(Form->VarValuesBtn, Qt::LeftButton);
        WaitForHandlers();
        QCOMPARE(Form->ResultEdit->text(), QString("3,5"));
        QVERIFY(Form->InputMemo->toolTip().contains("a=2.5"));
    }

    void VariablesDialogCancelledChangesNothing() {
        Open();
        Type("a+1=");
        const QString hint = Form->InputMemo->toolTip();
        Watchdog->Expect([](QWidget* widget) {
            auto* dialog = qobject_cast<TVarValuesDlg*>(widget);
            QVERIFY(dialog != nullptr);
            dialog->StandardBtn->click();
            dialog->CancelBtn->click();
        });
        Form->VarValuesItem->trigger();
        WaitForHandlers();
        QCOMPARE(Form->InputMemo->toolTip(), hint);
        QCOMPARE(Form->Calculator.MainFunction().VarCount(), 3);
    }

    void SpinBoxesGiveTheirLowerBoundWhenNotANumber_data() {
        QTest::addColumn<QString>("spin");
        QTest::addColumn<int>("lowerBound");
        QTest::newRow("iterations") << "MaxIterEdit" << 0;
        QTest::newRow("order") << "DiffCountEdit" << 1;
        QTest::newRow("numeric order") << "DiffCountNumEdit" << 1;
    }

    void SpinBoxesGiveTheirLowerBoundWhenNotANumber() {
        QFETCH(QString, spin);
        QFETCH(int, lowerBound);
        Open();
        Form->ScientificBtnClick();
        auto* box = Form->findChild<QSpinBox*>(spin);
        box->setValue(7);
        const auto value = [&](const TCalcRequest& request) {
            return spin == "MaxIterEdit"     ? request.MaxIter
                   : spin == "DiffCountEdit" ? request.DiffCount
                                             : request.DiffNumCount;
        };
        QCOMPARE(value(Form->RequestFromControls()), 7);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->cleanText(), QString());
        QCOMPARE(value(Form->RequestFromControls()), lowerBound);
    }

    void HelpKeyInTheFunctionMenuOpensItsTopic() {
        Open();
        WithGridMenu(Qt::Key_F, [](QMenu*, TMenuGrid* grid) { QTest::keyClick(grid, Qt::Key_F1); });
        QVERIFY(OpenHelpViewer() != nullptr);
        QCOMPARE(OpenHelpViewer()->Browser()->source().fragment(), QString("kontext30000"));
        CloseHelpViewer();
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form.get()));
        QTest::keyClick(Form->InputMemo, Qt::Key_F1);
        QVERIFY(OpenHelpViewer() != nullptr);
        QCOMPARE(OpenHelpViewer()->Browser()->source().fragment(), QString("kontext10000"));
    }

    void UnusableSettingsFileIsReportedAndTheProgramGoesOn() {
        // A folder in place of the file can be neither read nor written.
        QVERIFY(QDir().mkpath(SettingsFile));
        TMessage atStart;
        ExpectMessage(atStart);
        Open({"-i", SettingsFile.toStdString(), "1+1"}, true);
        WaitForHandlers();
        QVERIFY(!atStart.Text.isEmpty());
        QCOMPARE(atStart.Title, QString("Nimbrel"));
        QCOMPARE(Form->ResultEdit->text(), QString("2"));
        QCOMPARE(Form->InputMemo->toolTip(), QString("e=2.71828182845905\nPi=3.14159265358979"));
        TMessage atClose;
        ExpectMessage(atClose);
        Form->close();
        WaitForHandlers();
        QVERIFY(!atClose.Text.isEmpty());
    }

    void LongCalculationShowsProgressAndStopsOnEscape() {
        Open();
        Form->ResultEdit->setText("alt");
        Type("sin(x)");
        Form->UseIntgNumBtn->setChecked(true);
        Form->IntgNumFromEdit->setText("0");
        Form->IntgNumIntvEdit->setText("1e-8");
        const int historyBefore = static_cast<int>(Form->Calculator.History.size());
        bool barShown = false;
        QTimer::singleShot(800, Form.get(), [this, &barShown] {
            const auto* bar = Form->findChild<QProgressBar*>("CalcProgressBar");
            const auto* cancel = Form->findChild<QPushButton*>("CalcCancelBtn");
            barShown = bar != nullptr && bar->isVisible() && cancel != nullptr &&
                       cancel->isVisible() && bar->height() == Form->ResultEdit->height();
            QTest::keyClick(Form->InputMemo, Qt::Key_Escape);
        });
        QElapsedTimer clock;
        clock.start();
        Form->CalcButtonClick();
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(barShown);
        QCOMPARE(Form->ResultEdit->text(), QString("Berechnung abgebrochen"));
        QCOMPARE(static_cast<int>(Form->Calculator.History.size()), historyBefore);
        QCOMPARE(Form->InputMemo->toPlainText(), QString("sin(x)"));
        QVERIFY(Form->findChild<QProgressBar*>("CalcProgressBar") == nullptr);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void QuickCalculationShowsNoProgress() {
        Open();
        Type("2+3");
        Form->CalcButtonClick();
        QCOMPARE(Form->ResultEdit->text(), QString("5"));
        QVERIFY(Form->findChild<QProgressBar*>("CalcProgressBar") == nullptr);
    }

    void cleanup() {
        Form.reset();
        TGuiTest::cleanup();
    }
};

NIMBREL_GUI_TEST(TMainFormTest)
#include "MainFormTest.moc"
