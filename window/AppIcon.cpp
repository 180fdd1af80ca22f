#include "window/AppIcon.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace {

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, size);
    gradient.setColorAt(0, QColor(0x3a, 0x6e, 0xe0));
    gradient.setColorAt(1, QColor(0x14, 0x3c, 0x9a));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    const qreal margin = size / 16.0;
    painter.drawRoundedRect(QRectF(margin, margin, size - 2 * margin, size - 2 * margin),
                            size / 6.0, size / 6.0);
    QFont font;
    font.setFamilies({"DejaVu Serif", "Liberation Serif", "serif"});
    font.setPixelSize(size * 5 / 8);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QString::fromUtf8("∫x"));
    return pixmap;
}

} // namespace

QIcon NimbrelIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(DrawIcon(size));
    return icon;
}
