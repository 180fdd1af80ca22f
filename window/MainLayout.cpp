// The main window's controls and the rules that place them when the window changes size.
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>

#include "window/Main.h"

namespace {

constexpr int ResultPanelHeight = 32;
constexpr int ScientificPanelHeight = 258;
constexpr int ButtonSize = 24;
constexpr int Margin = 4;
constexpr int RowHeights[] = {24, 49, 48, 48, 48, 48};
const QString ArrowDown = QStringLiteral("\u25BC");
const QString ArrowUp = QStringLiteral("\u25B2");

const char* const VariableHint = "Differenzierungs-/Integrationsvariable";
const char* const IntervalHint = "Intervallbreite für das Simpsonverfahren";

QFont PixelFont(int pixels) {
    // Arial where installed; fontconfig maps it to a metric twin, else to the sans-serif face.
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

QIcon HistoryIcon(const QColor& color) {
    // A list with a pointer to it: the earlier inputs to choose from.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(color, 1));
    for (int y : {4, 8, 12})
        painter.drawLine(6, y, 14, y);
    painter.setBrush(color);
    painter.drawPolygon(QPolygon({QPoint(1, 5), QPoint(4, 8), QPoint(1, 11)}));
    return QIcon(pixmap);
}

QToolButton* MakeSmallButton(QWidget* parent, const char* name, const QString& text,
                             const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    button->resize(ButtonSize, ButtonSize);
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const std::string& text, const QString& hint,
                    int width = 0) {
    auto* edit = new QLineEdit(QString::fromStdString(text), parent);
    edit->setObjectName(name);
    edit->setToolTip(hint);
    if (width > 0)
        edit->setFixedWidth(width);
    else // At its narrowest a field still shows its starting value whole ("1e-20").
        edit->setMinimumWidth(
            std::max(34, edit->fontMetrics().horizontalAdvance(edit->text()) + 14));
    return edit;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& text = {}) {
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(name);
    return radio;
}

QSpinBox* MakeSpin(QWidget* parent, const char* name, int minimum, int value, int width) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(minimum, INT_MAX);
    spin->setValue(value);
    spin->setFixedWidth(width);
    return spin;
}

// A row of the scientific panel: an optional title above one line of controls.
QHBoxLayout* MakeRow(QWidget* parent, QWidget*& row, const char* name, const char* titleName,
                     const QString& title) {
    row = new QWidget(parent);
    row->setObjectName(name);
    auto* layout = new QVBoxLayout(row);
    layout->setContentsMargins(4, title.isEmpty() ? 3 : 1, 6, 0);
    layout->setSpacing(2);
    if (!title.isEmpty()) {
        QLabel* label = MakeLabel(row, titleName, title);
        label->setFont(PixelFont(11));
        layout->addWidget(label);
    }
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    layout->addLayout(line);
    layout->addStretch();
    return line;
}

} // namespace

void TMainForm::CreateControls() {
    setFont(PixelFont(13));
    CreateInputArea();
    CreateResultLine();
    CreateScientificPanel();
}

void TMainForm::CreateInputArea() {
    InputPanel = new QWidget(this);
    InputPanel->setObjectName("InputPanel");
    InputMemo = new QPlainTextEdit(InputPanel);
    InputMemo->setObjectName("InputMemo");
    InputMemo->setTabChangesFocus(true);
    InputMemo->document()->setDocumentMargin(2);
    InputMemo->setGeometry(Margin, Margin, 200, ButtonSize);
    SetWordWrap(false);
    HistoryBtn = MakeSmallButton(InputPanel, "HistoryBtn", {}, "Vorige Ausdrücke");
    HistoryBtn->setIcon(HistoryIcon(palette().color(QPalette::ButtonText)));
    VarValuesBtn = MakeSmallButton(InputPanel, "VarValuesBtn", "...", "Variablen Werte zuweisen");
    CalcButton = MakeSmallButton(InputPanel, "CalcButton", "=", {});
    CalcButton->move(0, Margin);

    connect(CalcButton, &QToolButton::clicked, this, &TMainForm::CalcButtonClick);
    connect(VarValuesBtn, &QToolButton::clicked, this, &TMainForm::VarValuesBtnClick);
    connect(HistoryBtn, &QToolButton::clicked, this, &TMainForm::HistoryBtnClick);
    connect(InputMemo, &QPlainTextEdit::textChanged, this, &TMainForm::InputMemoChange);
}

