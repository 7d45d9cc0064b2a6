// Program entry: the command line, the application object, its title, the
// main window, the message loop.
#include "common/paths.h"
#include "common/regional.h"
#include "common/version.h"
#include "workbench/mainwindow.h"
#include "workbench/messages.h"
#include "workbench/qttranslations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <QSettings>
#include <cstring>

namespace {

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption port{
        "port", "Connect over DEVICE instead of the stored port, without storing it.", "DEVICE"};
    QCommandLineOption demo{"demo", "Start with Demo-Mode switched on, without storing it."};

    CommandLine() {
        parser.setApplicationDescription(QStringLiteral("OBD-II scan tool for an ELM interface."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOptions({port, demo});
    }
};

// --help and --version print and end, so they need no display.
bool onlyPrints(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("obd-torvane"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(obd::ProgramVersion));
    CommandLine commandLine;
    if (onlyPrints(argc, argv)) {
        QCoreApplication printer(argc, argv);
        commandLine.parser.process(printer);
    }

    QApplication app(argc, argv);
    // Without translations for the user's language Qt's English texts stay.
    obd::InstallQtTranslations(QLocale::system());
    commandLine.parser.process(app);
    obd::UseCNumericLocale();
    obd::SetApplicationTitle(QStringLiteral("OBD-II Torvane"));

    obd::TfMain fMain(
        obd::LocateProgramPaths(QApplication::applicationDirPath(),
                                QProcessEnvironment::systemEnvironment()),
        std::make_unique<QSettings>(QStringLiteral("Quorix"), QStringLiteral("OBDTorvane")));
    fMain.StartWith(commandLine.parser.value(commandLine.port),
                    commandLine.parser.isSet(commandLine.demo));
    fMain.show();
    return app.exec();
}
