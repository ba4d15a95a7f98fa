#include "journal/TreeIcons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

// Colours chosen to read on light and on dark window backgrounds alike: mid-grey outlines,
// light pages and mid-tone accents, never black or white edges alone.
const QColor kOutline(0x6b, 0x72, 0x80);
const QColor kPage(0xfa, 0xfa, 0xf7);
const QColor kBackPage(0xd5, 0xdb, 0xe5);
const QColor kInk(0x75, 0x80, 0x8f);
const QColor kIndigo(0x4f, 0x53, 0xc9);
const QColor kIndigoRim(0x8c, 0x8f, 0xf0);
const QColor kGold(0xff, 0xc9, 0x40);
const QColor kRose(0xe0, 0x56, 0x5b);
const QColor kTeal(0x2a, 0x9d, 0x8f);

using Drawing = std::function<void(QPainter&)>;

// Draws on a 20 x 20 canvas, at 1x and 2x, so the icon stays sharp on high-density screens.
QIcon drawnIcon(const Drawing& draw) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        QImage image(20 * scale, 20 * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(scale, scale);
            draw(painter);
        }
        QPixmap pixmap = QPixmap::fromImage(image);
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPen outlinePen(const QColor& colour = kOutline) {
    QPen pen(colour, 1.0);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// A calendar page: a coloured band on top, two binder rings, a body for the days.
void calendarPage(QPainter& p, const QRectF& page, const QColor& band) {
    p.setPen(outlinePen());
    p.setBrush(kPage);
    p.drawRoundedRect(page, 1.5, 1.5);
    const QRectF top(page.left(), page.top(), page.width(), 4.0);
    QPainterPath bandPath;
    bandPath.addRoundedRect(top, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawPath(bandPath);
    p.setPen(outlinePen());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(page, 1.5, 1.5);
    p.setPen(QPen(kOutline, 1.4, Qt::SolidLine, Qt::RoundCap));
    const qreal ringTop = page.top() - 1.5;
    p.drawLine(QPointF(page.left() + page.width() * 0.3, ringTop),
               QPointF(page.left() + page.width() * 0.3, ringTop + 3.0));
    p.drawLine(QPointF(page.right() - page.width() * 0.3, ringTop),
               QPointF(page.right() - page.width() * 0.3, ringTop + 3.0));
}

void drawRoot(QPainter& p) {
    // The journal itself: a night-blue badge with a crescent moon and a star.
    QLinearGradient sky(0, 1, 0, 19);
    sky.setColorAt(0, kIndigo.lighter(115));
    sky.setColorAt(1, kIndigo.darker(120));
    p.setPen(outlinePen(kIndigoRim));
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1.5, 1.5, 17, 17), 4, 4);

    QPainterPath moon;
    moon.addEllipse(QPointF(8.8, 10.6), 5.6, 5.6);
    QPainterPath bite;
    bite.addEllipse(QPointF(11.4, 8.4), 4.7, 4.7);
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawPath(moon.subtracted(bite));

    QPainterPath star;
    const QPointF c(14.6, 13.4);
    star.moveTo(c + QPointF(0, -2.6));
    star.quadTo(c, c + QPointF(2.6, 0));
    star.quadTo(c, c + QPointF(0, 2.6));
    star.quadTo(c, c + QPointF(-2.6, 0));
    star.quadTo(c, c + QPointF(0, -2.6));
    p.drawPath(star);
}

void drawYear(QPainter& p) {
    // A year: a stack of calendars.
    p.setPen(outlinePen());
    p.setBrush(kBackPage);
    p.drawRoundedRect(QRectF(5.5, 3.5, 12, 12), 1.5, 1.5);
    calendarPage(p, QRectF(2.5, 6.5, 12, 11), kRose);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(4.5 + col * 3.2, 12.0 + row * 2.6, 1.8, 1.6));
}

void drawMonth(QPainter& p) {
    // A month: one calendar page with its days.
    calendarPage(p, QRectF(2.5, 3.5, 15, 14), kTeal);
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            p.setBrush(row == 1 && col == 2 ? kTeal : kInk);
            p.drawRect(QRectF(4.6 + col * 3.2, 9.0 + row * 2.7, 2.0, 1.7));
        }
    }
}

void drawEntry(QPainter& p) {
    // An entry: a written page with a folded corner.
    QPainterPath page;
    page.moveTo(4.5, 1.5);
    page.lineTo(12.5, 1.5);
    page.lineTo(16.5, 5.5);
    page.lineTo(16.5, 18.5);
    page.lineTo(4.5, 18.5);
    page.closeSubpath();
    p.setPen(outlinePen());
    p.setBrush(kPage);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(12.5, 1.5);
    fold.lineTo(12.5, 5.5);
    fold.lineTo(16.5, 5.5);
    p.setBrush(kBackPage);
    p.drawPath(fold);

    p.setPen(QPen(kIndigo, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6.8, 5.0), QPointF(10.6, 5.0));
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap));
    for (const qreal y : {8.6, 11.2, 13.8})
        p.drawLine(QPointF(6.8, y), QPointF(14.2, y));
    p.drawLine(QPointF(6.8, 16.2), QPointF(11.6, 16.2));
}

} // namespace

QList<QIcon> journalTreeIcons() {
    return {drawnIcon(drawRoot), drawnIcon(drawYear), drawnIcon(drawMonth), drawnIcon(drawEntry)};
}
