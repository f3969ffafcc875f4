#include "app/Startup.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>

#include <gtest/gtest.h>

#include <map>

TEST(CommandLine, IsTheArgumentsJoinedWithEveryQuoteRemoved) {
    struct Case {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{}, ""},
        {{""}, ""},
        {{"\"\""}, ""},
        {{"   "}, ""},
        {{"\t \t"}, ""},
        {{"\" \""}, " "},
        {{"/My Music/song.mp3"}, "/My Music/song.mp3"},
        {{"\"/My Music/song.mp3\""}, "/My Music/song.mp3"},
        {{"/My", "Music/song.mp3"}, "/My Music/song.mp3"},
        {{"a\"b\"c.wav", "x"}, "abc.wav x"},
        {{"song.wav "}, "song.wav "},
        {{"Müsik/été 日本.wav"}, "Müsik/été 日本.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(CommandLineFromArguments(c.arguments), c.line);
    }
}

namespace {

// The keys of a desktop entry's main group.
std::map<QString, QString> DesktopEntryKeys(const QString& path) {
    std::map<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return keys;
    }
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && !line.startsWith('#') && line.contains('=')) {
            keys[line.section('=', 0, 0)] = line.section('=', 1);
        }
    }
    return keys;
}

}  // namespace

// Docks and task bars find a window's desktop entry by the application id on Wayland (the
// desktop file name) and by the window class on X11 (the application name, matched against
// StartupWMClass); either one off, and the window shows a generic icon and name.
TEST(ApplicationIdentity, WindowsBelongToTheInstalledDesktopEntry) {
    DescribeApplication();
    const QString id = QGuiApplication::desktopFileName();
    ASSERT_FALSE(id.isEmpty());
    const auto entry =
        DesktopEntryKeys(QStringLiteral(CHIMEWICK_SOURCE_DIR "/packaging/") + id + ".desktop.in");
    ASSERT_FALSE(entry.empty()) << "no desktop entry " << id.toStdString() << " is installed";
    EXPECT_EQ(entry.at("Type"), "Application");
    EXPECT_EQ(entry.count("StartupWMClass") ? entry.at("StartupWMClass") : QString(),
              QCoreApplication::applicationName());
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
}
