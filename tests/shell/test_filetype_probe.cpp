// A Qt plugin that the launch tests load into the real program (QT_QPA_GENERIC_PLUGINS): it
// reports the first window the program shows, with the keywords of the import window and whether
// the window icon loaded, then closes that window so the program ends on its own.

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
            if (auto* box = qobject_cast<QMessageBox*>(window)) {
                report({QStringLiteral("message ") + box->text()});
                box->close();
                continue;
            }
            if (window->objectName() == QLatin1String("frmKeyUpdate")) {
                timer_.stop();
                report(describe(window));
                window->close();
                return;
            }
            if (window->objectName() == QLatin1String("frmMain")) {
                // Closing the main window would open a web page: leave at once instead.
                timer_.stop();
                report(describe(window));
                QCoreApplication::exit(4);
                return;
            }
        }
        if (waited_.elapsed() > 90000) {
            timer_.stop();
            report({QStringLiteral("no window"), QStringLiteral("end")});
            QCoreApplication::exit(3);
        }
    }

    static QStringList describe(QWidget* window) {
        QStringList lines{QStringLiteral("window ") + window->objectName()};
        lines << (QApplication::windowIcon().pixmap(64).isNull() ? QStringLiteral("icon missing")
                                                                 : QStringLiteral("icon loaded"));
        if (auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"))) {
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                lines << QStringLiteral("keyword ") + list->topLevelItem(i)->text(0);
        }
        lines << QStringLiteral("pid %1").arg(::getpid()) << QStringLiteral("end");
        return lines;
    }

    // To the file named by ONEIRION_PROBE_REPORT when set (a launcher detaches the program), else
    // to standard output.
    static void report(const QStringList& lines) {
        const QByteArray text = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
        QFile out;
        const QString path = qEnvironmentVariable("ONEIRION_PROBE_REPORT");
        const bool opened = path.isEmpty() ? out.open(stdout, QIODevice::WriteOnly)
                                           : (out.setFileName(path),
                                              out.open(QIODevice::WriteOnly | QIODevice::Append));
        if (opened) {
            out.write(text);
            out.flush();
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
        if (key.compare(QLatin1String("oneirionwindowprobe"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new WindowProbe;
    }
};

#include "test_filetype_probe.moc"
