#pragma once

// A bar chart of one keyword's occurrences per month. Hovering a bar shows its month and count.
// Drawn with the window's palette, so it reads under a light or a dark theme alike.

#include "core/SymbolStatistics.h"

#include <QWidget>

#include <vector>

class SymbolChart : public QWidget {
    Q_OBJECT

public:
    explicit SymbolChart(QWidget* parent = nullptr);

    void setMonths(const QString& keyword, std::vector<MonthCount> months);
    const std::vector<MonthCount>& months() const { return months_; }
    // What hovering at `point` shows; empty where there is no bar.
    QString toolTipAt(const QPoint& point) const;

    QSize sizeHint() const override { return {420, 180}; }
    QSize minimumSizeHint() const override { return {200, 120}; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect plotArea() const;
    int barAt(const QPoint& point) const;

    QString keyword_;
    std::vector<MonthCount> months_;
    int highest_ = 0;
};
