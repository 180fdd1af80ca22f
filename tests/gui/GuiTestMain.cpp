// Runs the window test class named by the first argument on the offscreen platform, with the
// configuration folder moved to a temporary one so no real settings are touched.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "GuiTest.h"
#include "app/IniHelp.h"
#include "platform/Locale.h"
#include "window/MainHelp.h"

namespace {

std::map<std::string, TGuiTestFactory>& Registry() {
    static std::map<std::string, TGuiTestFactory> registry;
    return registry;
}

} // namespace

bool RegisterGuiTest(const char* name, TGuiTestFactory factory) {
    Registry()[name] = std::move(factory);
    return true;
}

void TGuiTest::init() {
    Watchdog = std::make_unique<TModalWatchdog>();
    SettingsDir = std::make_unique<QTemporaryDir>();
    SettingsFile = SettingsDir->filePath("nimbrel.ini");
    SetIniFileName(SettingsFile.toStdString());
    SetDecimalSeparator(',');
}

void TGuiTest::cleanup() {
    CloseHelpViewer();
    const QStringList unexpected = Watchdog->Unexpected;
    const int pending = Watchdog->PendingExpectations();
    Watchdog.reset();
    SettingsDir.reset();
    ResetDecimalSeparator();
    QVERIFY2(unexpected.isEmpty(), qPrintable("Unerwartet geöffnet: " + unexpected.join("; ")));
    QCOMPARE(pending, 0);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    if (argc < 2 || Registry().count(argv[1]) == 0) {
        std::fprintf(stderr, "usage: %s CLASS [QTest options]; classes:", argv[0]);
        for (const auto& entry : Registry())
            std::fprintf(stderr, " %s", entry.first.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    const std::string className = argv[1];
    std::vector<char*> testArgs{argv[0]};
    for (int i = 2; i < argc; ++i)
        testArgs.push_back(argv[i]);
    QApplication app(argc, argv);
    SetHelpFileName(NIMBREL_HELP_FILE);
    const std::unique_ptr<QObject> test = Registry()[className]();
    return QTest::qExec(test.get(), static_cast<int>(testArgs.size()), testArgs.data());
}
