// A Qt plugin for the start-up figures (QT_QPA_GENERIC_PLUGINS=dv2exposeprobe):
// once a window has been exposed, and so painted, the process ends at once
// with exit code 42, without tearing anything down.
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>

class ExposeFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && watched->isWindowType()
            && static_cast<QWindow*>(watched)->isExposed())
            // After the expose event, whose handling paints the window.
            QMetaObject::invokeMethod(this, [] { std::_Exit(42); }, Qt::QueuedConnection);
        return false;
    }
};

class ExposeProbe : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "ExposeProbe.json")

public:
    QObject* create(const QString&, const QString&) override
    {
        auto* filter = new ExposeFilter;
        QCoreApplication::instance()->installEventFilter(filter);
        return filter;
    }
};

#include "ExposeProbe.moc"
