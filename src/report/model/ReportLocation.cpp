#include "report/model/ReportLocation.h"

#include <QDir>

namespace orv {

namespace {
bool isDelimiter(QChar c)
{
    return c == u'\\' || c == u'/' || c == u':';
}
} // namespace

QString templateFileName(const QString &name)
{
    if (name.isEmpty())
        return name;
    int dot = -1;
    for (int i = name.size() - 1; i >= 0; --i) {
        if (isDelimiter(name.at(i)))
            break;
        if (name.at(i) == u'.') {
            dot = i;
            break;
        }
    }
    return (dot >= 0 ? name.left(dot) : name) + QStringLiteral(".pts");
}

QString withTrailingDelimiter(const QString &dir)
{
    if (dir.isEmpty() || dir.endsWith(u'\\') || dir.endsWith(u'/'))
        return dir;
    // Keep the style the directory is written in.
    const QChar delimiter = dir.contains(u'\\') && !dir.contains(u'/') ? u'\\' : u'/';
    return dir + delimiter;
}

QString nativeTemplatePath(const QString &path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    return p;
}

void TReportLocation::setReportDir(const QString &dir)
{
    m_dir = withTrailingDelimiter(dir);
    if (!m_dir.isEmpty())
        m_alias.clear();
}

void TReportLocation::setReportAlias(const QString &alias)
{
    m_alias = alias;
    if (!alias.isEmpty())
        m_dir.clear();
}

QString TReportLocation::TemplatePath(bool hasDataSet, const AliasLookup &aliasDir, bool designing,
                                      const QString &exeDir, const Warn &warn) const
{
    // Without a name there is no file, whichever directory would hold it.
    if (m_name.isEmpty())
        return QString();
    if (!m_alias.isEmpty()) {
        if (hasDataSet) {
            const QString dir = aliasDir ? aliasDir(m_alias) : QString();
            if (!dir.isEmpty())
                return nativeTemplatePath(withTrailingDelimiter(dir) + m_name);
            if (warn)
                warn(QStringLiteral("Neznámý alias: %1\rBude použito stand. nastavení").arg(m_alias));
        } else if (warn) {
            warn(QStringLiteral("Nelze použít alias, protože není definován zdroj dat nebo není "
                                "typu TDBDataSet"));
        }
    }
    if (!ReportDirIgnore || designing)
        return nativeTemplatePath(m_dir + m_name);
    // Absolute names stay as they are rather than being put below the executable's folder.
    const QString name = nativeTemplatePath(m_name);
    if (QDir::isAbsolutePath(name))
        return name;
    return QDir(exeDir).filePath(name);
}

} // namespace orv
