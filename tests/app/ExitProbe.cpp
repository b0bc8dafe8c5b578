// A Qt plugin that the real program loads in its test
// (QT_QPA_GENERIC_PLUGINS=dv2exitprobe): once the main menu is the active
// window it prints every top-level window, one a line, as
// "objectName shown|hidden caption", and presses Alt+X in the main menu.
#include <QApplication>
#include <QGenericPlugin>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdio>

class ExitProbe : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "ExitProbe.json")

public:
    QObject* create(const QString&, const QString&) override
    {
        auto* timer = new QTimer;
        connect(timer, &QTimer::timeout, [timer] {
            QWidget* menu = QApplication::activeWindow();
            if (menu == nullptr || menu->objectName() != "frmSplash")
                return;
            timer->stop();
            for (QWidget* window : QApplication::topLevelWidgets())
                if (!window->objectName().isEmpty())
                    std::printf("%s %s %s\n", qPrintable(window->objectName()),
                                window->isVisible() ? "shown" : "hidden",
                                qPrintable(window->windowTitle()));
            std::fflush(stdout);
            QTest::keyClick(menu, Qt::Key_X, Qt::AltModifier);
        });
        timer->start(20);
        return timer;
    }
};

#include "ExitProbe.moc"
