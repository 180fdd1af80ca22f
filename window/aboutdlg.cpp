#include "window/aboutdlg.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/IniHelp.h"
#include "platform/Locale.h"
#include "platform/VersionRes.h"
#include "window/AppIcon.h"
#include "window/MainFonts.h"
#include "window/Stamps.h"

namespace {

const char* const ApplicationTitle = "Nimbrel";
const char* const LinkProperty = "linkTarget";

std::function<void(const QUrl&)>& UrlOpener() {
    static std::function<void(const QUrl&)> opener = [](const QUrl& url) {
        QDesktopServices::openUrl(url);
    };
    return opener;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& place,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    if (name != nullptr) label->setObjectName(name);
    label->setGeometry(place);
    label->setAlignment(alignment);
    return label;
}

void MakeLink(QLabel* label) {
    label->setCursor(Qt::PointingHandCursor);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
}

QString SettingsFilePath() {
    try {
        return QString::fromStdString(DefaultIniFileName());
    } catch (const std::exception&) {
        return QString();
    }
}

} // namespace

QString VersionLine(const QString& versionText, int bits) {
    return QStringLiteral("Version %1 (6) %2-Bit").arg(versionText).arg(bits);
}

QString LinkHint(const QString& text) {
    // An address that names its secure scheme keeps it too.
    const bool hasScheme = text.startsWith("http://", Qt::CaseInsensitive) ||
                           text.startsWith("https://", Qt::CaseInsensitive);
    return hasScheme ? text : "http://" + text;
}

void SetUrlOpener(std::function<void(const QUrl&)> opener) {
    UrlOpener() = std::move(opener);
}