void TMainForm::CreateResultLine() {
    DownPanel = new QWidget(this);
    DownPanel->setObjectName("DownPanel");
    ResultPanel = new QWidget(DownPanel);
    ResultPanel->setObjectName("ResultPanel");
    ResultPanel->resize(width(), ResultPanelHeight);
    ResultEdit = new QLineEdit(ResultPanel);
    ResultEdit->setObjectName("ResultEdit");
    ResultEdit->setReadOnly(true);
    ResultEdit->setGeometry(Margin, Margin, 200, ButtonSize);
    ScientificBtn = MakeSmallButton(ResultPanel, "ScientificBtn", ArrowDown, {});
    ScientificBtn->setFont(PixelFont(11));
    ScientificBtn->move(0, Margin);
    connect(ScientificBtn, &QToolButton::clicked, this, &TMainForm::ScientificBtnClick);
}

void TMainForm::CreateScientificPanel() {
    ScientificPanel = new QWidget(DownPanel);
    ScientificPanel->setObjectName("ScientificPanel");
    ScientificPanel->resize(width(), ScientificPanelHeight);
    ScientificPanel->hide();
    QWidget* const panel = ScientificPanel;

    QHBoxLayout* line = MakeRow(panel, SimpleCalcPanel, "SimpleCalcPanel", "", {});
    SimpleCalcBtn = MakeRadio(SimpleCalcPanel, "SimpleCalcBtn", "Einfache Berechnung");
    SimplifyBtn = MakeRadio(SimpleCalcPanel, "SimplifyBtn", "Vereinfachung");
    line->addWidget(SimpleCalcBtn);
    line->addSpacing(12);
    line->addWidget(SimplifyBtn);
    line->addStretch();

    const TCalcRequest defaults;
    line = MakeRow(panel, IterationPanel, "IterationPanel", "IterationTitle",
                   "Näherungsverfahren (Newton)");
    UseIterationBtn = MakeRadio(IterationPanel, "UseIterationBtn");
    IterVarEdit =
        MakeEdit(IterationPanel, "IterVarEdit", defaults.IterVar, "Iterationsvariable", 28);
    StartEdit =
        MakeEdit(IterationPanel, "StartEdit", defaults.StartText, "Startwert für die Iterationen");
    DeltaEdit = MakeEdit(IterationPanel, "DeltaEdit", defaults.DeltaText,
                         "Wenn dieser Wert unterschritten wird, \n"
                         "dann wird das Ergebnis als richtig betrachtet.");
    MaxIterEdit = MakeSpin(IterationPanel, "MaxIterEdit", INT_MIN, defaults.MaxIter, 62);
    MaxIterEdit->setToolTip("Dies ist die Obergrenze für die Iterationen,\n"
                            "falls das Näherungsverfahren fehlschlägt.");
    line->addWidget(UseIterationBtn);
    line->addWidget(IterVarEdit);
    line->addWidget(MakeLabel(IterationPanel, "StartLabel", "Start"));
    line->addWidget(StartEdit, 1);
    line->addWidget(MakeLabel(IterationPanel, "DeltaLabel", "Delta"));
    line->addWidget(DeltaEdit, 1);
    line->addWidget(MakeLabel(IterationPanel, "MaxIterLabel", "Max.It."));
    line->addWidget(MaxIterEdit);

    line = MakeRow(panel, DiffPanel, "DiffPanel", "DiffTitle", "Differenzierung / Stammfunktion");
    UseDiffBtn = MakeRadio(DiffPanel, "UseDiffBtn");
    DiffVarEdit = MakeEdit(DiffPanel, "DiffVarEdit", defaults.DiffVar, VariableHint, 28);
    DiffCountEdit = MakeSpin(DiffPanel, "DiffCountEdit", 1, defaults.DiffCount, 56);
    UseIntgBtn = MakeRadio(DiffPanel, "UseIntgBtn", "Stammfunktion");
    line->addWidget(UseDiffBtn);
    line->addWidget(DiffVarEdit);
    line->addWidget(DiffCountEdit);
    line->addWidget(MakeLabel(DiffPanel, "DiffCountLabel", "Ableitung"));
    line->addStretch();
    line->addWidget(UseIntgBtn);

    line =
        MakeRow(panel, DiffNumPanel, "DiffNumPanel", "DiffNumTitle", "Differenzierung (numerisch)");
    DiffNumPanel->setToolTip("Durch Rundungsfehler ist das Ergebnis \n"
                             "ab der 2. Ableitung kaum brauchbar.");
    UseDiffNumBtn = MakeRadio(DiffNumPanel, "UseDiffNumBtn");
    DiffNumVarEdit =
        MakeEdit(DiffNumPanel, "DiffNumVarEdit", defaults.DiffNumVar, VariableHint, 28);
    DiffCountNumEdit = MakeSpin(DiffNumPanel, "DiffCountNumEdit", 1, defaults.DiffNumCount, 56);
    DiffNumXValueEdit = MakeEdit(DiffNumPanel, "DiffNumXValueEdit", defaults.DiffNumXText, {});
    line->addWidget(UseDiffNumBtn);
    line->addWidget(DiffNumVarEdit);
    line->addWidget(DiffCountNumEdit);
    line->addWidget(MakeLabel(DiffNumPanel, "DiffNumCountLabel", "Ableitung"));
    line->addSpacing(8);
    line->addWidget(MakeLabel(DiffNumPanel, "DiffNumXLabel", "Stelle"));
    line->addWidget(DiffNumXValueEdit, 1);

    line = MakeRow(panel, IntgNumPanel, "IntgNumPanel", "IntgNumTitle",
                   "Integration (numerisch, Simpson)");
    UseIntgNumBtn = MakeRadio(IntgNumPanel, "UseIntgNumBtn");
    IntgNumVarEdit =
        MakeEdit(IntgNumPanel, "IntgNumVarEdit", defaults.IntgNumVar, VariableHint, 28);
    IntgNumFromEdit = MakeEdit(IntgNumPanel, "IntgNumFromEdit", defaults.IntgNumFromText, {});
    IntgNumToEdit = MakeEdit(IntgNumPanel, "IntgNumToEdit", defaults.IntgNumToText, {});
    IntgNumIntvEdit =
        MakeEdit(IntgNumPanel, "IntgNumIntvEdit", defaults.IntgNumIntvText, IntervalHint);
    QLabel* intgIntv = MakeLabel(IntgNumPanel, "IntgNumIntvLabel", "Intv");
    intgIntv->setToolTip(IntervalHint);
    line->addWidget(UseIntgNumBtn);
    line->addWidget(IntgNumVarEdit);
    line->addWidget(MakeLabel(IntgNumPanel, "IntgNumFromLabel", "von"));
    line->addWidget(IntgNumFromEdit, 1);
    line->addWidget(MakeLabel(IntgNumPanel, "IntgNumToLabel", "bis"));
    line->addWidget(IntgNumToEdit, 1);
    line->addWidget(intgIntv);
    line->addWidget(IntgNumIntvEdit, 1);

    line = MakeRow(panel, Panel1, "Panel1", "LenNumTitle", "Länge von Punkt zu Punkt (numerisch)");
    Panel1->setToolTip("Weitere Informationen zu diesem Verfahren in der Hilfe");
    UseLenNumBtn = MakeRadio(Panel1, "UseLenNumBtn");
    LenNumVarEdit = MakeEdit(Panel1, "LenNumVarEdit", defaults.LenNumVar, VariableHint, 28);
    LenNumFromEdit = MakeEdit(Panel1, "LenNumFromEdit", defaults.LenNumFromText, {});
    LenNumToEdit = MakeEdit(Panel1, "LenNumToEdit", defaults.LenNumToText, {});
    LenNumIntvEdit = MakeEdit(Panel1, "LenNumIntvEdit", defaults.LenNumIntvText, IntervalHint);
    QLabel* lenIntv = MakeLabel(Panel1, "LenNumIntvLabel", "Intv");
    lenIntv->setToolTip(IntervalHint);
    line->addWidget(UseLenNumBtn);
    line->addWidget(LenNumVarEdit);
    line->addWidget(MakeLabel(Panel1, "LenNumFromLabel", "von"));
    line->addWidget(LenNumFromEdit, 1);
    line->addWidget(MakeLabel(Panel1, "LenNumToLabel", "bis"));
    line->addWidget(LenNumToEdit, 1);
    line->addWidget(lenIntv);
    line->addWidget(LenNumIntvEdit, 1);

    // The radio buttons stand in different rows; one group keeps exactly one mode selected.
    ModeGroup = new QButtonGroup(this);
    const QRadioButton* const buttons[] = {SimpleCalcBtn, SimplifyBtn, UseIterationBtn,
                                           UseDiffBtn,    UseIntgBtn,  UseDiffNumBtn,
                                           UseIntgNumBtn, UseLenNumBtn};
    for (int mode = cmSimple; mode <= cmCurveLength; ++mode)
        ModeGroup->addButton(const_cast<QRadioButton*>(buttons[mode]), mode);
    ModeGroup->setExclusive(true);
    SimpleCalcBtn->setChecked(true);
}

