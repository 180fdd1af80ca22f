// The main window's popup menus: functions, variables, history and the menu of all commands.
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "functions/FuncList.h"
#include "functions/MthTrFnc.h"
#include "window/InfoAdd.h"
#include "window/Main.h"
#include "window/MainHelp.h"
#include "window/MainMenuGrid.h"
#include "window/aboutdlg.h"

namespace {

const char* const HelpContextProperty = "helpContext";
constexpr int HistoryItemWidth = 400;

// A history entry as one menu line: its line breaks marked, "&" kept as text, long ones cut.
QString HistoryItemText(const QString& entry, const QFontMetrics& metrics) {
    QString text = entry;
    text.replace("\r\n", "\n").replace('\r', '\n').replace('\n', QStringLiteral(" \u21B5 "));
    text = metrics.elidedText(text, Qt::ElideRight, HistoryItemWidth);
    return text.replace('&', "&&");
}

// The menu recomputes its size only when one of its entries reports a change.
void RefreshMenuSize(QMenu* menu) {
    if (menu->actions().isEmpty()) return;
    QAction* action = menu->actions().first();
    action->setData(action->data().toInt() + 1);
}

// Keeps both pieces of text for the history: the entry itself, not the menu's rendering of it.
QString EntryOf(const QAction* action) {
    return action->data().toString();
}

} // namespace

const char* const TMainForm::SupportMail = SupportMailAddress;

void TMainForm::CreateMenus() {
    FuncPopupMenu = new QMenu(this);
    FuncPopupMenu->setObjectName("FuncPopupMenu");
    FuncPopupMenu->setProperty(HelpContextProperty, HelpContextFunctions);
    FuncGrid = TMenuGrid::AddTo(FuncPopupMenu);
    FuncGrid->setObjectName("FuncGrid");
    connect(FuncPopupMenu, &QMenu::aboutToShow, this, [this] {
        if (FuncGrid->ItemCount() == 0) FillFunctionGrid(FuncGrid);
        RefreshMenuSize(FuncPopupMenu);
    });

    VarPopupMenu = new QMenu(this);
    VarPopupMenu->setObjectName("VarPopupMenu");
    VarGrid = TMenuGrid::AddTo(VarPopupMenu);
    VarGrid->setObjectName("VarGrid");
    connect(VarPopupMenu, &QMenu::aboutToShow, this, [this] {
        FillVariableGrid(VarGrid);
        RefreshMenuSize(VarPopupMenu);
    });

    HistoryPopupMenu = new QMenu(this);
    HistoryPopupMenu->setObjectName("HistoryPopupMenu");

    AllPopupMenu = new QMenu(this);
    AllPopupMenu->setObjectName("AllPopupMenu");
    FunctionsSubMenu = AllPopupMenu->addMenu("&Funktionen");
    FunctionsSubMenu->setObjectName("FunctionsSubMenu");
    FunctionsSubMenu->setProperty(HelpContextProperty, HelpContextFunctions);
    FunctionsSubMenu->menuAction()->setProperty(HelpContextProperty, HelpContextFunctions);
    FunctionsSubGrid = TMenuGrid::AddTo(FunctionsSubMenu);
    FunctionsSubGrid->setObjectName("FunctionsSubGrid");
    VariablesSubMenu = AllPopupMenu->addMenu("&Variablen");
    VariablesSubMenu->setObjectName("VariablesSubMenu");
    VariablesSubGrid = TMenuGrid::AddTo(VariablesSubMenu);
    VariablesSubGrid->setObjectName("VariablesSubGrid");
    HistorySubMenu = AllPopupMenu->addMenu("&Historie");
    HistorySubMenu->setObjectName("HistorySubMenu");
    AllPopupMenu->addSeparator();
    VarValuesItem = AllPopupMenu->addAction("&Variablenwerte...");
    VarValuesItem->setObjectName("VarValuesItem");
    VarValuesItem->setProperty(HelpContextProperty, HelpContextVariables);
    GraphItem = AllPopupMenu->addAction("&Grafik...");
    GraphItem->setObjectName("GraphItem");
    GraphItem->setShortcut(QKeySequence("Ctrl+G"));
    GraphItem->setShortcutContext(Qt::WindowShortcut);
    addAction(GraphItem);
    OneLineItem = AllPopupMenu->addAction("&Einzeilig");
    OneLineItem->setObjectName("OneLineItem");
    OneLineItem->setCheckable(true);
    AllPopupMenu->addSeparator();
    HelpItem = AllPopupMenu->addAction("&Hilfe");
    HelpItem->setObjectName("Hilfe1");
    InfoItem = AllPopupMenu->addAction("&Info...");
    InfoItem->setObjectName("Info1");

    connect(AllPopupMenu, &QMenu::aboutToShow, this, &TMainForm::AllPopupMenuPopup);
    connect(VarValuesItem, &QAction::triggered, this, &TMainForm::VarValuesBtnClick);
    connect(GraphItem, &QAction::triggered, this, &TMainForm::GraphItemClick);
    connect(OneLineItem, &QAction::triggered, this, &TMainForm::OneLineItemClick);
    connect(HelpItem, &QAction::triggered, this, [] { ShowHelpContents(); });
    connect(InfoItem, &QAction::triggered, this,
            [this] { ShowAboutBox(this, InfoAdds(), QString::fromLatin1(SupportMail)); });

    for (TMenuGrid* grid : {FuncGrid, FunctionsSubGrid})
        connect(grid, &TMenuGrid::Chosen, this,
                [this](int, const QString& name, Qt::KeyboardModifiers modifiers) {
                    InsertFunctionName(name, modifiers.testFlag(Qt::ShiftModifier));
                });
    for (TMenuGrid* grid : {VarGrid, VariablesSubGrid})
        connect(
            grid, &TMenuGrid::Chosen, this,
            [this](int, const QString& name, Qt::KeyboardModifiers) { InsertVariableName(name); });
    for (QMenu* menu : {AllPopupMenu, FuncPopupMenu, FunctionsSubMenu})
        menu->installEventFilter(this);
}

