#pragma once
// The editor's application object: an event handler that runs out of memory
// (or meets a picture too large to draw) shows a message and the program goes
// on with its document, instead of ending.

#include <QApplication>
#include <functional>

class TDialogs;

// Runs deliver (one event's delivery) and reports std::bad_alloc and other
// std::exception failures through dialogs; false after such a failure.
bool DeliverGuarded(const std::function<bool()>& deliver, TDialogs* dialogs);

class TGuardedApplication : public QApplication {
  public:
    TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    // Where failures are reported; none until the main window is made.
    void SetDialogs(TDialogs* dialogs) { FDialogs = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override;

  private:
    TDialogs* FDialogs = nullptr;
};
