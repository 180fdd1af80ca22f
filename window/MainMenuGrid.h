// A menu body that stands its items in columns of ten, for the long lists of function and
// variable names. It lives in a QMenu through a QWidgetAction, so the menu keeps its usual
// opening, closing and submenu behaviour.
#pragma once

#include <QRect>
#include <QStringList>
#include <QWidget>

class QMenu;
class QStyleOptionMenuItem;
class QWidgetAction;

class TMenuGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int RowsPerColumn = 10;

    explicit TMenuGrid(QWidget* parent = nullptr);
    // Puts the grid into the menu as its only entry.
    static TMenuGrid* AddTo(QMenu* menu);

    void SetItems(const QStringList& texts);
    int ItemCount() const { return static_cast<int>(Texts.size()); }
    const QString& ItemText(int index) const { return Texts[index]; }
    QRect ItemRect(int index) const;
    int ColumnCount() const;
    int CurrentIndex() const { return Current; }
    void SetCurrentIndex(int index);
    // Closes the menus and reports the item; the modifiers tell how it was chosen.
    void Choose(int index, Qt::KeyboardModifiers modifiers);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void Chosen(int index, const QString& text, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int IndexAt(const QPoint& pos) const;
    QSize ItemSize() const;
    QStyleOptionMenuItem ItemOption(const QString& text) const;
    // Moves to the next item whose text starts with the letter, after the current one.
    bool JumpToLetter(const QString& letter);

    QStringList Texts;
    int Current = -1;
};
