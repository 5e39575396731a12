#pragma once
// The "What's New?" dialog: the notes of this version from Tips.rtf, with the
// check box "Show this on startup". Confirming after a click on the box stores
// the program version in the settings, so the notes stop appearing at start-up
// until the version changes.

#include <QDialog>
#include <string>

class QCheckBox;
class QPushButton;
class QTextBrowser;
class QTextDocument;
class TDialogs;

class TWhatsNewForm : public QDialog {
    Q_OBJECT
  public:
    explicit TWhatsNewForm(QWidget* parent = nullptr);

    void SetNotes(std::unique_ptr<QTextDocument> notes);
    void CheckBox1Click();
    void Button1Click();

    // The check box was clicked at least once.
    bool Changed = false;

    QTextBrowser* RichEdit1;
    QCheckBox* CheckBox1;
    QPushButton* Button1;
};

// Runs the notes dialog of programDir's Tips.rtf. Nothing is shown when the
// file is missing or cannot be read. OK on a changed dialog writes version to
// SYSTEM/Version of settingsFile. Returns whether the dialog was shown.
bool ShowWhatsNew(const std::string& programDir, const std::string& settingsFile, const std::string& version,
                  bool showCheckBox, TDialogs& dialogs, QWidget* parent = nullptr);
