#include "window/Stamps.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

TTimeStamp::TTimeStamp(QWidget* parent)
    : QLabel(parent), FileName(QCoreApplication::applicationFilePath()) {
    setAttribute(Qt::WA_TranslucentBackground);
    Refresh();
}

void TTimeStamp::SetFileName(const QString& fileName) {
    FileName = fileName;
    Refresh();
}

void TTimeStamp::SetDisplay(TTimeStampDisplay display) {
    DisplayMode = display;
    Refresh();
}

void TTimeStamp::Refresh() {
    const QFileInfo file(FileName);
    if (!file.exists()) {
        setText(QString());
        return;
    }
    const QDateTime modified = file.lastModified();
    if (DisplayMode == dtNumber) {
        setText(QString::number(modified.toSecsSinceEpoch()));
        return;
    }
    const QLocale locale;
    setText(locale.toString(modified.date(), QLocale::ShortFormat) + " " +
            locale.toString(modified.time(), "HH:mm:ss"));
}
