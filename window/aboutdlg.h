// The information dialog: title, version, legal notice, links, the settings file, text pages
// and live system figures.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

#include "window/SysComp.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QStackedWidget;
class QTimer;
class QUrl;
class TTimeStamp;

constexpr const char* MakerWebAddress = "nimbrel.example.org";
constexpr const char* MakerSecondWebAddress = "http://nimbrel.example.org/tipps";
constexpr const char* SupportMailAddress = "hilfe@nimbrel.example.org";

// The "&Info..." command: shows the dialog modally with one page per text and the mail
// address on its mail line.
void ShowAboutBox(QWidget* parent, const QStringList& texts, const QString& mailAddress);

// "Version 1.2.3.4 (6) 64-Bit".
QString VersionLine(const QString& versionText, int bits);
// The address a link label opens: its text, with "http://" in front unless it has a web scheme.
QString LinkHint(const QString& text);
// Links, mails and folders go to the desktop's default handler; tests put a recorder here.
void SetUrlOpener(std::function<void(const QUrl&)> opener);

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    // One text page more, named after the page count before it.
    void AddPage(const QString& text);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* CommentLabel;
    QLabel* LinkLabel;
    QLabel* MailLabel;
    TTimeStamp* TimeStamp;
    QScrollBar* Scroller;
    QStackedWidget* Notebook;
    QLabel* ProgramIcon;
    QProgressBar* LoadMemGauge;
    QLabel* FreeMemLabel;
    QLabel* MhzLabel;
    QLabel* MhzLbLabel;
    QLabel* IniLabel;
    QPushButton* OKButton;
    QTimer* AboutTimer;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* MakeIconPage();
    QWidget* MakeSystemPage();
    void AboutTimerTimer();
    // The key handling the dialog sees before its controls; true when the key was used.
    bool FormKey(int key, const QString& text);

    TSystem SystemCheck;
};
