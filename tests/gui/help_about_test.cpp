#include "dialogs/Dabout.h"
#include "dialogs/Dhelpwindow.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Placed {
    const char* name;
    QWidget* widget;
    QRect geometry;
};

void ExpectGeometry(const std::vector<Placed>& table) {
    for (const Placed& p : table) {
        SCOPED_TRACE(p.name);
        ASSERT_NE(p.widget, nullptr);
        EXPECT_EQ(p.widget->geometry(), p.geometry);
    }
}

std::vector<QString> Lines(const QPlainTextEdit* text) {
    std::vector<QString> lines;
    for (QTextBlock b = text->document()->firstBlock(); b.isValid(); b = b.next()) {
        lines.push_back(b.text());
    }
    return lines;
}

// Every line must be readable in its scroll box without wrapping or hiding behind the
// scroll bar, and the whole text must fit the text box's height so the box reveals it all.
void ExpectTextFitsItsBox(const QPlainTextEdit* text, const QScrollArea* box) {
    const QFontMetrics metrics(text->font());
    const int margin = static_cast<int>(text->document()->documentMargin());
    const int visibleRight = box->viewport()->width();
    for (QString line : Lines(text)) {
        SCOPED_TRACE(line.toStdString());
        while (line.endsWith(QLatin1Char(' '))) {
            line.chop(1);  // trailing blanks neither show nor wrap
        }
        EXPECT_LE(text->x() + margin + metrics.horizontalAdvance(line), visibleRight);
    }
    for (QTextBlock b = text->document()->firstBlock(); b.isValid(); b = b.next()) {
        SCOPED_TRACE(b.text().toStdString());
        ASSERT_NE(b.layout(), nullptr);
        EXPECT_EQ(b.layout()->lineCount(), 1);
    }
    EXPECT_EQ(text->verticalScrollBar()->maximum(), 0) << "the text is taller than its box";
    EXPECT_GT(box->verticalScrollBar()->maximum(), 0) << "the box has nothing to scroll";
}

void ShowAndSettle(QWidget* window) {
    window->show();
    QCoreApplication::processEvents();
}

// The widget Tab moves to from w.
QWidget* NextTabStop(QWidget* w) {
    QWidget* next = w->nextInFocusChain();
    while (next != w && !(next->focusPolicy() & Qt::TabFocus)) {
        next = next->nextInFocusChain();
    }
    return next;
}

QPoint CentreOf(const QWidget& w) { return w.mapToGlobal(w.rect().center()); }

void ExpectNear(QPoint actual, QPoint expected) {
    EXPECT_LE((actual - expected).manhattanLength(), 2)
        << "at " << actual.x() << "," << actual.y() << " instead of " << expected.x() << ","
        << expected.y();
}

}  // namespace

TEST(HelpWindowLayout, MatchesItsTable) {
    ThelpWindow window;
    EXPECT_EQ(window.windowTitle(), "Chimewick Help");
    EXPECT_EQ(window.size(), QSize(426, 335));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.font().pointSize(), 8);
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.okButton->text(), "Close Help");
    ExpectGeometry({
        {"okButton", window.okButton, QRect(312, 304, 106, 25)},
        {"helpBox", window.helpBox, QRect(8, 8, 410, 289)},
        {"help", window.help, QRect(-2, -3, 394, 590)},
    });
    EXPECT_TRUE(window.helpBox->isAncestorOf(window.help));
    EXPECT_TRUE(window.help->isReadOnly());
    EXPECT_EQ(window.help->palette().color(QPalette::Base), QColor(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(NextTabStop(window.okButton), window.helpBox);
}

TEST(HelpWindowText, HasTheThreeSectionsInOrderIndentedAndFittingTheBox) {
    ThelpWindow window;
    ShowAndSettle(&window);
    const std::vector<QString> lines = Lines(window.help);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "");

    const QString headings[] = {"  == Using Chimewick ==", "  == Launching Chimewick ==",
                                "  == Advanced Options for Chimewick =="};
    size_t at = 0;
    for (const QString& heading : headings) {
        SCOPED_TRACE(heading.toStdString());
        const auto found = std::find(lines.begin() + at, lines.end(), heading);
        ASSERT_NE(found, lines.end());
        at = found - lines.begin();
    }
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  OR"), lines.end());

    const QString text = window.help->toPlainText();
    for (const char* needed :
         {"'Make Ringtone'", "same folder", "'Select Song'", "'Ringtone start time (in seconds):'",
          "'auto'", "110", "1 minute 50 seconds", "'Ringtone length (in seconds):'", "20"}) {
        EXPECT_TRUE(text.contains(needed)) << needed;
    }

    // Body lines by two blanks; a numbered step's continuations and examples by six.
    bool inStep = false;
    for (const QString& line : lines) {
        SCOPED_TRACE(line.toStdString());
        if (line.isEmpty()) {
            inStep = false;
            continue;
        }
        EXPECT_TRUE((line.startsWith("  ") && line[2] != ' ') || line.startsWith("      "));
        if (line.startsWith("  (")) {
            inStep = true;
        } else if (inStep) {
            EXPECT_TRUE(line.startsWith("      ") && line[6] != ' ');
        }
    }
    for (const char* step : {"  (1) ", "  (2) ", "  (3) "}) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& l) {
            return l.startsWith(step);
        })) << step;
    }
    ExpectTextFitsItsBox(window.help, window.helpBox);
}

