#include "dialogs/ScrolledText.h"

#include <QPlainTextEdit>
#include <QScrollArea>

QPlainTextEdit* PutScrolledText(QScrollArea* box, const QRect& geometry, const QString& text) {
    const QColor skyBlue = QColor::fromRgb(kSkyBlueRgb);
    QPalette sky = box->palette();
    sky.setColor(QPalette::Window, skyBlue);
    sky.setColor(QPalette::Base, skyBlue);
    sky.setColor(QPalette::Text, Qt::black);

    auto* page = new QWidget;
    page->setFixedSize(geometry.right() + 1, geometry.bottom() + 1);
    page->setPalette(sky);
    auto* edit = new QPlainTextEdit(page);
    edit->setGeometry(geometry);
    edit->setFrameShape(QFrame::NoFrame);
    edit->setReadOnly(true);
    // Tab stops at the scroll box, whose arrow keys scroll the text; a click still lets
    // the user select and copy.
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setPalette(sky);
    edit->setPlainText(text);

    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->setWidget(page);
    return edit;
}
