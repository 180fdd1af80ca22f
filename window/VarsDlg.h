// The variables dialog: names and values of the main function object in a table, applied as a
// whole on OK.
#pragma once

#include <QDialog>
#include <vector>

#include "app/VarTable.h"

class QPushButton;
class QTableWidget;
class TKvMathTreeFunction;

class TVarValuesDlg : public QDialog {
    Q_OBJECT
public:
    explicit TVarValuesDlg(QWidget* parent = nullptr);
    // The function object edited; not owned. Set before the dialog is shown.
    void SetMathFunction(TKvMathTreeFunction* function) { MathFunction = function; }

    QTableWidget* VarGrid;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
    QPushButton* StandardBtn;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void FormClose();
    void StandardBtnClick();
    // Insert and Delete on the table's current row.
    void InsertRow();
    void DeleteRow();
    void FillRows(const std::vector<TVarRow>& rows);
    void SetRow(int row, const QString& name, const QString& value);

    TKvMathTreeFunction* MathFunction = nullptr;
};