int TMainForm::MinimumClientWidth() const {
    // The widest row of the panel at its smallest, and beside the three buttons some room to
    // type: below that the controls would overlap or be cut off.
    constexpr int MinimumInputWidth = 60;
    int width = 3 * ButtonSize + 5 * Margin + MinimumInputWidth;
    for (const QWidget* row :
         {SimpleCalcPanel, IterationPanel, DiffPanel, DiffNumPanel, IntgNumPanel, Panel1})
        width = std::max(width, row->minimumSizeHint().width());
    return width;
}

void TMainForm::ArrangeRows() {
    const QWidget* const rows[] = {SimpleCalcPanel, IterationPanel, DiffPanel,
                                   DiffNumPanel,    IntgNumPanel,   Panel1};
    int top = 0;
    for (int i = 0; i < 6; ++i) {
        const_cast<QWidget*>(rows[i])->setGeometry(0, top, ScientificPanel->width(), RowHeights[i]);
        top += RowHeights[i];
    }
}

int TMainForm::CompactHeight() const {
    return 2 * ResultPanel->height() + (PanelShown ? ScientificPanel->height() : 0);
}

bool TMainForm::IsOneLineMode() const {
    return height() <= CompactHeight();
}

void TMainForm::SetClientHeight(int height) {
    if (height == this->height()) return;
    Resizing = true;
    resize(width(), height);
    Resizing = false;
    ArrangePanels();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!Resizing) FormResize();
}

