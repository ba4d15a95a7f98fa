// The tree's four images: distinct, 20 x 20, and visible on light and dark backgrounds.

#include "TestSupport.h"
#include "journal/TreeIcons.h"

#include <QColor>
#include <QImage>
#include <QPixmap>

#include <cmath>

namespace {

double luminance(const QColor& c) {
    auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How many of the icon's pixels stand out from `background` once composed over it.
int standingOut(const QImage& icon, const QColor& background) {
    int count = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QColor px = icon.pixelColor(x, y);
            const double a = px.alphaF();
            const QColor over =
                QColor::fromRgbF(float(px.redF() * a + background.redF() * (1 - a)),
                                 float(px.greenF() * a + background.greenF() * (1 - a)),
                                 float(px.blueF() * a + background.blueF() * (1 - a)));
            if (contrast(over, background) >= 3.0)
                ++count;
        }
    }
    return count;
}

TEST(TreeIcons, FourDistinctIconsThatReadOnLightAndDarkThemes) {
    const QList<QIcon> icons = DreamTreeImages();
    ASSERT_EQ(icons.size(), 4);
    QList<QImage> images;
    for (const QIcon& icon : icons) {
        const QImage image =
            icon.pixmap(QSize(20, 20)).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(20, 20));
        images << image;
        // An eighth of the icon must stand out from either kind of window.
        for (const QColor& background :
             {QColor(255, 255, 255), QColor(240, 240, 240), QColor(30, 30, 30), QColor(45, 45, 48)})
            EXPECT_GE(standingOut(image, background), 50)
                << images.size() << " on " << background.name().toStdString();
    }
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i], images[j]) << i << " and " << j;
    // Sharp on high-density screens too.
    EXPECT_EQ(icons[0].pixmap(QSize(20, 20), 2.0).size(), QSize(40, 40));
}

} // namespace
