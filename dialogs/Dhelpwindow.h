#pragma once
// The help window: how to make a ringtone from the file manager and from the main window.

#include <QDialog>
#include <QPointer>

class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QShowEvent;

class ThelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit ThelpWindow(QWidget* parent = nullptr);

    // Each showing centres the window over owner's window. Without an owner (or once it is
    // destroyed) the parent's window is used, then the active window, then the primary
    // screen. The window is kept on the owner's screen.
    void CentreOver(QWidget* owner);

    // Children, named as in the window's layout; public so tests can reach them.
    QPushButton* okButton;  // "Close Help": accepts, which hides the window
    QScrollArea* helpBox;   // scrolls help, which is taller than the box
    QPlainTextEdit* help;   // the read-only help text

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QWidget> owner_;
};

// Created hidden at start-up; lives until the process ends.
extern ThelpWindow* helpWindow;
