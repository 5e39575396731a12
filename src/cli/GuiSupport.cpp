#include "GuiSupport.h"

#include <QApplication>
#include <memory>

void EnsureGuiApplication() {
    static std::unique_ptr<QApplication> app;
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "frameloom-cli";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QApplication>(argc, argv);
}
