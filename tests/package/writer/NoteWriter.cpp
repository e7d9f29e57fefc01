// package_note_writer: writes or reads a user note through the main data module of a program
// folder, as the installed program would, for the package test (which runs it as an
// unprivileged user).
//   package_note_writer write PROGRAM_FOLDER MATERIAL_NUMBER TEXT
//   package_note_writer read  PROGRAM_FOLDER MATERIAL_NUMBER      (prints the text)

#include "core/Paths.h"
#include "db/MainDataModule.h"

#include <QCoreApplication>
#include <QTextStream>

#include <exception>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4 || (args.at(1) == QLatin1String("write") && args.size() < 5)) {
        QTextStream(stderr) << "usage: package_note_writer write|read FOLDER NUMBER [TEXT]\n";
        return 2;
    }
    orv::setProgramFolder(args.at(2));
    QString error;
    if (!orv::prepareUserFolder(&error)) {
        QTextStream(stderr) << error << '\n';
        return 1;
    }
    try {
        orv::db::MainDataModule module(orv::programFolder(), orv::userFolder());
        orv::db::DataSet &notes = module.tUserNotice;
        const int material = args.at(3).toInt();
        if (args.at(1) == QLatin1String("write")) {
            notes.append();
            notes.setValue(QStringLiteral("MATERIALNO"), material);
            notes.setValue(QStringLiteral("TEXT"), args.at(4));
            notes.post();
            return 0;
        }
        for (notes.first(); !notes.eof(); notes.next()) {
            if (notes.value(QStringLiteral("MATERIALNO")).toInt() == material) {
                QTextStream(stdout) << notes.value(QStringLiteral("TEXT")).toString() << '\n';
                return 0;
            }
        }
        return 3;
    } catch (const std::exception &e) {
        QTextStream(stderr) << e.what() << '\n';
        return 1;
    }
}
