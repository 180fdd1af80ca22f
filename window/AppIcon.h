// The program's icon, drawn rather than loaded so it needs no image plugin.
#pragma once

#include <QIcon>

QIcon NimbrelIcon();
