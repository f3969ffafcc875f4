#pragma once
// The about window: product name, version, maker, and the terms in a scrolling box.

#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QShowEvent;

class TaboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit TaboutWindow(QWidget* parent = nullptr);

    // Runs on every showing: centres the window on the primary screen's free area and
    // scrolls the terms back to their top.
    void FormShow();
    // "Ok": hides the window. A modal showing ends with the accepted result; a modeless one
    // (from the progress dialog) is simply hidden.
    void Button1Click();

    // Children, named as in the window's layout; public so tests can reach them.
    QFrame* MainPanel;      // fills the client area
    QFrame* imagePanel;     // raised frame around the banner
    QLabel* image;          // the banner
    QLabel* Label1;         // product name
    QLabel* Label2;         // version
    QLabel* Label3;         // copyright
    QLabel* Label4;         // web address
    QFrame* Bevel1;         // separator
    QLabel* Label5;         // terms heading
    QLabel* Label6;         // terms date
    QScrollArea* TermsBox;  // scrolls Terms, which is taller than the box
    QPlainTextEdit* Terms;  // the read-only terms text
    QPushButton* Button1;   // "Ok"

protected:
    void showEvent(QShowEvent* event) override;
};

// Created hidden at start-up; lives until the process ends.
extern TaboutWindow* aboutWindow;
