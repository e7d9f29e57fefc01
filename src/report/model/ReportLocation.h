#pragma once
// Where a report's template file lies: a name, a directory or a data-base alias, and the
// rule that by default looks beside the executable whatever the directory says.

#include <QString>

#include <functional>

namespace orv {

// A template name with its extension replaced by ".pts" ("dir\x" -> "dir\x.pts",
// "a.b" -> "a.pts"); an empty name stays empty.
QString templateFileName(const QString &name);
// A non-empty directory with a trailing path delimiter ("c:\a" -> "c:\a\").
QString withTrailingDelimiter(const QString &dir);
// Backslashes of template names written for the original platform become "/".
QString nativeTemplatePath(const QString &path);

class TReportLocation {
public:
    const QString &ReportName() const { return m_name; }
    void setReportName(const QString &name) { m_name = templateFileName(name); }
    const QString &ReportDir() const { return m_dir; }
    // A non-empty directory clears the alias.
    void setReportDir(const QString &dir);
    const QString &ReportAlias() const { return m_alias; }
    // A non-empty alias clears the directory.
    void setReportAlias(const QString &alias);
    bool ReportDirIgnore = true;

    // Looks the alias up: the directory, or empty when the alias is unknown.
    using AliasLookup = std::function<QString(const QString &alias)>;
    // Shows a warning (caption "Varování").
    using Warn = std::function<void(const QString &text)>;

    // The full path of the template. hasDataSet: the data source is a data-base data set
    // that can name an alias's directory. exeDir: the folder of the executable.
    QString TemplatePath(bool hasDataSet, const AliasLookup &aliasDir, bool designing,
                         const QString &exeDir, const Warn &warn) const;

private:
    QString m_name;
    QString m_dir = QStringLiteral(".\\");
    QString m_alias;
};

} // namespace orv
