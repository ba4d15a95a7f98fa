// A Qt plugin that the launch test loads into the real program (QT_QPA_GENERIC_PLUGINS): it writes
// to the file named by ONEIRION_PROBE_REPORT the first window the program shows, with the keywords
// of the import window and whether the window icon loaded, then closes that window so the program
// ends on its own.

#include <QApplication>
#include <QFile>
#include <QGenericPlugin>
#include <QIcon>
#include <QTimer>
#include <QTreeWidget>

#include <unistd.h>

namespace {

class WindowProbe : public QObject {
public:
    WindowProbe() {
        connect(&timer_, &QTimer::timeout, this, &WindowProbe::look);
        timer_.start(50);
    }

private:
    void look() {
        QWidget* window = nullptr;
        for (QWidget* shown : QApplication::topLevelWidgets())
            window = shown->isVisible() ? shown : window;
        if (window == nullptr && ++ticks_ < 1800)
            return;
        timer_.stop();
        QStringList lines{"window " + (window ? window->objectName() : "none"),
                          QApplication::windowIcon().pixmap(64).isNull() ? "icon missing"
                                                                         : "icon loaded"};
        if (auto* list = window ? window->findChild<QTreeWidget*>("ListView1") : nullptr)
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                lines << "keyword " + list->topLevelItem(i)->text(0);
        QFile out(qEnvironmentVariable("ONEIRION_PROBE_REPORT"));
        if (out.open(QIODevice::WriteOnly | QIODevice::Append))
            out.write((lines.join('\n') + QString("\npid %1\nend\n").arg(::getpid())).toUtf8());
        // Any other window is a failure; closing the main window would open a web page.
        if (window != nullptr && window->objectName() == "frmKeyUpdate")
            window->close();
        else
            QCoreApplication::exit(3);
    }

    QTimer timer_;
    int ticks_ = 0;
};

} // namespace

class WindowProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "test_filetype_probe.json")

public:
    QObject* create(const QString& key, const QString&) override {
        return key.compare("oneirionwindowprobe", Qt::CaseInsensitive) == 0 ? new WindowProbe
                                                                            : nullptr;
    }
};

#include "test_filetype_probe.moc"
