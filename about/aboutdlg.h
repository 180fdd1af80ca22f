// The information dialog: title, version, legal notice, links, the settings file, text pages
// and live system figures.
#pragma once

#include <QStringList>

class QWidget;

// The "&Info..." command: shows the dialog modally with one page per text and the mail
// address on its mail line.
void ShowAboutBox(QWidget* parent, const QStringList& texts, const QString& mailAddress);
