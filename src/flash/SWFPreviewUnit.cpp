#include "flash/SWFPreviewUnit.h"

#include "flash/SWFPreviewPlayer.h"
#include "platform/Dialogs.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

TSWFPreviewForm::TSWFPreviewForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SWFPreviewForm"));
    setWindowTitle(QStringLiteral("Flash Movie Preview"));
    setAccessibleName(windowTitle());
    // A tool window: small caption with the close button only.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(322, 301);
    Player = new TSWFPlayer(this);
    // Keys reach the window even while the player has the focus.
    Player->installEventFilter(this);
}

void TSWFPreviewForm::LoadMovie(const std::string& path, int width, int height) {
    if (width < 1 || height < 1)
        throw std::runtime_error("The movie has an empty stage (" + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels); there is nothing to show.");
    Player->SetMovie(path);
    Player->setGeometry(0, 0, width, height);
    setFixedSize(width, height);
    Player->show();
}

void TSWFPreviewForm::FormKeyDown() {
    close();
}

void TSWFPreviewForm::FormClick() {
    close();
}

bool TSWFPreviewForm::event(QEvent* event) {
    // Every key closes, Tab and Escape included, before focus handling sees it.
    if (event->type() == QEvent::KeyPress) {
        FormKeyDown();
        return true;
    }
    return QDialog::event(event);
}

bool TSWFPreviewForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Player) {
        if (event->type() == QEvent::KeyPress) {
            FormKeyDown();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            FormClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TSWFPreviewForm::mousePressEvent(QMouseEvent* event) {
    event->accept();
    FormClick();
}

void TSWFPreviewForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    if (Player) Player->setFocus();
}

void ShowPreview(const std::string& path, int width, int height, TDialogs& dialogs, QWidget* parent) {
    TSWFPreviewForm form(parent);
    try {
        form.LoadMovie(path, width, height);
    } catch (const std::bad_alloc&) {
        dialogs.MessageDlg("The movie cannot be played: there is not enough memory to show it.", "Error",
                           mtError, mbOK);
        return;
    } catch (const std::exception& e) {
        dialogs.MessageDlg(std::string("The movie cannot be played: ") + e.what(), "Error", mtError, mbOK);
        return;
    }
    form.Player->Play();
    dialogs.ShowModal(form);
    form.Player->Stop();
}
