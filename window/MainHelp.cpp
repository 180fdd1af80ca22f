#include "window/MainHelp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const char* const HelpContextProperty = "helpContext";
const char* const ContentsAnchor = "inhalt";

QString& HelpFileOverride() {
    static QString fileName;
    return fileName;
}

QPointer<THelpViewer>& Viewer() {
    static QPointer<THelpViewer> viewer;
    return viewer;
}

QString AnchorOf(int context) {
    return context > 0 ? QStringLiteral("kontext%1").arg(context) : QString(ContentsAnchor);
}

} // namespace

QString HelpFileName() {
    if (!HelpFileOverride().isEmpty()) return HelpFileOverride();
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString beside = programDir + "/Nimbrel.html";
    if (QFileInfo::exists(beside)) return beside;
    return QFileInfo(programDir + "/../share/nimbrel/Nimbrel.html").absoluteFilePath();
}

void SetHelpFileName(const QString& fileName) {
    HelpFileOverride() = fileName;
}

void SetHelpContext(QWidget* widget, int context) {
    widget->setProperty(HelpContextProperty, context);
}

int HelpContextOf(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant context = w->property(HelpContextProperty);
        if (context.isValid() && context.toInt() != 0) return context.toInt();
    }
    return 0;
}

void InstallHelpKey(QWidget* form) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), form);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, form, [form] {
        QWidget* focused = form->focusWidget();
        ShowHelpContext(HelpContextOf(focused != nullptr ? focused : form));
    });
}

void ShowHelpContext(int context) {
    if (Viewer().isNull()) Viewer() = new THelpViewer;
    // A modal dialog blocks every window but its own; as one of them the help stays usable
    // while the dialog that asked for it is open.
    if (const QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
        Viewer()->winId();
        if (QWindow* handle = Viewer()->windowHandle(); handle != nullptr)
            handle->setTransientParent(modal->windowHandle());
    }
    Viewer()->ShowAnchor(AnchorOf(context));
    Viewer()->show();
    Viewer()->raise();
    Viewer()->activateWindow();
}

void ShowHelpContents() {
    ShowHelpContext(0);
}

THelpViewer* OpenHelpViewer() {
    return Viewer().data();
}

void CloseHelpViewer() {
    delete Viewer().data();
}

THelpViewer::THelpViewer() {
    setObjectName("HelpViewer");
    setWindowTitle("Nimbrel – Hilfe");
    resize(560, 640);

    BrowserView = new QTextBrowser(this);
    BrowserView->setObjectName("HelpBrowser");
    BrowserView->setOpenExternalLinks(true);

    auto* contentsButton = new QPushButton("&Inhalt", this);
    contentsButton->setObjectName("HelpContentsBtn");
    auto* backButton = new QPushButton("&Zurück", this);
    backButton->setObjectName("HelpBackBtn");
    connect(contentsButton, &QPushButton::clicked, this, [this] { ShowAnchor(ContentsAnchor); });
    connect(backButton, &QPushButton::clicked, BrowserView, &QTextBrowser::backward);
    connect(BrowserView, &QTextBrowser::backwardAvailable, backButton, &QPushButton::setEnabled);
    backButton->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton);
    buttons->addWidget(backButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(BrowserView);

    auto* closeKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);
}

void THelpViewer::ShowAnchor(const QString& anchor) {
    const QString fileName = HelpFileName();
    if (!QFileInfo::exists(fileName)) {
        BrowserView->setHtml(QStringLiteral("<p>Die Hilfedatei „%1“ wurde nicht gefunden.</p>")
                                 .arg(fileName.toHtmlEscaped()));
        return;
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
    url.setFragment(anchor);
    BrowserView->setSource(url);
}
