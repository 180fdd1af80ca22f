#include "window/Main.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <exception>
#include <iostream>

#include "app/CommandLineRequest.h"
#include "app/RequestSettings.h"
#include "app/Settings.h"
#include "app/SettingsFileArgument.h"
#include "app/StartUp.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "platform/SafeFile.h"
#include "window/MainGraph.h"
#include "window/MainHelp.h"
#include "window/MainProgress.h"
#include "window/VarsDlg.h"

namespace {

const char* const ApplicationTitle = "Nimbrel";
const char* const PlacementSection = "TMainForm";
// The outer size the window is designed for, less a usual frame.
constexpr int InitialClientWidth = 326;
constexpr int InitialClientHeight = 522;

// The busy pointer for as long as a calculation runs, whichever way it ends.
class TBusyPointer {
public:
    TBusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyPointer() { QApplication::restoreOverrideCursor(); }
    TBusyPointer(const TBusyPointer&) = delete;
    TBusyPointer& operator=(const TBusyPointer&) = delete;
};

std::vector<std::string> LinesOf(const QPlainTextEdit* memo) {
    std::vector<std::string> lines;
    for (const QString& line : memo->toPlainText().split('\n'))
        lines.push_back(line.toStdString());
    return lines;
}

QString JoinLines(const std::vector<std::string>& lines) {
    QStringList joined;
    for (const std::string& line : lines)
        joined << QString::fromStdString(line);
    return joined.join('\n');
}

// The calculator counts the caret in bytes of UTF-8 text; the box counts UTF-16 units.
int CharacterPosition(const QString& text, std::int32_t bytePosition) {
    const QByteArray bytes = text.toUtf8();
    const qsizetype clamped = std::clamp<qsizetype>(bytePosition, 0, bytes.size());
    return static_cast<int>(QString::fromUtf8(bytes.left(clamped)).size());
}

// Where the caret goes when lines got a "+" in front: behind the same character as before.
int CaretAfterRewrite(const QStringList& before, const QStringList& after, int line, int column) {
    if (before.size() != after.size() || line >= after.size()) return 0;
    int position = 0;
    for (int i = 0; i < line; ++i)
        position += static_cast<int>(after[i].size()) + 1;
    const int grown = static_cast<int>(after[line].size() - before[line].size());
    return position + std::clamp(column + grown, 0, static_cast<int>(after[line].size()));
}

// A spin box's number, or its lower bound when the text is no integer.
std::int32_t SpinValue(const QSpinBox* spin, std::int32_t fallback) {
    bool ok = false;
    const int value = spin->cleanText().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

std::string Text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

} // namespace

TMainForm::TMainForm(const std::vector<std::string>& parameters, QWidget* parent)
    : QWidget(parent) {
    setObjectName("MainForm");
    setWindowTitle(ApplicationTitle);
    CreateControls();
    CreateMenus();
    setMinimumWidth(MinimumClientWidth());
    resize(InitialClientWidth, InitialClientHeight);
    SetHelpContext(this, HelpContextMain);
    InstallHelpKey(this);

    // The form sees keys and right clicks before its controls.
    for (QWidget* child : findChildren<QWidget*>())
        if (child->window() == this) child->installEventFilter(this);
    for (QLineEdit* field :
         {StartEdit, DeltaEdit, DiffNumXValueEdit, IntgNumFromEdit, IntgNumToEdit, IntgNumIntvEdit,
          LenNumFromEdit, LenNumToEdit, LenNumIntvEdit})
        field->setProperty("numberField", true);

    PanelHeight = 0;
    ApplyStartParameters(parameters);
    SetClientHeight(CompactHeight());
    InputMemo->resize(InputMemo->width(), ResultEdit->height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm() {
    // Closing did not save when the window goes without being closed.
    if (!Saved) SavePlacementAndSettings(false);
}

void TMainForm::ApplyStartParameters(const std::vector<std::string>& parameters) {
    const TKvMathCommandLine commandLine(parameters);
    TCalcRequest request;
    bool panelVisible = false;
    const bool simplifyNow = ApplyCommandLine(commandLine, Calculator, request, panelVisible);

    InputMemo->setPlainText(QString::fromStdString(request.InputLines.front()));
    if (panelVisible) ScientificBtnClick();
    StartModeChosen = request.Mode != cmSimple;
    ShowRequestFields(request);
    if (simplifyNow) {
        try {
            ResultEdit->setText(QString::fromStdString(SimplifyForStart(Calculator)));
        } catch (const std::exception& e) {
            SettingsProblem = e.what();
        }
    }

    const TCommandLineHandler handler(parameters);
    SettingsFileName = handler.IniFileName;
    if (!handler.Problem.empty()) SettingsProblem = handler.Problem;
}

void TMainForm::ShowRequestFields(const TCalcRequest& request) {
    SelectMode(request.Mode);
    IterVarEdit->setText(QString::fromStdString(request.IterVar));
    StartEdit->setText(QString::fromStdString(request.StartText));
    DeltaEdit->setText(QString::fromStdString(request.DeltaText));
    MaxIterEdit->setValue(request.MaxIter);
    DiffVarEdit->setText(QString::fromStdString(request.DiffVar));
    DiffCountEdit->setValue(request.DiffCount);
    DiffNumVarEdit->setText(QString::fromStdString(request.DiffNumVar));
    DiffCountNumEdit->setValue(request.DiffNumCount);
    DiffNumXValueEdit->setText(QString::fromStdString(request.DiffNumXText));
    IntgNumVarEdit->setText(QString::fromStdString(request.IntgNumVar));
    IntgNumFromEdit->setText(QString::fromStdString(request.IntgNumFromText));
    IntgNumToEdit->setText(QString::fromStdString(request.IntgNumToText));
    IntgNumIntvEdit->setText(QString::fromStdString(request.IntgNumIntvText));
    LenNumVarEdit->setText(QString::fromStdString(request.LenNumVar));
    LenNumFromEdit->setText(QString::fromStdString(request.LenNumFromText));
    LenNumToEdit->setText(QString::fromStdString(request.LenNumToText));
    LenNumIntvEdit->setText(QString::fromStdString(request.LenNumIntvText));
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FirstShowDone) return;
    FirstShowDone = true;
    RemoveStaleTemporaryFiles(SettingsFileName);
    RestorePlacementAndSettings();
    FormShow();
}

void TMainForm::RestorePlacementAndSettings() {
    std::unique_ptr<TIniFile> file;
    try {
        file = std::make_unique<TIniFile>(SettingsFileName);
    } catch (const std::exception& e) {
        // Unreadable, the file counts as missing: the standard variables, no history.
        SettingsProblem = e.what();
        Calculator.SetStandardVariables();
    }
    if (file) {
        try {
            RestorePlacement(*file);
            bool panelVisible = PanelShown;
            RestoreSettings(*file, panelVisible, Calculator);
            PanelShown = panelVisible;
            // The mode and fields the window or the console used last, unless the command
            // line chose a mode; a hidden panel means plain evaluation.
            if (!StartModeChosen) {
                TCalcRequest fields = RequestFromControls();
                RestoreRequestFields(*file, fields);
                if (!PanelShown) fields.Mode = cmSimple;
                ShowRequestFields(fields);
            }
        } catch (const std::exception& e) {
            SettingsProblem = e.what();
        }
    }
    RebuildHistoryMenu(HistoryPopupMenu);
    ArrangePanels();
}

void TMainForm::RestorePlacement(const TIniFile& ini) {
    const int width = ini.ReadInteger(PlacementSection, "Width", 0);
    const int height = ini.ReadInteger(PlacementSection, "Height", 0);
    if (width > 0 && height > 0) {
        const QRect placed(ini.ReadInteger(PlacementSection, "Left", geometry().x()),
                           ini.ReadInteger(PlacementSection, "Top", geometry().y()), width, height);
        // A window placed on a screen that is no longer there opens where it is.
        bool onScreen = false;
        for (const QScreen* screen : QGuiApplication::screens())
            onScreen = onScreen || screen->availableGeometry().intersects(placed);
        // The place is the inner area's, as saved: the frame is the window manager's and
        // comes around it, so no start moves the window.
        if (onScreen)
            setGeometry(placed);
        else
            resize(placed.size());
    }
    if (ini.ReadBool(PlacementSection, "Maximized", false))
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::FormShow() {
    InputMemo->raise();
    SetScientificPanelVisible(PanelShown);
    setWindowTitle(ApplicationTitle);
    RenewHint();
    InputMemo->setFocus();
    // The window is mapped only after this returns: a message or a long first calculation
    // waits until then, so the window is seen behind it.
    QTimer::singleShot(0, this, [this] {
        if (!SettingsProblem.empty()) {
            ShowMessage(QString::fromStdString(SettingsProblem));
            SettingsProblem.clear();
        }
        if (!InputMemo->toPlainText().isEmpty()) CalcButtonClick();
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    SavePlacementAndSettings(!EndingBySignal);
    Saved = true;
    CloseHelpViewer();
    QWidget::closeEvent(event);
}

void TMainForm::SavePlacementAndSettings(bool reportErrors) {
    // A window that never read the file must not overwrite it with its defaults.
    if (!FirstShowDone) return;
    try {
        TIniFile ini(SettingsFileName, TIniAccess::Update);
        // The inner area, like the maximized window's normal place: pos() would add the frame.
        const QRect normal = isMaximized() ? normalGeometry() : geometry();
        ini.WriteInteger(PlacementSection, "Left", normal.x());
        ini.WriteInteger(PlacementSection, "Top", normal.y());
        ini.WriteInteger(PlacementSection, "Width", normal.width());
        ini.WriteInteger(PlacementSection, "Height", normal.height());
        ini.WriteBool(PlacementSection, "Maximized", isMaximized());
        SaveSettings(ini, PanelShown, Calculator);
        SaveRequestFields(ini, RequestFromControls());
        if (GraphForm) GraphForm->SavePlacement(ini);
        ini.UpdateFile();
    } catch (const std::exception& e) {
        // Without a window to show it in, the reason still goes where it can be read.
        if (reportErrors)
            ShowMessage(QString::fromStdString(e.what()));
        else
            std::cerr << "nimbrel: " << e.what() << '\n';
    }
}

TCalcMode TMainForm::SelectedMode() const {
    const int id = ModeGroup->checkedId();
    return id < 0 ? cmSimple : static_cast<TCalcMode>(id);
}

void TMainForm::SelectMode(TCalcMode mode) {
    ModeGroup->button(mode)->setChecked(true);
}

TCalcRequest TMainForm::RequestFromControls() const {
    TCalcRequest request;
    request.InputLines = LinesOf(InputMemo);
    request.Mode = SelectedMode();
    request.IterVar = Text(IterVarEdit);
    request.StartText = Text(StartEdit);
    request.DeltaText = Text(DeltaEdit);
    request.MaxIter = SpinValue(MaxIterEdit, 0);
    request.DiffVar = Text(DiffVarEdit);
    request.DiffCount = SpinValue(DiffCountEdit, DiffCountEdit->minimum());
    request.DiffNumVar = Text(DiffNumVarEdit);
    request.DiffNumCount = SpinValue(DiffCountNumEdit, DiffCountNumEdit->minimum());
    request.DiffNumXText = Text(DiffNumXValueEdit);
    request.IntgNumVar = Text(IntgNumVarEdit);
    request.IntgNumFromText = Text(IntgNumFromEdit);
    request.IntgNumToText = Text(IntgNumToEdit);
    request.IntgNumIntvText = Text(IntgNumIntvEdit);
    request.LenNumVar = Text(LenNumVarEdit);
    request.LenNumFromText = Text(LenNumFromEdit);
    request.LenNumToText = Text(LenNumToEdit);
    request.LenNumIntvText = Text(LenNumIntvEdit);
    return request;
}

void TMainForm::CalcButtonClick() {
    const TCalcRequest request = RequestFromControls();
    TCalcOutcome outcome;
    try {
        const TBusyPointer busy;
        // A long calculation shows its progress over the result line and can be stopped.
        TMainProgress progress(ResultEdit);
        Calculator.ProgressHook = progress.Hook();
        const struct TForgetHook {
            TCalculator& Calculator;
            ~TForgetHook() { Calculator.ProgressHook = nullptr; }
        } forget{Calculator};
        outcome = Calculator.RunCalculation(request);
    } catch (const std::exception& e) {
        if (GraphForm) GraphForm->ShowCalculation(request, nullptr);
        ShowMessage(QString::fromStdString(e.what()));
        return;
    }
    WriteOutcome(outcome);
    if (GraphForm) GraphForm->ShowCalculation(request, &outcome);
}

void TMainForm::WriteOutcome(const TCalcOutcome& outcome) {
    const QString lines = JoinLines(outcome.InputLines);
    if (lines != InputMemo->toPlainText()) {
        const QTextCursor old = InputMemo->textCursor();
        const int caret = CaretAfterRewrite(InputMemo->toPlainText().split('\n'), lines.split('\n'),
                                            old.blockNumber(), old.positionInBlock());
        InputMemo->setPlainText(lines);
        QTextCursor cursor = InputMemo->textCursor();
        cursor.setPosition(caret);
        InputMemo->setTextCursor(cursor);
    }
    if (outcome.ResultText) ResultEdit->setText(QString::fromStdString(*outcome.ResultText));
    ResultEdit->setCursorPosition(0);
    RenewResultHint();
    if (outcome.CaretPos) {
        QTextCursor cursor = InputMemo->textCursor();
        const QString text = InputMemo->toPlainText();
        cursor.setPosition(CharacterPosition(text, *outcome.CaretPos));
        InputMemo->setTextCursor(cursor);
    }
    if (outcome.HistoryChanged) RebuildHistoryMenu(HistoryPopupMenu);
}

void TMainForm::VarValuesBtnClick() {
    std::vector<std::string> lines = LinesOf(InputMemo);
    try {
        const TBusyPointer busy;
        Calculator.PrepareInput(lines);
    } catch (const std::exception& e) {
        ShowMessage(QString::fromStdString(e.what()));
        return;
    }
    TVarValuesDlg dialog(this);
    dialog.SetMathFunction(&Calculator.MainFunction());
    if (dialog.exec() != QDialog::Accepted) return;
    RenewHint();
    if (!InputMemo->toPlainText().isEmpty()) CalcButtonClick();
}

void TMainForm::RenewResultHint() {
    // A text wider than the line, a long message above all, can be read whole as its hint.
    const QString text = ResultEdit->text();
    const int frame = ResultEdit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int room = ResultEdit->width() - 2 * frame - 4;
    const bool cut = ResultEdit->fontMetrics().horizontalAdvance(text) > room;
    ResultEdit->setToolTip(cut ? text : QString());
}

void TMainForm::RenewHint() {
    QString hint = QString::fromStdString(Calculator.VariablesHint());
    InputMemo->setToolTip(hint.replace('\r', '\n'));
}

void TMainForm::ShowMessage(const QString& text) {
    QMessageBox box(QMessageBox::Warning, ApplicationTitle, text, QMessageBox::Ok, this);
    box.exec();
}

void TMainForm::InputMemoContextMenu(const QPoint& globalPos) {
    const std::unique_ptr<QMenu> menu(InputMemo->createStandardContextMenu());
    menu->setObjectName("InputMemoMenu");
    // Ctrl+A opens the variables menu here, so "select all" shows no shortcut.
    for (QAction* action : menu->actions())
        if (action->objectName() == "select-all")
            action->setText(action->text().section('\t', 0, 0));
    menu->exec(globalPos);
}

bool TMainForm::HitsBackground(const QWidget* widget, const QPoint& point) {
    // A click a control let pass (the input box does, after opening its own menu) reaches its
    // panel too; only the panel itself or a caption on it is background.
    const QWidget* hit = widget->childAt(point);
    return hit == nullptr || qobject_cast<const QLabel*>(hit) != nullptr;
}

bool TMainForm::IsNumberField(const QObject* object) const {
    return object->property("numberField").toBool();
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        CalcButtonClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TMainForm::InputMemoKeyPress(QKeyEvent* event, bool& handled) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    if (enter || event->text() == "=") {
        CalcButtonClick();
        // In several lines Enter also breaks the line, after the calculation of the text before.
        // The break is a plain one whatever the modifiers: the box would make Shift+Enter a
        // break inside the line, which one-line mode could not see.
        if (enter && !IsOneLineMode()) {
            InputMemo->textCursor().insertBlock();
            InputMemo->ensureCursorVisible();
        }
        handled = true;
        return;
    }
    if (control && event->key() == Qt::Key_F) {
        handled = true;
        PopupAtLowerLeft(FuncPopupMenu);
    } else if (control && event->key() == Qt::Key_A) {
        handled = true;
        PopupAtLowerLeft(VarPopupMenu);
    } else if (event->key() == Qt::Key_Down && event->modifiers().testFlag(Qt::AltModifier)) {
        handled = true;
        PopupAtLowerLeft(AllPopupMenu);
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            if (key->key() == Qt::Key_F1) {
                ShowMenuHelp(menu);
                return true;
            }
            break;
        }
        if (watched == InputMemo) {
            bool handled = false;
            InputMemoKeyPress(key, handled);
            if (handled) return true;
            break;
        }
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && watched->isWidgetType() &&
            !InputMemo->isAncestorOf(static_cast<QWidget*>(watched))) {
            CalcButtonClick();
            return true;
        }
        break;
    }
    case QEvent::ContextMenu:
        // From the mouse it comes to the box's viewport, from the menu key to the box.
        if (watched == InputMemo || watched == InputMemo->viewport()) {
            InputMemoContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        break;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool background = watched == SimpleCalcBtn || watched == SimplifyBtn ||
                                watched == InputPanel || watched == DownPanel ||
                                watched == ResultPanel || watched == ScientificPanel ||
                                watched->parent() == ScientificPanel;
        if (background && mouse->button() == Qt::RightButton &&
            HitsBackground(static_cast<QWidget*>(watched), mouse->position().toPoint())) {
            AllPopupMenu->popup(mouse->globalPosition().toPoint());
            return true;
        }
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Only a move to another control leaves the field; a dialog or menu on top does not.
        if (IsNumberField(watched) && !RefocusingField && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason) {
            auto* field = static_cast<QLineEdit*>(watched);
            // Checked after the focus has moved, so the message box does not interrupt it.
            QTimer::singleShot(0, this, [this, field] { CheckNumberField(field); });
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::CheckNumberField(QLineEdit* field) {
    if (CheckingField) return;
    CheckingField = true;
    long double value = 0;
    QString message;
    if (!TryStrToFloat(Text(field), value))
        message = "Hier muß eine reelle Zahl eingegeben werden!";
    // The curve length's width gets the number check only: leaving it at 0 has never
    // complained, and the calculation refuses such a width with its own message.
    else if ((field == DeltaEdit || field == IntgNumIntvEdit) && !(value > 0))
        message = "Der Wert muß größer 0 sein!";
    if (!message.isEmpty()) {
        ShowMessage(message);
        // The control the user went to loses the focus again; that is no leaving of it.
        RefocusingField = true;
        field->setFocus();
        field->selectAll();
        RefocusingField = false;
    }
    CheckingField = false;
}
