#pragma once
// The "New Slide Show Style GIF" tool button's picture (28 x 28), drawn here.

#include <QIcon>

QIcon SlideShowToolIcon();
