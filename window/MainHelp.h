// The help window: one for the program, opened at the section of a help context.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

constexpr int HelpContextMain = 10000;
constexpr int HelpContextVariables = 20000;
constexpr int HelpContextFunctions = 30000;

// The help document beside the program, or in the installed data folder.
QString HelpFileName();
// Another document, for tests.
void SetHelpFileName(const QString& fileName);

// The context a control answers F1 with: its own, else the nearest parent's; 0 for none.
void SetHelpContext(QWidget* widget, int context);
int HelpContextOf(const QWidget* widget);
// F1 anywhere in the form opens the help at the context of the focused control.
void InstallHelpKey(QWidget* form);

void ShowHelpContext(int context);
void ShowHelpContents();
// The open help window, or null.
class THelpViewer* OpenHelpViewer();
// Closes and destroys the help window; called before the application ends.
void CloseHelpViewer();

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    THelpViewer();
    // Loads the document when needed and scrolls to the anchor; the contents for an empty one.
    void ShowAnchor(const QString& anchor);
    QTextBrowser* Browser() const { return BrowserView; }

private:
    QTextBrowser* BrowserView;
};
