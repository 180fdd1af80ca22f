// Window tests: QtTest classes registered by name, run one class per test process.
#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>

#include "Watchdog.h"

// Base of every window test class: a watchdog and a temporary settings file per test function.
class TGuiTest : public QObject {
    Q_OBJECT
protected slots:
    void init();
    void cleanup();

protected:
    std::unique_ptr<TModalWatchdog> Watchdog;
    std::unique_ptr<QTemporaryDir> SettingsDir;
    QString SettingsFile;
};

using TGuiTestFactory = std::function<std::unique_ptr<QObject>()>;
bool RegisterGuiTest(const char* name, TGuiTestFactory factory);

#define NIMBREL_GUI_TEST(Class)                                                                    \
    static const bool Class##Registered =                                                          \
        RegisterGuiTest(#Class, [] { return std::unique_ptr<QObject>(new Class); });
