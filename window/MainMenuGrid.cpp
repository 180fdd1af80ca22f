#include "window/MainMenuGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QWidgetAction>

namespace {

// Menus read "&" as the mnemonic marker; names are shown as they are.
QString MenuText(const QString& text) {
    QString escaped = text;
    return escaped.replace('&', "&&");
}

void CloseOpenMenus() {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (qobject_cast<QMenu*>(popup) == nullptr) break;
        popup->close();
    }
}

} // namespace

TMenuGrid::TMenuGrid(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

TMenuGrid* TMenuGrid::AddTo(QMenu* menu) {
    auto* grid = new TMenuGrid;
    auto* action = new QWidgetAction(menu);
    action->setDefaultWidget(grid);
    menu->addAction(action);
    return grid;
}

void TMenuGrid::SetItems(const QStringList& texts) {
    Texts = texts;
    Current = -1;
    updateGeometry();
    resize(sizeHint());
    update();
}

QStyleOptionMenuItem TMenuGrid::ItemOption(const QString& text) const {
    QStyleOptionMenuItem option;
    option.initFrom(this);
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.checkType = QStyleOptionMenuItem::NotCheckable;
    option.text = MenuText(text);
    option.menuRect = rect();
    option.maxIconWidth = 0;
    option.reservedShortcutWidth = 0;
    option.state = QStyle::State_Enabled;
    option.font = font();
    return option;
}

QSize TMenuGrid::ItemSize() const {
    // Sized by the style as a menu sizes its items, so no name is cut.
    const QFontMetrics metrics(font());
    QSize largest;
    for (const QString& text : Texts) {
        const QStyleOptionMenuItem option = ItemOption(text);
        const QSize content(metrics.horizontalAdvance(option.text), metrics.height());
        largest = largest.expandedTo(
            style()->sizeFromContents(QStyle::CT_MenuItem, &option, content, this));
    }
    return largest;
}

int TMenuGrid::ColumnCount() const {
    return (ItemCount() + RowsPerColumn - 1) / RowsPerColumn;
}

QRect TMenuGrid::ItemRect(int index) const {
    const QSize item = ItemSize();
    return {QPoint(index / RowsPerColumn * item.width(), index % RowsPerColumn * item.height()),
            item};
}

QSize TMenuGrid::sizeHint() const {
    if (Texts.isEmpty()) return {0, 0};
    const QSize item = ItemSize();
    return {ColumnCount() * item.width(), std::min(ItemCount(), RowsPerColumn) * item.height()};
}

int TMenuGrid::IndexAt(const QPoint& pos) const {
    for (int i = 0; i < ItemCount(); ++i)
        if (ItemRect(i).contains(pos)) return i;
    return -1;
}

void TMenuGrid::SetCurrentIndex(int index) {
    if (index < -1 || index >= ItemCount() || index == Current) return;
    Current = index;
    update();
}

void TMenuGrid::Choose(int index, Qt::KeyboardModifiers modifiers) {
    if (index < 0 || index >= ItemCount()) return;
    const QString text = Texts[index];
    CloseOpenMenus();
    emit Chosen(index, text, modifiers);
}

void TMenuGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int i = 0; i < ItemCount(); ++i) {
        QStyleOptionMenuItem option = ItemOption(Texts[i]);
        option.rect = ItemRect(i);
        if (i == Current) option.state |= QStyle::State_Selected;
        style()->drawControl(QStyle::CE_MenuItem, &option, &painter, this);
    }
}

void TMenuGrid::mouseMoveEvent(QMouseEvent* event) {
    SetCurrentIndex(IndexAt(event->position().toPoint()));
}

void TMenuGrid::mousePressEvent(QMouseEvent* event) {
    // The menu would close on a press it does not know; the release chooses.
    event->accept();
}

void TMenuGrid::mouseReleaseEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (index >= 0 && event->button() == Qt::LeftButton) Choose(index, event->modifiers());
}

void TMenuGrid::leaveEvent(QEvent*) {
    SetCurrentIndex(-1);
}

void TMenuGrid::showEvent(QShowEvent*) {
    Current = -1;
    setFocus(Qt::PopupFocusReason);
}

bool TMenuGrid::JumpToLetter(const QString& letter) {
    for (int step = 1; step <= ItemCount(); ++step) {
        const int index = (std::max(Current, -1) + step) % ItemCount();
        if (Texts[index].startsWith(letter, Qt::CaseInsensitive)) {
            SetCurrentIndex(index);
            return true;
        }
    }
    return false;
}

void TMenuGrid::keyPressEvent(QKeyEvent* event) {
    const int count = ItemCount();
    if (count == 0) {
        event->ignore();
        return;
    }
    const int current = std::max(Current, 0);
    const int column = current / RowsPerColumn;
    switch (event->key()) {
    case Qt::Key_Down:
        SetCurrentIndex(Current < 0 ? 0 : (Current + 1) % count);
        return;
    case Qt::Key_Up:
        SetCurrentIndex(Current <= 0 ? count - 1 : Current - 1);
        return;
    case Qt::Key_Right:
        if (column + 1 < ColumnCount())
            SetCurrentIndex(std::min(current + RowsPerColumn, count - 1));
        return;
    case Qt::Key_Left:
        if (column == 0) {
            // Back to the parent menu, as in any submenu.
            event->ignore();
            return;
        }
        SetCurrentIndex(current - RowsPerColumn);
        return;
    case Qt::Key_Home:
        SetCurrentIndex(0);
        return;
    case Qt::Key_End:
        SetCurrentIndex(count - 1);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (Current >= 0) Choose(Current, event->modifiers());
        return;
    default:
        break;
    }
    if (!event->text().isEmpty() && event->text().at(0).isLetterOrNumber() &&
        JumpToLetter(event->text()))
        return;
    event->ignore();
}
