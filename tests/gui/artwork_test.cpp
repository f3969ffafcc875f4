#include "dialogs/Artwork.h"

#include <QSet>

#include <gtest/gtest.h>

TEST(Artwork, PicturesHaveTheSizesTheirWindowsLeaveForThem) {
    const struct {
        const char* name;
        QPixmap picture;
        QSize size;
    } pictures[] = {
        {"progress picture", ProgressPicture(), {268, 278}},
        {"about banner", AboutBanner(), {274, 59}},
        {"help glyph", HelpGlyph(), {18, 18}},
        {"about glyph", AboutGlyph(), {18, 18}},
    };
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(p.picture.size(), p.size);
        EXPECT_EQ(p.picture.devicePixelRatio(), 1.0);
    }
    EXPECT_EQ(ProgressDialogIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    const QList<QSize> iconSizes = ApplicationIcon().availableSizes();
    for (int size : {16, 24, 32, 48, 256}) {
        EXPECT_TRUE(iconSizes.contains(QSize(size, size))) << size;
    }
}

TEST(Artwork, ApplicationIconIsARoundedTileAtEverySize) {
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const QImage icon = ApplicationIconImage(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_LT(qAlpha(icon.pixel(0, 0)), 32);
        EXPECT_LT(qAlpha(icon.pixel(size - 1, size - 1)), 32);
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }
}

// The speed buttons treat the bottom-left pixel's colour as transparent, so it must not
// be a colour the picture needs.
TEST(Artwork, HelpGlyphIsABlackQuestionMarkOnGreenAndAboutGlyphPlainBlue) {
    const QImage help = HelpGlyph().toImage();
    const QImage about = AboutGlyph().toImage();
    EXPECT_EQ(qAlpha(help.pixel(0, 17)), 0);
    EXPECT_EQ(qAlpha(about.pixel(0, 17)), 0);

    int black = 0;
    int green = 0;
    for (int y = 2; y < 16; ++y) {
        for (int x = 2; x < 16; ++x) {
            const QColor c = help.pixelColor(x, y);
            black += c.value() < 60;
            green += c.green() > 2 * c.red() && c.green() > 2 * c.blue();
            const QColor b = about.pixelColor(x, y);
            EXPECT_TRUE(b.blue() > 2 * b.red() && b.blue() > b.green()) << x << "," << y;
        }
    }
    EXPECT_GE(black, 15) << "no question mark";
    EXPECT_GE(green, 100) << "not a green square";
}

TEST(Artwork, ProgressDialogIconKeepsToTheSixteenColourPalette) {
    const QSet<QRgb> palette = {
        0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
        0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
        0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
    };
    const QImage icon =
        ProgressDialogIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QRgb pixel = icon.pixel(x, y);
            if (qAlpha(pixel) == 0) {
                continue;
            }
            ++opaque;
            EXPECT_TRUE(palette.contains(pixel)) << x << "," << y << " is " << std::hex << pixel;
        }
    }
    EXPECT_GT(opaque, 200);
}