void TMainForm::FormResize() {
    if (height() < CompactHeight()) SetClientHeight(CompactHeight());
    ArrangePanels();
}

void TMainForm::ArrangePanels() {
    const int panel = PanelHeight > 0 ? PanelHeight : ScientificPanel->height();
    const int down = ResultPanel->height() + (PanelShown ? panel : 0);
    if (minimumHeight() != CompactHeight()) setMinimumHeight(CompactHeight());
    DownPanel->setGeometry(0, height() - down, width(), down);
    ResultPanel->setGeometry(0, down - ResultPanel->height(), width(), ResultPanel->height());
    // Hidden, the panel keeps its height: showing it again asks for that height.
    ScientificPanel->setGeometry(
        0, 0, width(), PanelShown ? down - ResultPanel->height() : ScientificPanel->height());
    ScientificPanel->setVisible(PanelShown);
    ArrangeRows();
    InputPanel->setGeometry(0, 0, width(), std::max(0, height() - down));
    ResultPanelResize();
    InputPanelResize();
}

void TMainForm::InputPanelResize() {
    const int w = InputPanel->width();
    const int h = InputPanel->height();
    const int m = CalcButton->y();
    const int b = CalcButton->width();
    const int memoOffset = InputMemo->y();
    SetWordWrap(h > ResultEdit->height() + 2 * memoOffset);
    CalcButton->move(w - CalcButton->width() - m, m);
    int memoRight;
    if (h < 3 * ResultPanel->height()) {
        HistoryBtn->move(w - 3 * b - 3 * m, CalcButton->y());
        VarValuesBtn->move(w - 2 * b - 2 * m, CalcButton->y());
        memoRight = HistoryBtn->x();
    } else {
        HistoryBtn->move(CalcButton->x(), 2 * m + b);
        VarValuesBtn->move(CalcButton->x(), 3 * m + 2 * b);
        memoRight = CalcButton->x();
    }
    InputMemo->setGeometry(InputMemo->x(), memoOffset, std::max(0, memoRight - 2 * InputMemo->x()),
                           std::max(0, h - 2 * memoOffset));
    if (ResultPanel->height() >= h) InputMemoChange();
}

