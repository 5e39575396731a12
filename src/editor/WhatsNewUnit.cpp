#include "editor/WhatsNewUnit.h"

#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/RtfReader.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>

namespace {

// The notes of path; none when the file is missing, too large or not rich text.
std::unique_ptr<QTextDocument> LoadNotes(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return nullptr;
    const auto size = fs::file_size(path, ec);
    if (ec || size > MaxRtfFileSize) return nullptr;
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        return ReadRtf(text);
    } catch (const ERtfError&) {
        return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

TWhatsNewForm::TWhatsNewForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WhatsNewForm"));
    setWindowTitle(QStringLiteral("What's New?"));
    setAccessibleName(windowTitle());
    resize(520, 400);
    RichEdit1 = new QTextBrowser(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("What's New"));
    RichEdit1->setOpenLinks(false);
    CheckBox1 = new QCheckBox(QStringLiteral("Show this on startup"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addWidget(CheckBox1);
    row->addStretch(1);
    row->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RichEdit1, 1);
    layout->addLayout(row);
    connect(CheckBox1, &QCheckBox::clicked, this, &TWhatsNewForm::CheckBox1Click);
    connect(Button1, &QPushButton::clicked, this, &TWhatsNewForm::Button1Click);
}

void TWhatsNewForm::SetNotes(std::unique_ptr<QTextDocument> notes) {
    // The browser shows the document without owning it; the window takes it.
    notes->setParent(this);
    RichEdit1->setDocument(notes.release());
}

void TWhatsNewForm::CheckBox1Click() {
    Changed = true;
}

void TWhatsNewForm::Button1Click() {
    accept();
}

bool ShowWhatsNew(const std::string& programDir, const std::string& settingsFile, const std::string& version,
                  bool showCheckBox, TDialogs& dialogs, QWidget* parent) {
    std::unique_ptr<QTextDocument> notes =
        LoadNotes((std::filesystem::path(programDir) / "Tips.rtf").string());
    if (!notes) return false;
    TWhatsNewForm form(parent);
    form.SetNotes(std::move(notes));
    form.CheckBox1->setVisible(showCheckBox);
    if (dialogs.ShowModal(form) == QDialog::Accepted && form.Changed)
        TIniFile(settingsFile).WriteString("SYSTEM", "Version", version);
    return true;
}
