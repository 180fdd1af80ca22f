// The variables dialog driven by keys and clicks.
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>

#include "GuiTest.h"
#include "app/Calculator.h"
#include "functions/MthTrFnc.h"
#include "window/MainHelp.h"
#include "window/VarsDlg.h"

namespace {

using TRows = QList<QPair<QString, QString>>;

TRows GridRows(const QTableWidget* grid) {
    TRows rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QTableWidgetItem* name = grid->item(row, 0);
        const QTableWidgetItem* value = grid->item(row, 1);
        rows.append({name ? name->text() : QString(), value ? value->text() : QString()});
    }
    return rows;
}

TRows StoreRows(const TKvMathTreeFunction& function) {
    TRows rows;
    for (int i = 0; i < function.VarCount(); ++i)
        rows.append(
            {QString::fromStdString(function.GetVarName(i)),
             QString::number(static_cast<double>(function.GetVarValueByIndex(i)), 'g', 15)});
    return rows;
}

// Types into a cell as a user does: select it, type, commit with Enter.
void TypeIntoCell(QTableWidget* grid, int row, int column, const QString& text) {
    grid->setCurrentCell(row, column);
    QTest::keyClick(grid, Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor != nullptr && editor != grid);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The table takes the text when the event loop runs.
    QCoreApplication::processEvents();
}

} // namespace

class TVarsDlgTest : public TGuiTest {
    Q_OBJECT
private:
    std::unique_ptr<TCalculator> Calculator;
    std::unique_ptr<TVarValuesDlg> Dialog;

    void Open(const TRows& variables) {
        Calculator = std::make_unique<TCalculator>();
        for (const auto& [name, value] : variables) {
            Calculator->MainFunction().AddVariable(name.toStdString());
            Calculator->MainFunction().SetVarValue(name.toStdString(), value.toDouble());
        }
        Dialog = std::make_unique<TVarValuesDlg>();
        Dialog->SetMathFunction(&Calculator->MainFunction());
        Dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(Dialog.get()));
        Dialog->VarGrid->setFocus();
    }

