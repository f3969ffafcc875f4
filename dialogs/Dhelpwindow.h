#pragma once
// The help window: how to make a ringtone from the file manager and from the main window.

#include <QDialog>

class ThelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit ThelpWindow(QWidget* parent = nullptr);
};

// Created hidden at start-up; lives until the process ends.
extern ThelpWindow* helpWindow;
