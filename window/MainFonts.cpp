#include "window/MainFonts.h"

#include <QStringList>

QFont FontWithFallback(const QString& family, int pixelSize) {
    QFont font;
    font.setFamilies({family, "Liberation Sans", "DejaVu Sans"});
    font.setPixelSize(pixelSize);
    return font;
}
