// Program entry: the application object, its title, the main window, the
// message loop. The command line is not read.
#include "common/regional.h"
#include "workbench/mainwindow.h"
#include "workbench/messages.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    obd::UseCNumericLocale();
    obd::SetApplicationTitle(QStringLiteral("OBD-II Torvane"));

    obd::TfMain fMain(
        QApplication::applicationDirPath(),
        std::make_unique<QSettings>(QStringLiteral("Quorix"), QStringLiteral("OBDTorvane")));
    fMain.show();
    return app.exec();
}
