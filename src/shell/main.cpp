// The editor's entry: the application object, the dialogs, the main window.
#include "editor/GuardedApplication.h"
#include "editor/MainUnit.h"
#include "platform/DialogsQt.h"

int main(int argc, char** argv) {
    TGuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Frameloom"));
    // No display name: the platform would add it to every window title, and the
    // captions are exactly "Frameloom", "Frameloom - path" and the dialogs' own.
    TQtDialogs dialogs;
    TMainForm form(dialogs);
    dialogs.SetParent(&form);
    app.SetDialogs(&dialogs);
    // A file named on the command line replaces the last saved file or the sample.
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) form.StartFile = args.at(1).toStdString();
    form.show();
    const int status = app.exec();
    app.SetDialogs(nullptr); // the dialogs go before the application object
    return status;
}