void TMainForm::FillFunctionGrid(TMenuGrid* grid) {
    const TKvRealFunctionList& list = RealFunctionList();
    QStringList names;
    for (std::int32_t i = 0; i < list.Count(); ++i)
        names << QString::fromStdString(list.Strings(i));
    grid->SetItems(names);
}

void TMainForm::FillVariableGrid(TMenuGrid* grid) {
    const TKvMathTreeFunction& function = Calculator.MainFunction();
    QStringList names;
    for (std::int32_t i = 0; i < function.VarCount(); ++i)
        names << QString::fromStdString(function.GetVarName(i));
    grid->SetItems(names);
}

void TMainForm::AllPopupMenuPopup() {
    if (FunctionsSubGrid->ItemCount() == 0) FillFunctionGrid(FunctionsSubGrid);
    RefreshMenuSize(FunctionsSubMenu);
    FillVariableGrid(VariablesSubGrid);
    RefreshMenuSize(VariablesSubMenu);
    VariablesSubMenu->menuAction()->setEnabled(VariablesSubGrid->ItemCount() > 0);
    RebuildHistoryMenu(HistorySubMenu);
    HistorySubMenu->menuAction()->setEnabled(!Calculator.History.empty());
    const bool oneLine = IsOneLineMode();
    OneLineItem->setChecked(oneLine);
    OneLineItem->setEnabled(!oneLine);
}

void TMainForm::RebuildHistoryMenu(QMenu* menu) {
    menu->clear();
    const QFontMetrics metrics(menu->font());
    for (const std::string& entry : Calculator.History) {
        const QString text = QString::fromStdString(entry);
        QAction* action = menu->addAction(HistoryItemText(text, metrics));
        action->setData(text);
        connect(action, &QAction::triggered, this,
                [this, action] { ChooseHistoryEntry(EntryOf(action)); });
    }
}

void TMainForm::PopupAtLowerLeft(QMenu* menu) {
    const QRect frame = frameGeometry();
    menu->popup(QPoint(frame.left(), frame.top() + frame.height()));
}

void TMainForm::HistoryBtnClick() {
    // An empty menu would open as a bare frame.
    if (Calculator.History.empty()) return;
    HistoryPopupMenu->popup(InputMemo->mapToGlobal(QPoint(0, InputMemo->height())));
}

void TMainForm::ShowMenuHelp(QMenu* menu) {
    int context = menu->property(HelpContextProperty).toInt();
    if (const QAction* action = menu->activeAction()) {
        const int own = action->property(HelpContextProperty).toInt();
        if (own != 0) context = own;
    }
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    ShowHelpContext(context != 0 ? context : HelpContextMain);
}

void TMainForm::InsertFunctionName(const QString& name, bool wrapSelection) {
    QTextCursor cursor = InputMemo->textCursor();
    cursor.beginEditBlock();
    if (wrapSelection) {
        const int start = cursor.selectionStart();
        const int length = cursor.selectionEnd() - start;
        cursor.setPosition(start);
        cursor.insertText(name + "(");
        cursor.setPosition(cursor.position() + length);
        cursor.insertText(")");
    } else {
        cursor.insertText(name + "()");
        cursor.movePosition(QTextCursor::PreviousCharacter);
    }
    cursor.endEditBlock();
    InputMemo->setTextCursor(cursor);
    InputMemo->setFocus();
}

void TMainForm::InsertVariableName(const QString& name) {
    InputMemo->textCursor().insertText(name);
    InputMemo->setFocus();
}

void TMainForm::ChooseHistoryEntry(const QString& entry) {
    QString text = entry;
    // The box makes a line of every line break, and entries keep them as CR LF.
    text.replace("\r\n", "\n").replace('\r', '\n');
    InputMemo->setPlainText(text);
    InputMemo->moveCursor(QTextCursor::End);
    CalcButtonClick();
}
