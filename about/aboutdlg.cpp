#include "about/aboutdlg.h"

void ShowAboutBox(QWidget*, const QStringList&, const QString&) {}
