// The shell's share of the main window: the start-up notes, the Help menu and
// the settings read at the first show.
#include "editor/MainUnit.h"

#include "editor/AboutUnit.h"
#include "editor/ProgramVersion.h"
#include "editor/WhatsNewUnit.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QUrl>
#include <filesystem>

void TMainForm::CreateHelpMenu() {
    FileVersion = ProgramFileVersion();
    auto action = [this](const char* name, const char* caption, void (TMainForm::*handler)()) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    Help2 = action("Help2", "Help", &TMainForm::Help2Click);
    Help2->setShortcut(QKeySequence(QStringLiteral("F1")));
    WhatsNew1 = action("WhatsNew1", "What's New...", &TMainForm::WhatsNew1Click);
    About1 = action("About1", "About...", &TMainForm::About1Click);
    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help1->addAction(Help2);
    Help1->addAction(WhatsNew1);
    Help1->addSeparator();
    Help1->addAction(About1);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setSingleShot(true);
    Timer2->setInterval(100);
    connect(Timer2, &QTimer::timeout, this, &TMainForm::Timer2Timer);
}

std::string TMainForm::ReadDefaultFile() {
    const TIniFile settings(SettingsFileName());
    // An unreadable settings file costs the last file only; the program runs on.
    if (!settings.Readable())
        FDialogs.MessageDlg("The settings file " + settings.FileName() +
                                " cannot be read. Frameloom starts with the sample animation.",
                            "Warning", mtWarning, mbOK);
    return settings.ReadString("START", "DefaultFile");
}

void TMainForm::Timer2Timer() {
    Timer2->stop();
    const std::string stored = TIniFile(SettingsFileName()).ReadString("SYSTEM", "Version");
    if (stored == FileVersion) return;
    ShowWhatsNew(ProgramDir, SettingsFileName(), FileVersion, true, FDialogs, this);
}

void TMainForm::WhatsNew1Click() {
    const std::string stored = TIniFile(SettingsFileName()).ReadString("SYSTEM", "Version");
    ShowWhatsNew(ProgramDir, SettingsFileName(), FileVersion, stored != FileVersion, FDialogs, this);
}

void TMainForm::Help2Click() {
    const std::string page = (std::filesystem::path(ProgramDir) / "help" / "index.html").string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(page, ec)) {
        FDialogs.MessageDlg("The help pages are missing: " + page + " was not found.", "Error", mtError,
                            mbOK);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page))))
        FDialogs.MessageDlg("No program of the desktop could open the help page " + page + ".", "Error",
                            mtError, mbOK);
}

void TMainForm::About1Click() {
    TAboutBox box(FileVersion, this);
    FDialogs.ShowModal(box);
}
