#pragma once
// The About box: product name, version and licence.

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(const std::string& version, QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Comments;
    QLabel* Licence;
    QPushButton* OKButton;
};
