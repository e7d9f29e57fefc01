#pragma once
// Materials of a copy of the demo catalogue read through hidden cards, and the outside tools
// the exports are checked by (CalculiX, xmllint) run in a temporary folder.

#include "matexport/CardReader.h"
#include "matexport/MaterialExport.h"
#include "support/CardSessions.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace orv::test {

class MatExportTest : public DemoCardTest
{
protected:
    matexport::MaterialData material(int number) { return matexport::readMaterial(env, number); }

    // The first value of a physical property (its name as the catalogue starts it).
    static std::optional<double> physical(const matexport::MaterialData &m, const char *name,
                                          std::optional<double> temperature = std::nullopt)
    {
        for (const matexport::PhysValue &p : m.physical)
            if (p.property.startsWith(QString::fromUtf8(name)) && (!temperature || p.temperature == temperature))
                return p.minValue;
        return std::nullopt;
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = root + name;
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            ADD_FAILURE() << "cannot write " << path.toStdString();
        return path;
    }

    // Runs a program in the test's folder; the exit status, the output in `output`.
    int run(const QString &program, const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        p.setWorkingDirectory(root);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        if (output)
            *output = QString::fromUtf8(p.readAll());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    static bool haveTool(const char *name) { return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty(); }
};

} // namespace orv::test
