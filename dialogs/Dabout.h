#pragma once
// The about window: product name, version, maker, and the terms in a scrolling box.

#include <QDialog>

class TaboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit TaboutWindow(QWidget* parent = nullptr);
};

// Created hidden at start-up; lives until the process ends.
extern TaboutWindow* aboutWindow;
