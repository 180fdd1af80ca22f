// nimbrel: the calculator's window.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <clocale>
#include <exception>
#include <string>
#include <vector>

#include "window/AppIcon.h"
#include "window/Main.h"
#include "window/MainHelp.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt takes the user's locale for the C library; numbers in the calculator's own texts use
    // a point, and the user's separator is handled by the calculator itself.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Nimbrel");
    QGuiApplication::setDesktopFileName("nimbrel");
    // The installed icon where the desktop has it, else the one drawn in code.
    QApplication::setWindowIcon(QIcon::fromTheme("nimbrel", NimbrelIcon()));

    // The toolkit's own texts (context menus, buttons) in German like the rest.
    QTranslator translator;
    if (translator.load(QLocale(QLocale::German), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);

    const QStringList arguments = QApplication::arguments();
    std::vector<std::string> parameters;
    // --grafik opens the graph window beside the main window.
    bool showGraph = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--grafik") showGraph = true;
        else parameters.push_back(arguments[i].toStdString());
    }

    int status = 0;
    try {
        TMainForm form(parameters);
        form.EndOnSignals([](int signal) { QApplication::exit(128 + signal); });
        form.show();
        if (showGraph) QTimer::singleShot(0, &form, [&form] { form.GraphItemClick(); });
        status = QApplication::exec();
        CloseHelpViewer();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "Nimbrel", QString::fromStdString(e.what()));
        status = 1;
    }
    return status;
}
