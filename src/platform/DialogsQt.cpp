#include "platform/DialogsQt.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QStringList>

#include <algorithm>

namespace {

QString ToQ(const std::string& s) {
    return QString::fromStdString(s);
}

QMessageBox::Icon IconFor(TMsgDlgType type) {
    switch (type) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString QtNameFilters(const std::string& filter) {
    const QStringList parts = ToQ(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // A description that names its patterns already, "GIF files (*.gif)", keeps only its text.
        if (description.endsWith(QLatin1Char(')'))) {
            const int open = description.lastIndexOf(QLatin1Char('('));
            if (open > 0) description = description.left(open).trimmed();
        }
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.trimmed());
    }
    return filters.join(QStringLiteral(";;"));
}

QString SuffixOfNameFilter(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = nameFilter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open) return {};
    const QStringList patterns =
        nameFilter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (patterns.size() != 1 || !patterns[0].startsWith(QStringLiteral("*."))) return {};
    const QString suffix = patterns[0].mid(2);
    if (suffix.isEmpty() || suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?'))) return {};
    return suffix;
}

TModalResult TQtDialogs::MessageDlg(const std::string& text, const std::string& caption, TMsgDlgType type,
                                    unsigned buttons) {
    return DetailedMessageDlg(text, caption, type, buttons, {});
}

TModalResult TQtDialogs::DetailedMessageDlg(const std::string& text, const std::string& caption,
                                            TMsgDlgType type, unsigned buttons, const std::string& details) {
    QMessageBox box(IconFor(type), ToQ(caption), ToQ(text), QMessageBox::NoButton, FParent);
    if (!details.empty()) box.setInformativeText(ToQ(details));
    if (buttons & mbYes) box.addButton(QMessageBox::Yes);
    if (buttons & mbNo) box.addButton(QMessageBox::No);
    if (buttons & mbOK) box.addButton(QMessageBox::Ok);
    if (buttons & mbCancel) box.addButton(QMessageBox::Cancel);
    if (buttons == 0) box.addButton(QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return mrYes;
    case QMessageBox::No:
        return mrNo;
    case QMessageBox::Ok:
        return mrOk;
    default:
        return mrCancel;
    }
}

std::vector<std::string> TQtDialogs::OpenDialog(const TFileDialogOptions& options) {
    QFileDialog dialog(FParent, ToQ(options.Title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.MultiSelect ? QFileDialog::ExistingFiles
                       : options.MustExist ? QFileDialog::ExistingFile
                                           : QFileDialog::AnyFile);
    dialog.setNameFilter(QtNameFilters(options.Filter));
    if (!options.DefaultExt.empty()) dialog.setDefaultSuffix(ToQ(options.DefaultExt));
    if (!options.FileName.empty()) dialog.selectFile(ToQ(options.FileName));
    std::vector<std::string> files;
    if (dialog.exec() != QDialog::Accepted) return files;
    for (const QString& file : dialog.selectedFiles()) files.push_back(file.toStdString());
    return files;
}

std::string TQtDialogs::RunSaveDialog(const TFileDialogOptions& options) {
    QFileDialog dialog(FParent, ToQ(options.Title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QtNameFilters(options.Filter));
    if (!options.DefaultExt.empty()) dialog.setDefaultSuffix(ToQ(options.DefaultExt));
    // A bare name takes the extension of the filter the user picked (the
    // default extension under a filter of several patterns).
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &options](const QString& filter) {
                         const QString suffix = SuffixOfNameFilter(filter);
                         dialog.setDefaultSuffix(!suffix.isEmpty() ? suffix : ToQ(options.DefaultExt));
                     });
    if (!options.FileName.empty()) dialog.selectFile(ToQ(options.FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}

bool TQtDialogs::ChooseColor(TColor& color) {
    const QColor chosen = QColorDialog::getColor(
        color == NoColor ? QColor(Qt::black) : QColor(GetRValue(color), GetGValue(color), GetBValue(color)),
        FParent);
    if (!chosen.isValid()) return false;
    color = RGB(chosen.red(), chosen.green(), chosen.blue());
    return true;
}

bool TQtDialogs::ChooseFont(TFont& font) {
    // The font's Height is in pixels (negative: character height); the chooser works in points at 96 dpi.
    const int pixels = font.Height == 0 ? 13 : (font.Height < 0 ? -font.Height : font.Height);
    QFont initial(ToQ(font.Name));
    initial.setPointSize(std::max(1, (pixels * 72 + 48) / 96));
    initial.setBold(font.Style & fsBold);
    initial.setItalic(font.Style & fsItalic);
    initial.setUnderline(font.Style & fsUnderline);
    initial.setStrikeOut(font.Style & fsStrikeOut);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, FParent);
    if (!ok) return false;
    font.Name = chosen.family().toStdString();
    if (chosen.pointSize() > 0) font.Height = -((chosen.pointSize() * 96 + 36) / 72);
    font.Style = (chosen.bold() ? unsigned(fsBold) : 0u) | (chosen.italic() ? unsigned(fsItalic) : 0u) |
                 (chosen.underline() ? unsigned(fsUnderline) : 0u) |
                 (chosen.strikeOut() ? unsigned(fsStrikeOut) : 0u);
    return true;
}

int TQtDialogs::ShowModal(QDialog& dialog) {
    return dialog.exec();
}
