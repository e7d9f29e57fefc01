#include "report/ui/ComboBoxPredloha.h"

#include "report/model/TemplateFile.h"
#include "report/output/Sestava.h"
#include "report/ui/ReportUi.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace orv {

TComboBoxPredloha::TComboBoxPredloha(QWidget *parent) : QComboBox(parent)
{
    InstallReportUi();
    setEditable(false);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
    connect(this, &QComboBox::activated, this, [this](int index) { chosen(index); });
}

void TComboBoxPredloha::setReportMask(const QString &mask)
{
    const QFileInfo fi(mask);
    const QString base = fi.suffix().isEmpty() ? mask : mask.left(mask.size() - fi.suffix().size() - 1);
    m_mask = base + QStringLiteral(".pts");
}

void TComboBoxPredloha::setReportDir(const QString &dir)
{
    m_dir = dir;
    if (!m_dir.isEmpty() && !m_dir.endsWith(u'/') && !m_dir.endsWith(u'\\'))
        m_dir += u'/';
}

QString TComboBoxPredloha::searchDir() const
{
    QString dir;
    if (m_dirIgnore && !Designing)
        dir = QCoreApplication::applicationDirPath();
    else
        dir = m_dir;
    // The mask may carry a folder of its own.
    const QString maskDir = QFileInfo(m_mask).path();
    if (maskDir != QStringLiteral("."))
        dir = QDir(dir).filePath(maskDir);
    return dir;
}

QString TComboBoxPredloha::templateTitle(const QString &path)
{
    QStringList lines;
    if (loadTemplateFile(path, lines) == seOk) {
        for (const QString &line : std::as_const(lines)) {
            if (!line.startsWith(u'I'))
                continue;
            // The description is a quoted field: its quotes are not part of it.
            const QStringList fields = splitTemplateFields(line);
            bool ok = false;
            if (fields.size() > 2 && fields.at(1).trimmed().toInt(&ok) == 0 && ok)
                return fields.at(2);
        }
    }
    return QFileInfo(path).fileName();
}

void TComboBoxPredloha::addTemplate(const QString &title, const QString &path)
{
    addItem(title, path);
}

void TComboBoxPredloha::Refresh()
{
    const QString shown = currentIndex() >= 0 ? currentText() : QString();
    const QSignalBlocker block(this);
    clear();
    if (OnNactiSeznam && !Designing) {
        OnNactiSeznam(*this);
    } else {
        const QDir dir(searchDir());
        const QString pattern = QFileInfo(m_mask).fileName();
        // Templates are matched without regard to case, as the file system they were made
        // for did; the names keep the case they have on disk.
        const QStringList all = dir.entryList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                    QRegularExpression::CaseInsensitiveOption);
        for (const QString &name : std::as_const(all))
            if (re.match(name).hasMatch())
                addTemplate(templateTitle(dir.filePath(name)), dir.filePath(name));
    }
    setCurrentIndex(shown.isEmpty() ? -1 : findText(shown, Qt::MatchExactly));
}

QString TComboBoxPredloha::templatePath(int index) const
{
    return index >= 0 && index < count() ? itemData(index).toString() : QString();
}

QString TComboBoxPredloha::templatePath() const
{
    return templatePath(currentIndex());
}

void TComboBoxPredloha::chosen(int index)
{
    if (m_report && index >= 0)
        m_report->setReportName(templatePath(index));
}

bool TComboBoxPredloha::selectFile(const QString &fileName)
{
    Refresh();
    const QString wanted = QFileInfo(fileName).absoluteFilePath();
    for (int i = 0; i < count(); ++i) {
        if (QFileInfo(templatePath(i)).absoluteFilePath().compare(wanted, Qt::CaseInsensitive) == 0) {
            setCurrentIndex(i);
            chosen(i);
            return true;
        }
    }
    return false;
}

} // namespace orv
