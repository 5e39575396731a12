#pragma once
// The dialog seam answered from a script: each test queues the answers a user
// would give and afterwards checks what was asked. A question nobody scripted
// fails the test and is answered with Cancel.

#include "platform/Dialogs.h"

#include <QDialog>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct TAskedMessage {
    std::string Text;
    std::string Caption;
    TMsgDlgType Type;
    unsigned Buttons;
    std::string Details = {}; // under the text, for DetailedMessageDlg
};

class TScriptedDialogs : public TDialogs {
  public:
    using TFormScript = std::function<void(QDialog&)>;

    // --- the script ---
    std::deque<TModalResult> MessageAnswers;
    std::deque<std::vector<std::string>> OpenAnswers; // an empty list cancels
    std::deque<std::string> SaveAnswers;              // an empty name cancels
    std::deque<TColor> ColorAnswers;                  // NoColor cancels
    std::deque<std::optional<TFont>> FontAnswers;     // nullopt cancels
    // Scripts for property dialogs, by the dialog's object name, used in order.
    std::map<std::string, std::deque<TFormScript>> FormScripts;

    void OnForm(const std::string& name, TFormScript script) {
        FormScripts[name].push_back(std::move(script));
    }

    // --- what was asked ---
    std::vector<TAskedMessage> Messages;
    std::vector<TFileDialogOptions> OpenRequests;
    std::vector<TFileDialogOptions> SaveRequests;
    std::vector<std::string> FormsShown;
    std::vector<TFont> FontRequests; // the font each font chooser started from

    std::size_t QuestionCount() const {
        return Messages.size() + OpenRequests.size() + SaveRequests.size() + FormsShown.size();
    }

    TModalResult DetailedMessageDlg(const std::string& text, const std::string& caption, TMsgDlgType type,
                                    unsigned buttons, const std::string& details) override {
        const TModalResult answer = MessageDlg(text, caption, type, buttons);
        Messages.back().Details = details;
        return answer;
    }

    TModalResult MessageDlg(const std::string& text, const std::string& caption, TMsgDlgType type,
                            unsigned buttons) override {
        Messages.push_back({text, caption, type, buttons});
        if (MessageAnswers.empty()) {
            ADD_FAILURE() << "unscripted message box: " << caption << ": " << text;
            return mrCancel;
        }
        const TModalResult answer = MessageAnswers.front();
        MessageAnswers.pop_front();
        return answer;
    }

    std::vector<std::string> OpenDialog(const TFileDialogOptions& options) override {
        OpenRequests.push_back(options);
        if (OpenAnswers.empty()) {
            ADD_FAILURE() << "unscripted open dialog";
            return {};
        }
        auto answer = OpenAnswers.front();
        OpenAnswers.pop_front();
        return answer;
    }

    bool ChooseColor(TColor& color) override {
        if (ColorAnswers.empty()) {
            ADD_FAILURE() << "unscripted colour chooser";
            return false;
        }
        const TColor answer = ColorAnswers.front();
        ColorAnswers.pop_front();
        if (answer == NoColor) return false;
        color = answer;
        return true;
    }

    bool ChooseFont(TFont& font) override {
        FontRequests.push_back(font);
        if (FontAnswers.empty()) {
            ADD_FAILURE() << "unscripted font chooser";
            return false;
        }
        const std::optional<TFont> answer = FontAnswers.front();
        FontAnswers.pop_front();
        if (!answer) return false;
        font = *answer;
        return true;
    }

    int ShowModal(QDialog& dialog) override {
        const std::string name = dialog.objectName().toStdString();
        FormsShown.push_back(name);
        auto found = FormScripts.find(name);
        if (found == FormScripts.end() || found->second.empty()) {
            ADD_FAILURE() << "unscripted dialog " << name;
            return QDialog::Rejected;
        }
        TFormScript script = std::move(found->second.front());
        found->second.pop_front();
        script(dialog);
        return dialog.result();
    }

  protected:
    std::string RunSaveDialog(const TFileDialogOptions& options) override {
        SaveRequests.push_back(options);
        if (SaveAnswers.empty()) {
            ADD_FAILURE() << "unscripted save dialog";
            return {};
        }
        std::string answer = SaveAnswers.front();
        SaveAnswers.pop_front();
        return answer;
    }
};
