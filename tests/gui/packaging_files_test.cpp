// The hand-written XML files that are installed: an icon no desktop could parse, or a
// Thunar action that breaks uca.xml, would fail only on the user's machine.
#include <fnmatch.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QXmlStreamReader>
#include <algorithm>

namespace {

struct Parsed {
    QString error;
    QString root;
    QString rootNamespace;
    QXmlStreamAttributes rootAttributes;
    QMap<QString, QString> childTexts;  // text of the root's direct children
};

Parsed ParseXml(const QString& path) {
    Parsed parsed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        parsed.error = "cannot open " + path;
        return parsed;
    }
    QXmlStreamReader xml(&file);
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (depth == 1) {
                parsed.root = xml.name().toString();
                parsed.rootNamespace = xml.namespaceUri().toString();
                parsed.rootAttributes = xml.attributes();
            } else if (depth == 2) {
                const QString name = xml.name().toString();
                parsed.childTexts[name] =
                    xml.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    if (xml.hasError()) {
        parsed.error = xml.errorString() + " at line " + QString::number(xml.lineNumber());
    }
    return parsed;
}

}  // namespace

TEST(PackagingFiles, IconIsAWellFormedSquareSvg) {
    const Parsed svg = ParseXml(CHIMEWICK_SOURCE_DIR "/packaging/chimewick.svg");
    ASSERT_TRUE(svg.error.isEmpty()) << svg.error.toStdString();
    EXPECT_EQ(svg.root, "svg");
    EXPECT_EQ(svg.rootNamespace, "http://www.w3.org/2000/svg");
    EXPECT_EQ(svg.rootAttributes.value("viewBox").toString(), "0 0 256 256");
}

// Each snippet is copied whole into uca.xml, so each must be one well-formed action.
struct ThunarSnippet {
    const char* file;
    const char* name;
    const char* commandEnd;
};

TEST(PackagingFiles, ThunarActionsAreOneWellFormedActionEachForAllSelectedSongs) {
    const ThunarSnippet snippets[] = {
        {"thunar-make-ringtone.xml.in", "Make Ringtone", " %F"},
        {"thunar-make-ringtone-choose.xml.in", "Make Ringtone (choose part)\u2026", " --choose %F"},
    };
    QStringList uniqueIds;
    for (const ThunarSnippet& snippet : snippets) {
        SCOPED_TRACE(snippet.file);
        const Parsed action = ParseXml(QString(CHIMEWICK_SOURCE_DIR "/packaging/") + snippet.file);
        ASSERT_TRUE(action.error.isEmpty()) << action.error.toStdString();
        EXPECT_EQ(action.root, "action");
        EXPECT_EQ(action.childTexts.value("name"), QString::fromUtf8(snippet.name));
        EXPECT_EQ(action.childTexts.value("icon"), "chimewick");
        EXPECT_TRUE(action.childTexts.value("command").endsWith(snippet.commandEnd));
        EXPECT_TRUE(action.childTexts.contains("audio-files"));
        EXPECT_FALSE(action.childTexts.value("unique-id").isEmpty());
        // Two actions with one id would be one action to Thunar.
        EXPECT_FALSE(uniqueIds.contains(action.childTexts.value("unique-id")));
        uniqueIds << action.childTexts.value("unique-id");
        // Thunar matches its patterns as case-sensitive globs: each spelling needs its own.
        const QStringList patterns = action.childTexts.value("patterns").split(';');
        auto shown = [&](const std::string& name) {
            return std::any_of(patterns.begin(), patterns.end(), [&](const QString& p) {
                return fnmatch(p.toStdString().c_str(), name.c_str(), 0) == 0;
            });
        };
        for (const char* name : {"song.mp3", "Song.Mp3", "a.mP3", "SONG.MP3", "b.wav", "Song.Wav",
                                 "c.wAv", "d.waV", "e.WAV", "f.WaV"}) {
            EXPECT_TRUE(shown(name)) << name;
        }
        for (const char* name : {"song.mp4", "song.mp3.txt", "wav", "song.ogg"}) {
            EXPECT_FALSE(shown(name)) << name;
        }
    }
}
