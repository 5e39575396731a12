#pragma once
// The dialog seam: every message box, question, file dialog, colour or font
// chooser and property dialog that a command opens goes through TDialogs. The
// program uses TQtDialogs (DialogsQt.h); tests answer from a script, so each
// command can be run by calling its handler and checking what was asked.

#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <string>
#include <vector>

class QDialog;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// Buttons of a message box, combined with |.
enum TMsgDlgButton : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
constexpr unsigned mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr unsigned mbOKCancel = mbOK | mbCancel;

enum TModalResult { mrNone = 0, mrOk, mrCancel, mrYes, mrNo };

// A file dialog. Filter is written as the program writes its filters:
// "Description|*.a;*.b|Other|*.c".
struct TFileDialogOptions {
    std::string Title;
    std::string Filter;
    std::string DefaultExt; // without the dot; the save dialog completes a bare name with it
    std::string FileName;   // initial name
    bool MultiSelect = false;
    bool MustExist = true; // open dialogs only
};

class TDialogs {
  public:
    virtual ~TDialogs() = default;

    // A modal message box with caption and icon; returns the button pressed
    // (mrCancel when the box was closed without a button).
    virtual TModalResult MessageDlg(const std::string& text, const std::string& caption, TMsgDlgType type,
                                    unsigned buttons) = 0;
    // The same box with details under its text (the reason, the file's name).
    // Without an override the details are left out.
    virtual TModalResult DetailedMessageDlg(const std::string& text, const std::string& caption,
                                            TMsgDlgType type, unsigned buttons, const std::string& details) {
        (void)details;
        return MessageDlg(text, caption, type, buttons);
    }
    // The files picked in an open dialog; empty when it was cancelled.
    virtual std::vector<std::string> OpenDialog(const TFileDialogOptions& options) = 0;
    // The name picked in a save dialog, completed with the default extension when
    // the user typed a bare name; empty when it was cancelled.
    std::string SaveDialog(const TFileDialogOptions& options);
    // Colour and font choosers: true and the new value when the user confirmed.
    virtual bool ChooseColor(TColor& color) = 0;
    virtual bool ChooseFont(TFont& font) = 0;
    // Runs a property dialog modally; returns its result code (QDialog::Accepted or Rejected).
    // A scripted implementation finds the dialog by its object name.
    virtual int ShowModal(QDialog& dialog) = 0;

  protected:
    virtual std::string RunSaveDialog(const TFileDialogOptions& options) = 0;
};

// name + "." + defaultExt when the last component of name has no extension; name otherwise.
std::string CompleteDefaultExtension(const std::string& name, const std::string& defaultExt);
