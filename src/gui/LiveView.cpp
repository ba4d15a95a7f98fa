#include "gui/LiveView.h"

#include "gui/Widgets.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace {

class Refresher : public QObject {
public:
    Refresher(QWidget* window, std::function<void()> refresh, int intervalMs)
        : QObject(window)
        , refresh_(std::move(refresh))
        , timer_(new QTimer(this)) {
        timer_->setInterval(intervalMs);
        connect(timer_, &QTimer::timeout, this, [this] { refresh_(); });
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            timer_->start();
            refresh_();
            break;
        case QEvent::Hide:
            timer_->stop();
            break;
        case QEvent::WindowActivate:
            refresh_();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> refresh_;
    QTimer* timer_;
};

} // namespace

void keepCurrent(QWidget* window, std::function<void()> refresh, int intervalMs) {
    new Refresher(window, std::move(refresh), intervalMs);
}

QLabel* makeViewNote(const char* name) {
    auto* note = named(new QLabel, name);
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    note->setAutoFillBackground(true);
    note->setBackgroundRole(QPalette::Base);
    return note;
}