void TMainForm::ResultPanelResize() {
    ScientificBtn->move(ResultPanel->width() - ScientificBtn->y() - ScientificBtn->width(),
                        ScientificBtn->y());
    ResultEdit->setGeometry(ResultEdit->x(), ResultEdit->y(),
                            std::max(0, ScientificBtn->x() - 2 * ResultEdit->x()), ButtonSize);
    RenewResultHint();
}

void TMainForm::SetWordWrap(bool on) {
    InputMemo->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    // One line has no room for scroll bars; the text scrolls with the caret.
    InputMemo->setVerticalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    InputMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TMainForm::InputMemoChange() {
    if (!IsOneLineMode()) return;
    // The plain text shows every kind of break as a line feed, the breaks inside a line
    // (Shift+Enter, pasted line separators) too, which a count of lines would miss.
    QString text = InputMemo->toPlainText();
    if (!text.contains('\n') && !text.contains('\r')) return;
    // Each line break is one character in the box, so the caret keeps its place.
    const int caret = InputMemo->textCursor().position();
    text.replace('\n', ' ').replace('\r', ' ');
    InputMemo->setPlainText(text);
    QTextCursor cursor = InputMemo->textCursor();
    cursor.setPosition(std::min(caret, static_cast<int>(text.size())));
    InputMemo->setTextCursor(cursor);
}

void TMainForm::SetScientificPanelVisible(bool visible) {
    if (PanelHeight == 0) PanelHeight = ScientificPanel->height();
    const int inputHeight = InputPanel->height();
    const int resultHeight = ResultPanel->height();
    PanelShown = visible;
    if (visible) {
        ScientificBtn->setText(ArrowUp);
        ArrangePanels();
        FormResize();
    } else {
        if (resultHeight >= inputHeight) {
            setMinimumHeight(CompactHeight());
            SetClientHeight(CompactHeight());
        }
        ScientificBtn->setText(ArrowDown);
        FormResize();
    }
}

void TMainForm::ScientificBtnClick() {
    SetScientificPanelVisible(!PanelShown);
    if (PanelShown) {
        SelectMode(cmSimple);
        FormResize();
    }
}

void TMainForm::OneLineItemClick() {
    SetClientHeight(CompactHeight());
    SetWordWrap(false);
}
