// The main window: input box, result line and the scientific panel with the calculation modes.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Calculator.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class QToolButton;
class TMenuGrid;
class TGraphForm;
class TIniFile;

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // parameters: the command line without the program name.
    explicit TMainForm(const std::vector<std::string>& parameters, QWidget* parent = nullptr);
    ~TMainForm() override;

    // One calculation from the controls; the outcome goes back into them.
    void CalcButtonClick();
    // Shows or hides the scientific panel, keeping the window's layout rules.
    void SetScientificPanelVisible(bool visible);
    void ScientificBtnClick();
    void OneLineItemClick();
    void VarValuesBtnClick();
    // Opens the graph window, which from then on follows every calculation.
    void GraphItemClick();
    // Puts name( before and ) after the selection with wrap, else name() in its place.
    void InsertFunctionName(const QString& name, bool wrapSelection);
    void InsertVariableName(const QString& name);
    // The entry goes into the input box and is calculated.
    void ChooseHistoryEntry(const QString& entry);

    TCalcMode SelectedMode() const;
    void SelectMode(TCalcMode mode);
    // The request as the controls describe it.
    TCalcRequest RequestFromControls() const;

    // Twice the result line's height, plus the panel's while that is shown.
    int CompactHeight() const;
    bool IsOneLineMode() const;

    // SIGHUP and SIGTERM (a logout) close the window, which saves once; then ended gets the
    // signal's number, to end the program also while a dialog is open.
    void EndOnSignals(const std::function<void(int)>& ended);

    // The settings file this window reads and writes.
    const std::string& IniFileName() const { return SettingsFileName; }

    TCalculator Calculator;

    QWidget* InputPanel;
    QPlainTextEdit* InputMemo;
    QToolButton* HistoryBtn;
    QToolButton* VarValuesBtn;
    QToolButton* CalcButton;
    QWidget* DownPanel;
    QWidget* ResultPanel;
    QLineEdit* ResultEdit;
    QToolButton* ScientificBtn;
    QWidget* ScientificPanel;

    QWidget* SimpleCalcPanel;
    QRadioButton* SimpleCalcBtn;
    QRadioButton* SimplifyBtn;
    QWidget* IterationPanel;
    QRadioButton* UseIterationBtn;
    QLineEdit* IterVarEdit;
    QLineEdit* StartEdit;
    QLineEdit* DeltaEdit;
    QSpinBox* MaxIterEdit;
    QWidget* DiffPanel;
    QRadioButton* UseDiffBtn;
    QLineEdit* DiffVarEdit;
    QSpinBox* DiffCountEdit;
    QRadioButton* UseIntgBtn;
    QWidget* DiffNumPanel;
    QRadioButton* UseDiffNumBtn;
    QLineEdit* DiffNumVarEdit;
    QSpinBox* DiffCountNumEdit;
    QLineEdit* DiffNumXValueEdit;
    QWidget* IntgNumPanel;
    QRadioButton* UseIntgNumBtn;
    QLineEdit* IntgNumVarEdit;
    QLineEdit* IntgNumFromEdit;
    QLineEdit* IntgNumToEdit;
    QLineEdit* IntgNumIntvEdit;
    QWidget* Panel1;
    QRadioButton* UseLenNumBtn;
    QLineEdit* LenNumVarEdit;
    QLineEdit* LenNumFromEdit;
    QLineEdit* LenNumToEdit;
    QLineEdit* LenNumIntvEdit;

    QMenu* AllPopupMenu;
    QMenu* FuncPopupMenu;
    QMenu* VarPopupMenu;
    QMenu* HistoryPopupMenu;
    QMenu* FunctionsSubMenu;
    QMenu* VariablesSubMenu;
    QMenu* HistorySubMenu;
    QAction* VarValuesItem;
    QAction* GraphItem;
    TGraphForm* GraphForm = nullptr;
    QAction* OneLineItem;
    QAction* HelpItem;
    QAction* InfoItem;
    TMenuGrid* FuncGrid;
    TMenuGrid* VarGrid;
    TMenuGrid* FunctionsSubGrid;
    TMenuGrid* VariablesSubGrid;

    // The support address the information dialog offers.
    static const char* const SupportMail;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building (MainLayout.cpp).
    void CreateControls();
    void CreateInputArea();
    void CreateResultLine();
    void CreateScientificPanel();
    void ArrangeRows();
    int MinimumClientWidth() const;
    // Layout rules.
    void FormResize();
    void InputPanelResize();
    void ResultPanelResize();
    void ArrangePanels();
    void SetClientHeight(int height);
    void InputMemoChange();
    void SetWordWrap(bool on);

    // Menus (MainMenus.cpp).
    void CreateMenus();
    void FillFunctionGrid(TMenuGrid* grid);
    void FillVariableGrid(TMenuGrid* grid);
    void AllPopupMenuPopup();
    void RebuildHistoryMenu(QMenu* menu);
    void PopupAtLowerLeft(QMenu* menu);
    void HistoryBtnClick();
    void ShowMenuHelp(QMenu* menu);

    // Start, settings and checks (Main.cpp).
    void ApplyStartParameters(const std::vector<std::string>& parameters);
    // Puts the mode and the fields of a request into the panel's controls.
    void ShowRequestFields(const TCalcRequest& request);
    void FormShow();
    void RestorePlacementAndSettings();
    void RestorePlacement(const TIniFile& ini);
    void SavePlacementAndSettings(bool reportErrors);
    void WriteOutcome(const TCalcOutcome& outcome);
    void InputMemoKeyPress(QKeyEvent* event, bool& handled);
    // The check of any number field just left (not only the start field the name comes from):
    // a message, and the focus back, when it holds no number, or when Newton's bound or the
    // Simpson width is not above 0.
    void CheckNumberField(QLineEdit* field);
    void ShowMessage(const QString& text);
    void RenewHint();
    void RenewResultHint();
    bool IsNumberField(const QObject* object) const;
    void InputMemoContextMenu(const QPoint& globalPos);
    static bool HitsBackground(const QWidget* widget, const QPoint& point);

    QButtonGroup* ModeGroup;
    std::string SettingsFileName;
    // A folder of the settings location that could not be created, reported once shown.
    std::string SettingsProblem;
    // The scientific panel's height while shown; 0 until it is first shown or hidden.
    int PanelHeight = 0;
    bool PanelShown = false;
    // The command line chose the mode; the saved one is not restored then.
    bool StartModeChosen = false;
    bool FirstShowDone = false;
    bool Saved = false;
    bool EndingBySignal = false;
    bool CheckingField = false;
    bool RefocusingField = false;
    // Set while the window itself changes its height, so the resize rules do not recurse.
    bool Resizing = false;
};
