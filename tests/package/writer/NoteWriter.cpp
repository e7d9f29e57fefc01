// package_note_writer: writes or reads a user note through the main data module of a program
// folder, as the installed program would, for the package test (which runs it as an
// unprivileged user).
//   package_note_writer write PROGRAM_FOLDER MATERIAL_NUMBER TEXT
//   package_note_writer read  PROGRAM_FOLDER MATERIAL_NUMBER      (prints the text)
//   package_note_writer own   PROGRAM_FOLDER 0 LABEL              (a new own material; prints its number)
//   package_note_writer label PROGRAM_FOLDER MATERIAL_NUMBER      (prints "Private|Label" as the program reads it)

#include "core/Paths.h"
#include "db/MainDataModule.h"
#include "db/OwnDataModule.h"

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
        if (args.at(1) == QLatin1String("own")) {
            orv::db::OwnDataModule own(module);
            orv::db::Transaction transaction(module.userSession());
            own.qNodes.append();
            own.qNodes.post();
            own.qNorms.edit();
            own.qNorms.setValue(QStringLiteral("Label"), args.at(4));
            own.qNorms.post();
            transaction.commit();
            QTextStream(stdout) << own.qNodes.value(QStringLiteral("MaterialNo")).toInt() << '\n';
            return 0;
        }
        if (args.at(1) == QLatin1String("label")) {
            QTextStream(stdout) << module.catalogueSession()
                                       .scalar(QStringLiteral("select m.Private || '|' || n.Label from Mat m, Norms n "
                                                              "where n.MaterialNo = m.Number and m.Number = :m"),
                                               {{QStringLiteral("m"), material}})
                                       .toString()
                                << '\n';
            return 0;
        }
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
