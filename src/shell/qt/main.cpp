// vandrel-pro: the program's window.
//
// Hidden option for making pictures of the window: --screenshot FILE [--after-ms N] saves the
// window as it looks N milliseconds (default 3000) after start-up, then quits without the
// shut-down of a normal close.
#include <QApplication>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <cstdio>

#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform_port.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vandrel Pro");

    QString screenshot;
    int afterMs = 3000;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--screenshot") screenshot = args[i + 1];
        if (args[i] == "--after-ms") afterMs = args[i + 1].toInt();
    }

    vp::qt::QtPlatformPort port;
    vp::qt::MainWindow window(port);
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(afterMs, &window, [&] {
            const bool saved = window.grab().save(screenshot);
            if (!saved) std::fprintf(stderr, "cannot write %s\n", qPrintable(screenshot));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    window.Load();
    return QApplication::exec();
}
