#pragma once
// A drop-down list of the report templates of a folder, shown by their titles; choosing
// one sets the linked report's template name.

#include <QComboBox>

#include <functional>

namespace orv {

class TSestavaTyp;

class TComboBoxPredloha : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBoxPredloha(QWidget *parent = nullptr);

    TSestavaTyp *Report() const { return m_report; }
    void setReport(TSestavaTyp *report) { m_report = report; }
    QString ReportMask() const { return m_mask; }
    // The extension is replaced by ".pts".
    void setReportMask(const QString &mask);
    QString ReportDir() const { return m_dir; }
    // A trailing path delimiter is appended.
    void setReportDir(const QString &dir);
    bool ReportDirIgnore() const { return m_dirIgnore; }
    void setReportDirIgnore(bool on) { m_dirIgnore = on; }
    bool Designing = false;
    // Fills the list instead of the folder search.
    std::function<void(TComboBoxPredloha &)> OnNactiSeznam;

    // Reads the list again; the shown title stays chosen while it is there.
    void Refresh();
    // Adds an entry (used by OnNactiSeznam handlers).
    void addTemplate(const QString &title, const QString &path);
    // The path of the chosen entry, with its case as found.
    QString templatePath() const;
    QString templatePath(int index) const;
    // Chooses the entry of that file (compared without regard to case) after reading the
    // list again, and sets the report's template name. False when it is not in the list.
    bool selectFile(const QString &fileName);

    // The folder searched and the pattern.
    QString searchDir() const;
    // The title of a template file: its description line, else its file name.
    static QString templateTitle(const QString &path);

private:
    void chosen(int index);

    TSestavaTyp *m_report = nullptr;
    QString m_mask = QStringLiteral("*.pts");
    QString m_dir;
    bool m_dirIgnore = true;
};

} // namespace orv
