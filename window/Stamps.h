// A label that shows when a file was last changed.
#pragma once

#include <QLabel>

enum TTimeStampDisplay { dtString, dtNumber };

class TTimeStamp : public QLabel {
    Q_OBJECT
public:
    explicit TTimeStamp(QWidget* parent = nullptr);
    // The file whose time is shown; the program file unless another is set.
    void SetFileName(const QString& fileName);
    // dtString: date and time in the locale's form; dtNumber: the seconds since 1970.
    void SetDisplay(TTimeStampDisplay display);
    TTimeStampDisplay Display() const { return DisplayMode; }

private:
    void Refresh();

    QString FileName;
    TTimeStampDisplay DisplayMode = dtString;
};