void ShowAboutBox(QWidget* parent, const QStringList& texts, const QString& mailAddress) {
    TAboutBox box(parent);
    box.MailLabel->setText(mailAddress);
    for (const QString& text : texts)
        box.AddPage(text);
    box.exec();
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("Infos");
    const QFont dialogFont = FontWithFallback("Arial", 12);
    setFont(dialogFont);
    setFixedSize(339, 274);

    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    ProductName = MakeLabel(this, "ProductName", ApplicationTitle, {8, 6, 323, 24}, centred);
    QFont titleFont = dialogFont;
    titleFont.setPixelSize(18);
    titleFont.setBold(true);
    ProductName->setFont(titleFont);
    ProductName->setWordWrap(true);
    Version = MakeLabel(this, "Version",
                        VersionLine(QString::fromStdString(GetProductVersionText()), BuildBits()),
                        {8, 32, 323, 16}, centred);
    Copyright =
        MakeLabel(this, "Copyright", QString::fromStdString(GetVersionString("LegalCopyright")),
                  {8, 50, 323, 16}, centred);
    Copyright->setWordWrap(true);
    CommentLabel =
        MakeLabel(this, "CommentLabel", QString::fromStdString(GetVersionString("Comments")),
                  {8, 68, 323, 32}, centred);
    CommentLabel->setWordWrap(true);

    MakeLabel(this, nullptr, "URL : ", {8, 104, 52, 16}, Qt::AlignRight | Qt::AlignVCenter);
    LinkLabel = MakeLabel(this, "LinkLabel", MakerWebAddress, {60, 104, 271, 16});
    MakeLabel(this, nullptr, "Mail : ", {8, 122, 52, 16}, Qt::AlignRight | Qt::AlignVCenter);
    MailLabel = MakeLabel(this, "MailLabel", QString(), {60, 122, 271, 16});
    MakeLink(LinkLabel);
    MakeLink(MailLabel);
    LinkLabel->installEventFilter(this);
    MailLabel->installEventFilter(this);

    Notebook = new QStackedWidget(this);
    Notebook->setObjectName("Notebook");
    Notebook->setGeometry(8, 144, 323, 90);
    Notebook->setFrameShape(QFrame::StyledPanel);
    Notebook->addWidget(MakeIconPage());
    Notebook->addWidget(MakeSystemPage());

    Scroller = new QScrollBar(Qt::Horizontal, this);
    Scroller->setObjectName("Scroller");
    Scroller->setGeometry(8, 240, 232, 17);
    Scroller->setPageStep(1);
    connect(Scroller, &QScrollBar::valueChanged, Notebook, &QStackedWidget::setCurrentIndex);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(256, 238, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    TimeStamp = new TTimeStamp(this);
    TimeStamp->setObjectName("TimeStamp");
    TimeStamp->setGeometry(8, 258, 232, 14);
    QFont smallFont = dialogFont;
    smallFont.setPixelSize(10);
    TimeStamp->setFont(smallFont);
    TimeStamp->hide();

    AboutTimer = new QTimer(this);
    AboutTimer->setObjectName("AboutTimer");
    AboutTimer->setInterval(100);
    connect(AboutTimer, &QTimer::timeout, this, &TAboutBox::AboutTimerTimer);

    // The form sees keys before its controls.
    for (QWidget* control : {static_cast<QWidget*>(this), static_cast<QWidget*>(OKButton),
                             static_cast<QWidget*>(Scroller)})
        control->installEventFilter(this);
}

QWidget* TAboutBox::MakeIconPage() {
    auto* page = new QWidget;
    page->setObjectName("Icon");
    ProgramIcon = new QLabel(page);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(129, 13, 64, 64);
    ProgramIcon->setScaledContents(true);
    // The icon on the dialog's background, stretched to the picture's size.
    const QIcon icon =
        QApplication::windowIcon().isNull() ? NimbrelIcon() : QApplication::windowIcon();
    const QSize iconSize(32, 32);
    QPixmap picture(iconSize);
    picture.fill(palette().color(QPalette::Window));
    if (!icon.isNull()) {
        QPainter painter(&picture);
        icon.paint(&painter, QRect(QPoint(0, 0), iconSize));
    }
    ProgramIcon->setPixmap(picture);
    return page;
}

QWidget* TAboutBox::MakeSystemPage() {
    auto* page = new QWidget;
    page->setObjectName("System");
    auto* system = new QGroupBox("Systeminformationen", page);
    system->setGeometry(4, 2, 180, 84);
    MakeLabel(system, nullptr, "Gefüllt:", {8, 18, 50, 16});
    LoadMemGauge = new QProgressBar(system);
    LoadMemGauge->setObjectName("LoadMemGauge");
    LoadMemGauge->setGeometry(60, 18, 112, 16);
    LoadMemGauge->setRange(0, 100);
    LoadMemGauge->setValue(0);
    LoadMemGauge->setAlignment(Qt::AlignCenter);
    LoadMemGauge->setStyleSheet("QProgressBar::chunk { background-color: #1e50c8; }");
    MakeLabel(system, nullptr, "Frei: ", {8, 38, 50, 16});
    FreeMemLabel = MakeLabel(system, "FreeMemLabel", QString(), {60, 38, 112, 16});
    MhzLbLabel = MakeLabel(system, "MhzLbLabel", "Mhz:", {8, 58, 50, 16});
    MhzLbLabel->hide();
    MhzLabel = MakeLabel(system, "MhzLabel", QString(), {60, 58, 112, 16});

    auto* configuration = new QGroupBox("Konfiguration", page);
    configuration->setGeometry(188, 2, 129, 84);
    const QString settingsFile = SettingsFilePath();
    IniLabel = MakeLabel(configuration, "IniLabel", QFileInfo(settingsFile).fileName(),
                         {8, 18, 113, 58}, Qt::AlignLeft | Qt::AlignTop);
    IniLabel->setWordWrap(true);
    IniLabel->setToolTip(settingsFile);
    IniLabel->installEventFilter(this);
    return page;
}

void TAboutBox::AddPage(const QString& text) {
    auto* page = new QWidget;
    page->setObjectName(QString::number(Notebook->count()));
    auto* label = new QLabel(text, page);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(label);
    if (text.contains(MakerSecondWebAddress)) {
        label->setCursor(Qt::PointingHandCursor);
        label->setToolTip(MakerSecondWebAddress);
        label->setProperty(LinkProperty, QString(MakerSecondWebAddress));
        label->installEventFilter(this);
    }
    Notebook->addWidget(page);
}

void TAboutBox::showEvent(QShowEvent* event) {
    Scroller->setMaximum(Notebook->count() - 1);
    if (Notebook->count() <= 1) {
        Scroller->hide();
    } else {
        Scroller->setValue(0);
        Notebook->setCurrentIndex(0);
    }
    LinkLabel->setToolTip(LinkHint(LinkLabel->text()));
    AboutTimer->start();
    QDialog::showEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (FormKey(key->key(), key->text())) return true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == LinkLabel) {
            UrlOpener()(QUrl(LinkLabel->toolTip()));
        } else if (watched == MailLabel) {
            UrlOpener()(QUrl("mailto:" + MailLabel->text() + "?subject=" + ApplicationTitle +
                             ": Version " + QString::fromStdString(GetProductVersionText())));
        } else if (const QVariant link = watched->property(LinkProperty); link.isValid()) {
            UrlOpener()(QUrl(link.toString()));
        }
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == IniLabel &&
               !IniLabel->toolTip().isEmpty()) {
        UrlOpener()(QUrl::fromLocalFile(QFileInfo(IniLabel->toolTip()).absolutePath()));
    }
    return QDialog::eventFilter(watched, event);
}

bool TAboutBox::FormKey(int key, const QString& text) {
    if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
        Scroller->setValue(Scroller->value() + (key == Qt::Key_PageDown ? 1 : -1));
        return true;
    }
    if (text == "i" || text == "I") {
        TimeStamp->setVisible(!TimeStamp->isVisible());
        return true;
    }
    return false;
}

void TAboutBox::AboutTimerTimer() {
    if (Notebook->currentWidget()->objectName() != "System") return;
    const long double freeMemory =
        static_cast<long double>(SystemCheck.AvailPhysMemory() + SystemCheck.AvailPageFile()) /
        (1024.0L * 1024.0L);
    FreeMemLabel->setText(QString::fromStdString(FloatToStrFixed(freeMemory, 18, 2)) + " Mb");
    LoadMemGauge->setValue(static_cast<int>(SystemCheck.MemoryLoad()));
    const double mhz = SystemCheck.Mhz();
    MhzLabel->setText(mhz >= 0 ? QString::fromStdString(FloatToStrFixed(mhz, 5, 2)) : QString());
    MhzLbLabel->setVisible(mhz > 0);
}
