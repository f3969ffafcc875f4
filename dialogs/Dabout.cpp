#include "dialogs/Dabout.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>

#include "dialogs/Artwork.h"
#include "dialogs/Product.h"
#include "dialogs/ScrolledText.h"
#include "dialogs/WindowFont.h"

TaboutWindow* aboutWindow = nullptr;

namespace {

// Points start with a blank, an asterisk and two blanks; their continuations are indented
// by four blanks.
QString TermsText() {
    const QStringList lines = {
        QStringLiteral("Your use of Chimewick is subject to our Terms "),
        QStringLiteral("and Conditions.") + QChar(0x00A0) +
            QStringLiteral("Chimewick lets you make"),
        QStringLiteral("music snippets from your own songs for"),
        QStringLiteral("use as ringtones."),
        QString(),
        QStringLiteral(" *  Chimewick is offered free of charge and"),
        QStringLiteral("    may be supported by advertising shown"),
        QStringLiteral("    while a snippet is being created."),
        QStringLiteral(" *  We respect the privacy of your personal"),
        QStringLiteral("    information and never sell or share it."),
        QStringLiteral(" *  You are responsible for any misuse of"),
        QStringLiteral("    your account, by you or by others."),
        QStringLiteral(" *  Chimewick is for your personal, non-"),
        QStringLiteral("    commercial use only."),
        QStringLiteral(" *  We may end your use of Chimewick at"),
        QStringLiteral("    any time, for any reason."),
        QStringLiteral(" *  Chimewick comes as it is, without any"),
        QStringLiteral("    guarantees of any kind."),
    };
    return lines.join(QLatin1Char('\n'));
}

QLabel* PlacedLabel(const QString& text, int left, int top, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    label->adjustSize();
    return label;
}

}  // namespace

TaboutWindow::TaboutWindow(QWidget* parent) : QDialog(parent) {
    SetUpFixedDialog(this, QStringLiteral("About Chimewick"), 275, 352, 10);

    MainPanel = new QFrame(this);
    MainPanel->setFrameShape(QFrame::NoFrame);
    MainPanel->setGeometry(0, 0, 275, 352);
    MainPanel->setFont(WindowFont(9));

    imagePanel = new QFrame(MainPanel);
    imagePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    imagePanel->setLineWidth(1);
    imagePanel->setGeometry(0, -2, 275, 61);
    imagePanel->setBackgroundRole(QPalette::Base);
    imagePanel->setAutoFillBackground(true);
    image = new QLabel(imagePanel);
    image->setGeometry(1, 2, 274, 59);
    image->setPixmap(AboutBanner());

    Label1 = PlacedLabel(QStringLiteral("Chimewick \u00AE"), 22, 77, MainPanel);
    Label2 = PlacedLabel(QStringLiteral("Version " CHIMEWICK_VERSION), 22, 94, MainPanel);
    Label3 = PlacedLabel(QStringLiteral("\u00A9 2026 Chimewick Software"), 22, 110, MainPanel);
    Label4 = PlacedLabel(QStringLiteral("www.chimewick.example"), 22, 127, MainPanel);

    Bevel1 = new QFrame(MainPanel);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(9, 157, 257, 2);

    // A label without a buddy shows "&" as it is, so the heading needs only one.
    Label5 = PlacedLabel(QStringLiteral("Chimewick Terms & Conditions"), 12, 167, MainPanel);
    Label6 = PlacedLabel(QStringLiteral("Effective May 1, 2006"), 12, 183, MainPanel);

    // Created before the terms, so Tab goes from "Ok" to the terms.
    Button1 = new QPushButton(QStringLiteral("Ok"), MainPanel);
    Button1->setGeometry(186, 321, 78, 25);
    connect(Button1, &QPushButton::clicked, this, &TaboutWindow::Button1Click);

    TermsBox = new QScrollArea(MainPanel);
    TermsBox->setGeometry(11, 204, 254, 109);
    TermsBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    TermsBox->setLineWidth(1);
    QPalette sky = TermsBox->viewport()->palette();
    sky.setColor(QPalette::Window, QColor::fromRgb(kSkyBlueRgb));
    TermsBox->viewport()->setPalette(sky);
    // The text box's top and left edges lie outside the scrolled page.
    Terms = PutScrolledText(TermsBox, QRect(-2, -2, 238, 300), TermsText());
    Terms->setFont(WindowFont(8));

    Button1->setFocus();
}

void TaboutWindow::FormShow() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect place(QPoint(0, 0), size());
        place.moveCenter(screen->availableGeometry().center());
        setGeometry(place);
    }
    TermsBox->verticalScrollBar()->setValue(0);
}

void TaboutWindow::Button1Click() {
    setResult(QDialog::Accepted);
    hide();
}

void TaboutWindow::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}
