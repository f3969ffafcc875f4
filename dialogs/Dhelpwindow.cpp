#include "dialogs/Dhelpwindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStringList>

#include <algorithm>

#include "dialogs/ScrolledText.h"
#include "dialogs/WindowFont.h"

ThelpWindow* helpWindow = nullptr;

namespace {

// Headings are two blanks, "==", the title, "=="; body lines are indented by two blanks,
// continuations of a numbered step and examples by six.
QString HelpText() {
    const QStringList lines = {
        QString(),
        QStringLiteral("  == Using Chimewick =="),
        QString(),
        QStringLiteral("  Right-click any mp3 or wav file in your file manager and"),
        QStringLiteral("  choose 'Make Ringtone'. Chimewick makes the ringtone in the"),
        QStringLiteral("  same folder as the file you selected."),
        QString(),
        QStringLiteral("  == Launching Chimewick =="),
        QString(),
        QStringLiteral("  Start Chimewick from your desktop's applications menu:"),
        QStringLiteral("  Sound & Video (or Multimedia) > Chimewick (the program"),
        QStringLiteral("  itself is called 'songsifter')"),
        QString(),
        QStringLiteral("  OR"),
        QString(),
        QStringLiteral("  right-click a song in your file manager and choose"),
        QStringLiteral("  'Make Ringtone' to make its ringtone at once."),
        QString(),
        QStringLiteral("  == Advanced Options for Chimewick =="),
        QString(),
        QStringLiteral("  Not happy with the ringtone Chimewick made by itself? Choose"),
        QStringLiteral("  the part of the song yourself in the main window:"),
        QString(),
        QStringLiteral("  (1) Click 'Select Song' and pick your mp3 or wav file. Its"),
        QStringLiteral("      name then shows in the box to the right."),
        QString(),
        QStringLiteral("  (2) Edit 'Ringtone start time (in seconds):'. The start is"),
        QStringLiteral("      automatic by default: 'auto' lets Chimewick choose."),
        QStringLiteral("      Type a number of seconds to choose yourself, e.g."),
        QStringLiteral("      110 starts the ringtone 1 minute 50 seconds into"),
        QStringLiteral("      the song."),
        QString(),
        QStringLiteral("  (3) Edit 'Ringtone length (in seconds):', 30 by default."),
        QStringLiteral("      Type the length you want, e.g."),
        QStringLiteral("      20 makes a 20-second ringtone."),
        QString(),
        QStringLiteral("  Then click 'Make Ringtone!' to create your ringtone."),
    };
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

ThelpWindow::ThelpWindow(QWidget* parent) : QDialog(parent) {
    SetUpFixedDialog(this, QStringLiteral("Chimewick Help"), 426, 335, 8);

    // Created first, so it has the focus and Tab goes on to the text.
    okButton = new QPushButton(QStringLiteral("Close Help"), this);
    okButton->setGeometry(312, 304, 106, 25);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    helpBox = new QScrollArea(this);
    helpBox->setGeometry(8, 8, 410, 289);
    // The text box's top and left edges lie outside the scrolled page.
    help = PutScrolledText(helpBox, QRect(-2, -3, 394, 590), HelpText());

    okButton->setFocus();
}

void ThelpWindow::CentreOver(QWidget* owner) { owner_ = owner; }

void ThelpWindow::showEvent(QShowEvent* event) {
    QWidget* owner = owner_;
    if (owner == nullptr && parentWidget() != nullptr) {
        owner = parentWidget()->window();
    }
    if (owner == nullptr && QApplication::activeWindow() != this) {
        owner = QApplication::activeWindow();
    }
    QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    QRect place(QPoint(0, 0), size());
    if (owner != nullptr) {
        place.moveCenter(owner->mapToGlobal(owner->rect().center()));
    } else if (screen != nullptr) {
        place.moveCenter(screen->availableGeometry().center());
    }
    if (screen != nullptr) {
        const QRect desk = screen->availableGeometry();
        place.moveLeft(std::max(desk.left(), std::min(place.left(), desk.right() - width() + 1)));
        place.moveTop(std::max(desk.top(), std::min(place.top(), desk.bottom() - height() + 1)));
    }
    setGeometry(place);
    QDialog::showEvent(event);
}
