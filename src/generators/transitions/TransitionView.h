#pragma once
// TTransitionView: the transition component as a Qt widget. The behaviour lives
// in TCustomTransitionView; the widget sizes itself, repaints and shows the
// painted buffer, and reports the mouse entering and leaving.

#include "generators/transitions/TransitionComponent.h"

#include <QWidget>

class TTransitionView : public QWidget, public TCustomTransitionView {
  public:
    explicit TTransitionView(QWidget* parent = nullptr);
    ~TTransitionView() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    void RequestClientSize(int width, int height) override;
    void InvalidateDisplay() override;
    bool ShowComposedStep(bool ownerThread) override;
    void DisplayChanged() override;
};
