#include "window/VarsDlg.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>

#include "app/VarTable.h"
#include "functions/MthTrFnc.h"
#include "window/MainFonts.h"
#include "window/MainHelp.h"

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int top) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(191, top, 75, 25);
    return button;
}

} // namespace

TVarValuesDlg::TVarValuesDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("VarValuesDlg");
    setWindowTitle("Variablenwerte");
    setFont(FontWithFallback("MS Sans Serif", 11));
    setFixedSize(274, 185);
    SetHelpContext(this, HelpContextVariables);
    InstallHelpKey(this);

    VarGrid = new QTableWidget(0, 2, this);
    VarGrid->setObjectName("VarGrid");
    VarGrid->setGeometry(8, 8, 175, 169);
    VarGrid->setHorizontalHeaderLabels({QString(), QString()});
    VarGrid->verticalHeader()->hide();
    VarGrid->setColumnWidth(0, 44);
    // The value column takes the rest, so a value of 15 digits is readable.
    VarGrid->horizontalHeader()->setStretchLastSection(true);
    VarGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    VarGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    VarGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    VarGrid->setToolTip("Einfg: Hinzufügen einer neuen Variablen\n"
                        "Entf: Entfernen der ausgewählten Variablen");
    VarGrid->installEventFilter(this);

    OKBtn = MakeButton(this, "OKBtn", "OK", 8);
    CancelBtn = MakeButton(this, "CancelBtn", "Abbruch", 40);
    HelpBtn = MakeButton(this, "HelpBtn", "&Hilfe", 72);
    StandardBtn = MakeButton(this, "StandardBtn", "Standard", 152);
    OKBtn->setDefault(true);
    OKBtn->setAutoDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [] { ShowHelpContext(HelpContextVariables); });
    connect(StandardBtn, &QPushButton::clicked, this, &TVarValuesDlg::StandardBtnClick);
}

void TVarValuesDlg::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TVarValuesDlg::done(int result) {
    if (result != QDialog::Rejected) FormClose();
    QDialog::done(result);
}

bool TVarValuesDlg::eventFilter(QObject* watched, QEvent* event) {
    // While a cell is edited its editor gets the keys, so these reach the table only between edits.
    if (watched == VarGrid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Insert) {
            InsertRow();
            return true;
        }
        if (key == Qt::Key_Delete) {
            DeleteRow();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TVarValuesDlg::keyPressEvent(QKeyEvent* event) {
    // Enter ends the edit of a cell; only outside an edit does it mean OK.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QWidget* focused = focusWidget();
    if (enter && focused != nullptr && focused != VarGrid && VarGrid->isAncestorOf(focused)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TVarValuesDlg::FormShow() {
    const std::vector<TVarRow> rows =
        MathFunction != nullptr ? VariableRows(*MathFunction) : std::vector<TVarRow>{};
    VarGrid->verticalHeader()->setDefaultSectionSize(QFontMetrics(VarGrid->font()).height() + 4);
    VarGrid->horizontalHeader()->setFixedHeight(QFontMetrics(VarGrid->font()).height() + 4);
    FillRows(rows);
    if (!rows.empty()) VarGrid->setCurrentCell(0, 0);
}

void TVarValuesDlg::FormClose() {
    if (MathFunction == nullptr) return;
    // Moving the current cell commits an open editor.
    VarGrid->setCurrentIndex(QModelIndex());
    std::vector<TVarRow> rows;
    for (int row = 0; row < VarGrid->rowCount(); ++row) {
        const QTableWidgetItem* name = VarGrid->item(row, 0);
        const QTableWidgetItem* value = VarGrid->item(row, 1);
        rows.push_back({name != nullptr ? name->text().toStdString() : std::string(),
                        value != nullptr ? value->text().toStdString() : std::string()});
    }
    ApplyVariableRows(*MathFunction, rows);
}

void TVarValuesDlg::StandardBtnClick() {
    FillRows(StandardVariableRows());
}

void TVarValuesDlg::FillRows(const std::vector<TVarRow>& rows) {
    VarGrid->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        SetRow(static_cast<int>(i), QString::fromStdString(rows[i].Name),
               QString::fromStdString(rows[i].Value));
}

void TVarValuesDlg::InsertRow() {
    const int current = VarGrid->currentRow();
    const int row = current >= 0 ? current : VarGrid->rowCount();
    VarGrid->insertRow(row);
    SetRow(row, QString(), QString());
    VarGrid->setCurrentCell(row, 0);
}

void TVarValuesDlg::DeleteRow() {
    const int current = VarGrid->currentRow();
    if (current < 0) return;
    VarGrid->removeRow(current);
}

void TVarValuesDlg::SetRow(int row, const QString& name, const QString& value) {
    VarGrid->setItem(row, 0, new QTableWidgetItem(name));
    VarGrid->setItem(row, 1, new QTableWidgetItem(value));
}
