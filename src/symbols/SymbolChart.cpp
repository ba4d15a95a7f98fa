#include "symbols/SymbolChart.h"

#include <QDate>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

SymbolChart::SymbolChart(QWidget* parent)
    : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SymbolChart::setMonths(const QString& keyword, std::vector<MonthCount> months) {
    keyword_ = keyword;
    months_ = std::move(months);
    highest_ = 0;
    for (const MonthCount& month : months_)
        highest_ = std::max(highest_, month.occurrences);
    update();
}

QRect SymbolChart::plotArea() const {
    const QFontMetrics metrics(font());
    const int left = metrics.horizontalAdvance(QString::number(std::max(highest_, 10))) + 10;
    return rect().adjusted(left, metrics.height() + 4, -8, -(metrics.height() + 8));
}

int SymbolChart::barAt(const QPoint& point) const {
    const QRect area = plotArea();
    if (months_.empty() || point.x() < area.left() || point.x() > area.right() ||
        point.y() < area.top() || point.y() > area.bottom() + 4)
        return -1;
    const double width = double(area.width()) / double(months_.size());
    return std::clamp(int((point.x() - area.left()) / width), 0, int(months_.size()) - 1);
}

QString SymbolChart::toolTipAt(const QPoint& point) const {
    const int bar = barAt(point);
    if (bar < 0)
        return {};
    const MonthCount& month = months_[std::size_t(bar)];
    const QString when =
        QStringLiteral("%1 %2").arg(QLocale().standaloneMonthName(month.month)).arg(month.year);
    if (month.occurrences == 0)
        return tr("%1: none").arg(when);
    const QString times =
        month.occurrences == 1 ? tr("once") : tr("%1 times").arg(month.occurrences);
    const QString entries =
        month.entries == 1 ? tr("in 1 entry") : tr("in %1 entries").arg(month.entries);
    return tr("%1: %2, %3").arg(when, times, entries);
}

bool SymbolChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    if (event->type() == QEvent::MouseMove) {
        // Moving from bar to bar follows at once, without waiting for a new hover.
        const auto* move = static_cast<QMouseEvent*>(event);
        if (QToolTip::isVisible()) {
            const QString text = toolTipAt(move->position().toPoint());
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(move->globalPosition().toPoint(), text, this);
        }
    }
    return QWidget::event(event);
}

void SymbolChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colors = palette();
    painter.fillRect(rect(), colors.color(QPalette::Base));
    const QFontMetrics metrics(font());
    painter.setPen(colors.color(QPalette::Text));
    if (months_.empty()) {
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                         keyword_.isEmpty() ? tr("Pick a keyword to see it month by month.")
                                            : tr("No entries in this range."));
        return;
    }
    const QRect area = plotArea();
    painter.drawText(QRect(4, 2, width() - 8, metrics.height()), Qt::AlignLeft,
                     tr("\u201c%1\u201d per month").arg(keyword_));

    // A grid line at the top count and one half way, labelled on the left.
    QColor grid = colors.color(QPalette::Text);
    grid.setAlphaF(0.25f);
    const int top = std::max(highest_, 1);
    for (const int value : {top, top / 2}) {
        if (value == 0)
            continue;
        const int y = area.bottom() - int(double(area.height()) * value / top);
        painter.setPen(grid);
        painter.drawLine(area.left(), y, area.right(), y);
        painter.setPen(colors.color(QPalette::Text));
        painter.drawText(QRect(0, y - metrics.height() / 2, area.left() - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(value));
    }
    painter.setPen(colors.color(QPalette::Text));
    painter.drawLine(area.bottomLeft(), area.bottomRight());

    const double barWidth = double(area.width()) / double(months_.size());
    const QColor bar = colors.color(QPalette::Highlight);
    int lastLabelRight = area.left() - 100;
    for (std::size_t i = 0; i < months_.size(); ++i) {
        const MonthCount& month = months_[i];
        const double x = area.left() + barWidth * double(i);
        const int height = int(double(area.height()) * month.occurrences / top);
        const double gap = barWidth > 4 ? std::min(barWidth * 0.2, 4.0) : 0.0;
        if (height > 0)
            painter.fillRect(QRectF(x + gap / 2, area.bottom() - height + 1,
                                    std::max(barWidth - gap, 1.0), height),
                             bar);
        // The year under its first month, where it fits; January marks a new year.
        if (i == 0 || month.month == 1) {
            const QString label = QString::number(month.year);
            const int labelX = int(x);
            if (labelX > lastLabelRight + 4) {
                painter.drawLine(labelX, area.bottom(), labelX, area.bottom() + 3);
                painter.drawText(labelX + 2, area.bottom() + 4 + metrics.ascent(), label);
                lastLabelRight = labelX + 2 + metrics.horizontalAdvance(label);
            }
        }
    }
}
