// A Qt plugin that the launch test loads into the real program (QT_QPA_GENERIC_PLUGINS): it writes
// to the file named by ONEIRION_PROBE_REPORT the first window the program shows, with the keywords
// of the import window and whether the window icon loaded, then closes that window so the program
// ends on its own.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGenericPlugin>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>

#include <unistd.h>

namespace {

void Report(QStringList lines) {
    QFile out(qEnvironmentVariable("ONEIRION_PROBE_REPORT"));
    if (out.open(QIODevice::WriteOnly | QIODevice::Append))
        out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

class WindowProbe : public QObject {
public:
    WindowProbe() {
        connect(&timer_, &QTimer::timeout, this, &WindowProbe::look);
        timer_.start(50);
        waited_.start();
    }

private:
    void look() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            timer_.stop();
            const auto* box = qobject_cast<QMessageBox*>(window);
            QStringList lines{
                QStringLiteral("window ") +
                    (box ? QStringLiteral("message ") + box->text() : window->objectName()),
                QApplication::windowIcon().pixmap(64).isNull() ? QStringLiteral("icon missing")
                                                               : QStringLiteral("icon loaded")};
            if (auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"))) {
                for (int i = 0; i < list->topLevelItemCount(); ++i)
                    lines << QStringLiteral("keyword ") + list->topLevelItem(i)->text(0);
            }
            Report(lines << QStringLiteral("pid %1").arg(::getpid()) << QStringLiteral("end"));
            // Any other window is a failure; closing the main window would open a web page.
            if (window->objectName() == QLatin1String("frmKeyUpdate"))
                window->close();
            else
                QCoreApplication::exit(4);
            return;
        }
        if (waited_.elapsed() > 90000) {
            timer_.stop();
            Report({QStringLiteral("no window"), QStringLiteral("end")});
            QCoreApplication::exit(3);
        }
    }

    QTimer timer_;
    QElapsedTimer waited_;
};

} // namespace

class WindowProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "test_filetype_probe.json")

public:
    QObject* create(const QString& key, const QString&) override {
        return key.compare(QLatin1String("oneirionwindowprobe"), Qt::CaseInsensitive) == 0
                   ? new WindowProbe
                   : nullptr;
    }
};

#include "test_filetype_probe.moc"
