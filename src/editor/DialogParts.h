#pragma once
// The pieces the property dialogs are built from: named fields (tests and
// the focus chain find them by object name) and the OK / Cancel row.

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>

class QDialog;
class QLayout;

QSpinBox* NewSpin(QWidget* parent, const char* name, int minimum, int maximum);
QCheckBox* NewCheck(QWidget* parent, const char* name, const char* caption);

struct TOkCancel {
    QPushButton* OK;
    QPushButton* Cancel;
};

// Puts content above a right-aligned "OK" (the default button) and "Cancel"
// row, and makes Cancel close the dialog unchanged. Create the fields first:
// the buttons come last in the focus chain.
TOkCancel LayOutWithOkCancel(QDialog* dialog, QLayout* content);
