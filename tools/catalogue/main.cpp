// orv_catalogue: builds the demo catalogue from its text sources, imports a catalogue kept
// in Paradox tables, generates large catalogues for benchmarks, and sets up a team's
// PostgreSQL database and loads a built catalogue into it.

#include "CatalogueBuilder.h"
#include "CatalogueSource.h"
#include "Generator.h"
#include "ParadoxImport.h"
#include "PdfSheets.h"
#include "PgImport.h"
#include "SqliteFile.h"

#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <memory>

using namespace orv::catalogue;

namespace {

int usage()
{
    QTextStream(stderr) << "usage:\n"
                           "  orv_catalogue build <source folder> <data folder> [--no-pdf] [--chapters]\n"
                           "  orv_catalogue validate <source folder>\n"
                           "  orv_catalogue import <paradox folder> <data folder>\n"
                           "  orv_catalogue generate <source folder> <data folder> [--materials N] [--seed S]\n"
                           "  orv_catalogue pg-init <conninfo>\n"
                           "  orv_catalogue pg-import <data folder> <conninfo>\n"
                           "  orv_catalogue pg-add-user <conninfo> <login>\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // PDF sheets need fonts but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The server commands draw nothing: no platform plugin, no fonts.
    const bool server = argc > 1 && (qstrcmp(argv[1], "pg-init") == 0 || qstrcmp(argv[1], "pg-import") == 0
                                       || qstrcmp(argv[1], "pg-add-user") == 0);
    const std::unique_ptr<QCoreApplication> app = server ? std::make_unique<QCoreApplication>(argc, argv)
                                                         : std::make_unique<QGuiApplication>(argc, argv);
    const QStringList args = app->arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.size() < 3)
        return usage();
    const QString cmd = args[1];
    try {
        if (cmd == QLatin1String("validate")) {
            const CatalogueSource src = readCatalogueSource(args[2]);
            const QStringList problems = validateSource(src);
            if (!problems.isEmpty())
                err << problemList(problems) << '\n';
            out << src.materials.size() << " materials\n";
            return problems.isEmpty() ? 0 : 1;
        }
        if (cmd == QLatin1String("pg-init")) {
            if (args.size() != 3)
                return usage();
            out << pgInitText(pgInit(args[2])) << '\n';
            return 0;
        }
        if (args.size() < 4)
            return usage();
        if (cmd == QLatin1String("pg-add-user")) {
            if (args.size() != 4)
                return usage();
            out << pgAddUserText(pgAddUser(args[2], args[3])) << '\n';
            return 0;
        }
        if (cmd == QLatin1String("pg-import")) {
            if (args.size() != 4)
                return usage();
            out << pgImportText(pgImport(args[2], args[3])) << '\n';
            return 0;
        }
        if (cmd == QLatin1String("build")) {
            const CatalogueSource src = readCatalogueSource(args[2]);
            const BuildSummary s = buildCatalogue(src, args[3]);
            out << "catalogue: " << s.materials << " materials\n";
            for (auto it = s.perChapter.begin(); it != s.perChapter.end(); ++it)
                out << "  " << it.key() << ": " << it.value() << '\n';
            if (args.contains(QStringLiteral("--chapters")))
                for (auto it = s.perSubChapter.begin(); it != s.perSubChapter.end(); ++it)
                    out << "    " << it.key() << ": " << it.value() << '\n';
            out << userFileOutcomeText(s.userFile) << '\n';
            if (!s.ownRows.isEmpty())
                out << s.ownRows << '\n';
            if (!args.contains(QStringLiteral("--no-pdf"))) {
                const PdfSummary p = writePdfSheets(src, args[3] + QStringLiteral("/pdf"));
                out << "pdf: " << p.sheets << " sheets, " << p.diagrams << " diagrams\n";
            }
            return 0;
        }
        if (cmd == QLatin1String("import")) {
            const ImportSummary s = importParadox(args[2], args[3]);
            out << "imported " << s.tables << " tables, " << s.rows << " rows\n";
            out << userFileOutcomeText(s.userFile) << '\n';
            if (!s.ownRows.isEmpty())
                out << s.ownRows << '\n';
            for (const QString &w : s.warnings)
                err << w << '\n';
            return 0;
        }
        if (cmd == QLatin1String("generate")) {
            GeneratorOptions o;
            for (int i = 4; i + 1 < args.size(); i += 2) {
                if (args[i] == QLatin1String("--materials"))
                    o.materials = args[i + 1].toInt();
                else if (args[i] == QLatin1String("--seed"))
                    o.seed = args[i + 1].toULongLong();
                else
                    return usage();
            }
            const CatalogueSource src = readCatalogueSource(args[2]);
            generateCatalogue(src, args[3], o);
            out << "generated " << o.materials << " materials\n";
            return 0;
        }
    } catch (const ToolError &e) {
        out.flush();
        err << e.text() << '\n';
        return 1;
    }
    return usage();
}