private slots:
    void TextsAndNames() {
        Open({});
        QCOMPARE(Dialog->windowTitle(), QString("Variablenwerte"));
        QCOMPARE(Dialog->OKBtn->text(), QString("OK"));
        QCOMPARE(Dialog->CancelBtn->text(), QString("Abbruch"));
        QCOMPARE(Dialog->HelpBtn->text(), QString("&Hilfe"));
        QCOMPARE(Dialog->StandardBtn->text(), QString("Standard"));
        QCOMPARE(Dialog->VarGrid->columnCount(), 2);
        QCOMPARE(Dialog->size(), QSize(274, 185));
        for (const char* name : {"VarGrid", "OKBtn", "CancelBtn", "HelpBtn", "StandardBtn"})
            QVERIFY2(Dialog->findChild<QWidget*>(name) != nullptr, name);
    }

    void FillsInStoreOrderWithDisplayText() {
        Open({{"y", "2.5"}, {"Pi", "3.14159265358979323846"}, {"a", "1e20"}});
        QCOMPARE(GridRows(Dialog->VarGrid),
                 TRows({{"a", "1E+20"}, {"Pi", "3,14159265358979"}, {"y", "2,5"}}));
    }

    void OkWithoutEditsKeepsShownValues() {
        Open({{"x", "0.1"}, {"Pi", "3.14159265358979323846"}});
        QTest::keyClick(Dialog->VarGrid, Qt::Key_Return);
        QCOMPARE(Dialog->result(), int(QDialog::Accepted));
        QCOMPARE(StoreRows(Calculator->MainFunction()),
                 TRows({{"Pi", "3.14159265358979"}, {"x", "0.1"}}));
    }

    void StandardThenOkHoldsExactlyPiAndE() {
        Open({{"x", "1"}, {"y", "2"}, {"z", "3"}});
        QTest::mouseClick(Dialog->StandardBtn, Qt::LeftButton);
        QCOMPARE(GridRows(Dialog->VarGrid),
                 TRows({{"Pi", "3,14159265358979"}, {"e", "2,71828182845905"}}));
        QTest::mouseClick(Dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(StoreRows(Calculator->MainFunction()),
                 TRows({{"e", "2.71828182845905"}, {"Pi", "3.14159265358979"}}));
    }

    void DeleteEveryRowEmptiesTheStore() {
        Open({{"x", "1"}, {"y", "2"}});
        QTest::keyClick(Dialog->VarGrid, Qt::Key_Delete);
        QTest::keyClick(Dialog->VarGrid, Qt::Key_Delete);
        QCOMPARE(Dialog->VarGrid->rowCount(), 0);
        QTest::keyClick(Dialog->VarGrid, Qt::Key_Delete);
        QTest::mouseClick(Dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(Calculator->MainFunction().VarCount(), 0);

        TCalcRequest request;
        request.InputLines = {"a+b"};
        Calculator->RunCalculation(request);
        QCOMPARE(StoreRows(Calculator->MainFunction()), TRows({{"a", "0"}, {"b", "0"}}));
    }

    void InsertMovesRowsDown() {
        Open({{"a", "1"}, {"b", "2"}, {"c", "3"}});
        Dialog->VarGrid->setCurrentCell(1, 0);
        QTest::keyClick(Dialog->VarGrid, Qt::Key_Insert);
        QCOMPARE(GridRows(Dialog->VarGrid), TRows({{"a", "1"}, {"", ""}, {"b", "2"}, {"c", "3"}}));
        QCOMPARE(Dialog->VarGrid->currentRow(), 1);
    }

    void TypedRowsReplaceTheStore() {
        Open({{"a", "1"}});
        QTest::keyClick(Dialog->VarGrid, Qt::Key_Insert);
        TypeIntoCell(Dialog->VarGrid, 0, 0, "x");
        TypeIntoCell(Dialog->VarGrid, 0, 1, "2,5");
        TypeIntoCell(Dialog->VarGrid, 1, 1, "abc");
        QTest::keyClick(Dialog->VarGrid, Qt::Key_Insert);
        TypeIntoCell(Dialog->VarGrid, 1, 0, "X");
        TypeIntoCell(Dialog->VarGrid, 1, 1, "7");
        QCOMPARE(GridRows(Dialog->VarGrid), TRows({{"x", "2,5"}, {"X", "7"}, {"a", "abc"}}));
        QVERIFY2(Dialog->isVisible(), "Enter in a cell must not close the dialog");
        QTest::mouseClick(Dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(StoreRows(Calculator->MainFunction()), TRows({{"a", "0"}, {"x", "7"}}));
    }

    void CancelDiscardsEveryEdit() {
        Open({{"a", "1"}, {"b", "2"}});
        TypeIntoCell(Dialog->VarGrid, 0, 1, "9");
        QTest::keyClick(Dialog->VarGrid, Qt::Key_Delete);
        QTest::keyClick(Dialog->VarGrid, Qt::Key_Escape);
        QCOMPARE(Dialog->result(), int(QDialog::Rejected));
        QCOMPARE(StoreRows(Calculator->MainFunction()), TRows({{"a", "1"}, {"b", "2"}}));
    }

    void OkCommitsTheCellBeingEdited() {
        Open({{"a", "1"}});
        Dialog->VarGrid->setCurrentCell(0, 1);
        QTest::keyClick(Dialog->VarGrid, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, "4");
        QTest::mouseClick(Dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(StoreRows(Calculator->MainFunction()), TRows({{"a", "4"}}));
    }

    void HelpOpensItsContext() {
        Open({});
        QTest::mouseClick(Dialog->HelpBtn, Qt::LeftButton);
        QVERIFY(OpenHelpViewer() != nullptr);
        QCOMPARE(OpenHelpViewer()->Browser()->source().fragment(), QString("kontext20000"));
        CloseHelpViewer();
        QTest::keyClick(Dialog->VarGrid, Qt::Key_F1);
        QVERIFY(OpenHelpViewer() != nullptr);
        QCOMPARE(OpenHelpViewer()->Browser()->source().fragment(), QString("kontext20000"));
    }

    void cleanup() {
        Dialog.reset();
        Calculator.reset();
        TGuiTest::cleanup();
    }
};

NIMBREL_GUI_TEST(TVarsDlgTest)
#include "VarsDlgTest.moc"
