// Fonts of the window program: the family a form asks for, else a metric-compatible one.
#pragma once

#include <QFont>
#include <QString>

// family at the pixel size, falling back to Liberation Sans (Arial's metrics) and DejaVu Sans.
QFont FontWithFallback(const QString& family, int pixelSize);
