#pragma once
// The program's dialogs: Qt message boxes, file dialogs and choosers.

#include "platform/Dialogs.h"

class QWidget;
class QString;

class TQtDialogs : public TDialogs {
  public:
    // parent: the window the dialogs are modal to (may be set later).
    explicit TQtDialogs(QWidget* parent = nullptr) : FParent(parent) {}
    void SetParent(QWidget* parent) { FParent = parent; }

    TModalResult MessageDlg(const std::string& text, const std::string& caption, TMsgDlgType type,
                            unsigned buttons) override;
    TModalResult DetailedMessageDlg(const std::string& text, const std::string& caption, TMsgDlgType type,
                                    unsigned buttons, const std::string& details) override;
    std::vector<std::string> OpenDialog(const TFileDialogOptions& options) override;
    bool ChooseColor(TColor& color) override;
    bool ChooseFont(TFont& font) override;
    int ShowModal(QDialog& dialog) override;

  protected:
    std::string RunSaveDialog(const TFileDialogOptions& options) override;

  private:
    QWidget* FParent;
};

// "GIF files|*.gif|All|*.gif;*.png" as Qt's name filters "GIF files (*.gif);;All (*.gif *.png)".
QString QtNameFilters(const std::string& filter);

// The extension a save dialog gives a bare name under one of Qt's name
// filters: "png" for "PNG Image File (*.png)"; empty when the filter lists
// several patterns or none of the form "*.ext".
QString SuffixOfNameFilter(const QString& nameFilter);
