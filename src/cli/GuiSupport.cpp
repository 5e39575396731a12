#include "GuiSupport.h"

#include <QApplication>

void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "frameloom-cli";
    static char* argv[] = {name, nullptr};
    // Deliberately never destroyed: tearing a QApplication down from static
    // destructors at exit crashes inside Qt; the process is ending anyway.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}