TEST(HelpWindow, CloseHelpEndsAModalShowingWithOk) {
    ThelpWindow window;
    QTimer::singleShot(0, &window, [&] { QTest::mouseClick(window.okButton, Qt::LeftButton); });
    EXPECT_EQ(window.exec(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
}

TEST(HelpWindowPlacement, OpensCentredOverItsParentOrTheGivenOwner) {
    QWidget mainWindow;
    mainWindow.setGeometry(200, 190, 353, 215);
    ShowAndSettle(&mainWindow);
    ThelpWindow window(&mainWindow);
    ShowAndSettle(&window);
    ExpectNear(CentreOf(window), CentreOf(mainWindow));
    window.hide();

    QWidget other;
    other.setGeometry(300, 240, 400, 300);
    ShowAndSettle(&other);
    window.CentreOver(&other);
    ShowAndSettle(&window);
    ExpectNear(CentreOf(window), CentreOf(other));
}

TEST(HelpWindowPlacement, StaysOnTheScreenOverAnOwnerAtItsEdge) {
    const QRect desk = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget mainWindow;
    mainWindow.setGeometry(desk.right() - 120, desk.bottom() - 60, 100, 50);
    ShowAndSettle(&mainWindow);
    ThelpWindow window;
    window.CentreOver(&mainWindow);
    ShowAndSettle(&window);
    EXPECT_TRUE(desk.contains(window.geometry()))
        << "window at " << window.x() << "," << window.y();
}

TEST(AboutWindowLayout, MatchesItsTable) {
    TaboutWindow window;
    EXPECT_EQ(window.windowTitle(), "About Chimewick");
    EXPECT_EQ(window.size(), QSize(275, 352));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window.windowIcon().isNull());
    ExpectGeometry({
        {"MainPanel", window.MainPanel, QRect(0, 0, 275, 352)},
        {"imagePanel", window.imagePanel, QRect(0, -2, 275, 61)},
        {"image", window.image, QRect(1, 2, 274, 59)},
        {"Bevel1", window.Bevel1, QRect(9, 157, 257, 2)},
        {"TermsBox", window.TermsBox, QRect(11, 204, 254, 109)},
        {"Terms", window.Terms, QRect(-2, -2, 238, 300)},
        {"Button1", window.Button1, QRect(186, 321, 78, 25)},
    });
    const struct {
        QLabel* label;
        QPoint at;
    } labels[] = {{window.Label1, {22, 77}},  {window.Label2, {22, 94}},
                  {window.Label3, {22, 110}}, {window.Label4, {22, 127}},
                  {window.Label5, {12, 167}}, {window.Label6, {12, 183}}};
    for (const auto& l : labels) {
        SCOPED_TRACE(l.label->text().toStdString());
        EXPECT_EQ(l.label->pos(), l.at);
        EXPECT_GE(l.label->width(), l.label->sizeHint().width()) << "text cut off";
        EXPECT_LE(l.label->geometry().right(), window.MainPanel->width());
    }
    EXPECT_EQ(window.Label1->text(), QStringLiteral("Chimewick \u00AE"));
    EXPECT_EQ(window.Label2->text(), "Version 1.0");
    EXPECT_TRUE(window.Label3->text().contains(QChar(0x00A9)));
    EXPECT_FALSE(window.Label4->text().isEmpty());
    EXPECT_EQ(window.Label6->text(), "Effective May 1, 2006");
    EXPECT_EQ(window.image->pixmap().size(), QSize(274, 59));
    EXPECT_EQ(window.Button1->text(), "Ok");
    EXPECT_TRUE(window.TermsBox->isAncestorOf(window.Terms));
    EXPECT_TRUE(window.Terms->isReadOnly());
    EXPECT_EQ(window.Terms->palette().color(QPalette::Base), QColor(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(window.font().pointSize(), 10);
    EXPECT_EQ(window.MainPanel->font().pointSize(), 9);
    EXPECT_EQ(window.Label1->font().pointSize(), 9);
    EXPECT_EQ(window.Terms->font().pointSize(), 8);
    EXPECT_EQ(NextTabStop(window.Button1), window.TermsBox);
}

TEST(AboutWindowLayout, TermsHeadingShowsOneAmpersand) {
    TaboutWindow window;
    const QString shown = "Chimewick Terms & Conditions";
    EXPECT_EQ(window.Label5->text(), shown);
    // A label with a buddy would take "&" for a mnemonic and not draw it.
    EXPECT_EQ(window.Label5->buddy(), nullptr);
    EXPECT_GE(window.Label5->sizeHint().width(),
              QFontMetrics(window.Label5->font()).horizontalAdvance(shown));
}

TEST(AboutWindowText, TermsOpenAsQuotedAndListSixPointsFittingTheBox) {
    TaboutWindow window;
    ShowAndSettle(&window);
    const std::vector<QString> lines = Lines(window.Terms);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Your use of Chimewick is subject to our Terms ");
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("and Conditions.\u00A0")));
    EXPECT_GT(lines[1].size(), QStringLiteral("and Conditions.\u00A0").size());

    const auto blank = std::find(lines.begin(), lines.end(), QString());
    ASSERT_NE(blank, lines.end());
    int points = 0;
    for (auto line = blank + 1; line != lines.end(); ++line) {
        SCOPED_TRACE(line->toStdString());
        if (line->startsWith(" *  ")) {
            ++points;
            EXPECT_NE((*line)[4], ' ');
        } else {
            EXPECT_TRUE(line->startsWith("    ") && (*line)[4] != ' ');
            EXPECT_GT(points, 0) << "continuation before the first point";
        }
    }
    EXPECT_EQ(points, 6);
    ExpectTextFitsItsBox(window.Terms, window.TermsBox);
}

TEST(AboutWindow, TermsAreBackAtTheTopOnEveryShowing) {
    TaboutWindow window;
    ShowAndSettle(&window);
    QScrollBar* bar = window.TermsBox->verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_GT(bar->value(), 0);
    window.hide();
    ShowAndSettle(&window);
    EXPECT_EQ(bar->value(), 0);

    bar->setValue(bar->maximum());
    QTest::mouseClick(window.Button1, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    ShowAndSettle(&window);
    EXPECT_EQ(bar->value(), 0);
}

TEST(AboutWindow, OkHidesAModelessShowingAndEndsAModalOneWithOk) {
    TaboutWindow window;
    ShowAndSettle(&window);
    QTest::mouseClick(window.Button1, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());

    QTimer::singleShot(0, &window, [&] { QTest::mouseClick(window.Button1, Qt::LeftButton); });
    EXPECT_EQ(window.exec(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
}

TEST(AboutWindowPlacement, OpensCentredOnTheScreenEvenWithAParentElsewhere) {
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 353, 215);
    ShowAndSettle(&mainWindow);
    TaboutWindow window(&mainWindow);
    ShowAndSettle(&window);
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    ExpectNear(CentreOf(window), screenCentre);

    window.hide();
    window.move(5, 5);
    ShowAndSettle(&window);
    ExpectNear(CentreOf(window), screenCentre);
}
