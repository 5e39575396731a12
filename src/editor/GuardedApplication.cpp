#include "editor/GuardedApplication.h"

#include "platform/Dialogs.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

namespace {

void Report(TDialogs* dialogs, const std::string& text) {
    if (dialogs) {
        try {
            dialogs->MessageDlg(text, "Error", mtError, mbOK);
            return;
        } catch (...) { // not even the box could be shown
        }
    }
    std::fprintf(stderr, "frameloom: %s\n", text.c_str());
}

} // namespace

bool DeliverGuarded(const std::function<bool()>& deliver, TDialogs* dialogs) {
    try {
        return deliver();
    } catch (const std::bad_alloc&) {
        Report(dialogs,
               "There is not enough memory for this action. It was stopped; the animation is still open.");
    } catch (const std::exception& e) {
        Report(dialogs, std::string("This action was stopped: ") + e.what());
    }
    return false;
}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
    return DeliverGuarded([&] { return QApplication::notify(receiver, event); }, FDialogs);
}
