#include "xlsx/Workbook.h"

#include "core/SafeFile.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QHash>
#include <QStringList>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace orv::xlsx {

namespace {

constexpr int maxTextLength = 32767;   // what a cell holds
constexpr double minWidth = 4, maxWidth = 70;

bool isNumber(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool isDate(const QVariant &v)
{
    return v.metaType().id() == QMetaType::QDate || v.metaType().id() == QMetaType::QDateTime;
}

QString cellText(const QVariant &v)
{
    if (isNumber(v))
        return QString::number(v.toDouble(), 'g', 15);
    if (isDate(v))
        return QStringLiteral("00.00.0000");
    return v.toString();
}

// The width a text needs: its longest line, a little more for the cell's padding.
double textWidth(const QString &text)
{
    qsizetype longest = 0;
    for (const QStringView line : QStringView(text).split(u'\n'))
        longest = std::max(longest, line.size());
    return double(longest) * 1.1 + 1.5;
}

// Formats are shared by every cell with the same look; libxlsxwriter owns them.
class Formats {
public:
    explicit Formats(lxw_workbook *wb) : m_wb(wb) {}
    lxw_format *get(bool bold, bool marked, bool header, const QString &numberFormat)
    {
        if (!bold && !marked && !header && numberFormat.isEmpty())
            return nullptr;
        const QString key = QStringLiteral("%1%2%3|").arg(int(bold)).arg(int(marked)).arg(int(header)) + numberFormat;
        if (lxw_format *f = m_cache.value(key))
            return f;
        lxw_format *f = workbook_add_format(m_wb);
        if (bold || header)
            format_set_bold(f);
        if (marked) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, 0xFFF2CC);
        }
        if (header) {
            format_set_text_wrap(f);
            format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
            format_set_bottom(f, LXW_BORDER_THIN);
        }
        if (!numberFormat.isEmpty())
            format_set_num_format(f, numberFormat.toUtf8().constData());
        m_cache.insert(key, f);
        return f;
    }

private:
    lxw_workbook *m_wb;
    QHash<QString, lxw_format *> m_cache;
};

// The file a writer left must end with the zip's directory: else the writing stopped early.
bool completeArchive(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 22)
        return false;
    if (f.read(4) != QByteArray("PK\x03\x04", 4))
        return false;
    const qint64 tail = std::min<qint64>(f.size(), 22 + 65535);
    f.seek(f.size() - tail);
    return f.read(tail).lastIndexOf(QByteArray("PK\x05\x06", 4)) >= 0;
}

QString libraryReason(lxw_error error, int savedErrno)
{
    if (savedErrno != 0)
        return writeFailureReason(savedErrno);
    return QString::fromUtf8("knihovna pro tabulky ohlásila chybu „%1“").arg(QString::fromUtf8(lxw_strerror(error)));
}

class Writer {
public:
    Writer(lxw_workbook *wb) : m_wb(wb), m_formats(wb) {}

    void writeSheet(const Sheet &sheet, const QString &name)
    {
        lxw_worksheet *ws = workbook_add_worksheet(m_wb, name.toUtf8().constData());
        if (!ws)
            return;
        int columns = int(sheet.columns.size());
        for (const Row &r : sheet.rows) {
            int n = 0;
            for (const Cell &c : r.cells)
                n += std::max(1, c.span);
            columns = std::max(columns, n);
        }
        // Widths from the content, before any row is written (rows leave memory as they go).
        QList<double> widths(columns, minWidth);
        if (sheet.header)
            for (int c = 0; c < sheet.columns.size(); ++c)
                widths[c] = std::max(widths[c], textWidth(sheet.columns[c].headerText()) + (sheet.autoFilter ? 2.5 : 0));
        for (const Row &r : sheet.rows) {
            int c = 0;
            for (const Cell &cell : r.cells) {
                if (cell.span <= 1 && c < columns)
                    widths[c] = std::max(widths[c], textWidth(cellText(cell.value)) * (r.bold ? 1.1 : 1.0));
                c += std::max(1, cell.span);
            }
        }
        for (int c = 0; c < columns; ++c)
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), std::min(widths[c], maxWidth), nullptr);

        lxw_row_t row = 0;
        if (sheet.header) {
            lxw_format *hf = m_formats.get(false, false, true, QString());
            for (int c = 0; c < sheet.columns.size(); ++c)
                worksheet_write_string(ws, row, lxw_col_t(c), sheet.columns[c].headerText().toUtf8().constData(), hf);
            worksheet_freeze_panes(ws, 1, 0);
            ++row;
        }
        for (const Row &r : sheet.rows) {
            int c = 0;
            for (const Cell &cell : r.cells) {
                const int span = std::max(1, cell.span);
                QString numberFormat = cell.numberFormat;
                if (numberFormat.isEmpty() && c < sheet.columns.size())
                    numberFormat = sheet.columns[c].numberFormat;
                if (isDate(cell.value) && numberFormat.isEmpty())
                    numberFormat = QStringLiteral("d.m.yyyy");
                lxw_format *f = m_formats.get(r.bold, r.marked, false, isNumber(cell.value) || isDate(cell.value) ? numberFormat : QString());
                if (span > 1)
                    worksheet_merge_range(ws, row, lxw_col_t(c), row, lxw_col_t(c + span - 1), "", f);
                writeCell(ws, row, lxw_col_t(c), cell.value, f);
                c += span;
            }
            if (r.marked || r.bold) {
                lxw_format *f = m_formats.get(r.bold, r.marked, false, QString());
                for (; c < columns; ++c)
                    worksheet_write_blank(ws, row, lxw_col_t(c), f);
            }
            ++row;
        }
        if (sheet.header && sheet.autoFilter && columns > 0)
            worksheet_autofilter(ws, 0, 0, row > 1 ? row - 1 : 0, lxw_col_t(columns - 1));
    }

private:
    static void writeCell(lxw_worksheet *ws, lxw_row_t row, lxw_col_t col, const QVariant &v, lxw_format *f)
    {
        if (v.isNull() || !v.isValid()) {
            if (f)
                worksheet_write_blank(ws, row, col, f);
            return;
        }
        if (isNumber(v)) {
            const double d = v.toDouble();
            if (std::isfinite(d))
                worksheet_write_number(ws, row, col, d, f);
            else if (f)
                worksheet_write_blank(ws, row, col, f);
            return;
        }
        if (isDate(v)) {
            const QDateTime dt = v.metaType().id() == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime();
            lxw_datetime d{dt.date().year(), dt.date().month(), dt.date().day(), dt.time().hour(),
                           dt.time().minute(), dt.time().second() + dt.time().msec() / 1000.0};
            worksheet_write_datetime(ws, row, col, &d, f);
            return;
        }
        QString text = v.toString();
        // A cell shows line breaks and tabs; other control characters would be written as
        // escapes a reader may show literally.
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        text.removeIf([](QChar ch) { return ch.unicode() < 0x20 && ch != u'\n' && ch != u'\t'; });
        if (text.size() > maxTextLength)
            text.truncate(maxTextLength);
        if (text.isEmpty()) {
            if (f)
                worksheet_write_blank(ws, row, col, f);
            return;
        }
        worksheet_write_string(ws, row, col, text.toUtf8().constData(), f);
    }

    lxw_workbook *m_wb;
    Formats m_formats;
};

} // namespace

QString Column::headerText() const
{
    return unit.isEmpty() ? heading : heading + QStringLiteral(" [") + unit + u']';
}

QList<SourceLine> catalogueSource(const QString &catalogueFile)
{
    const QFileInfo fi(catalogueFile);
    QList<SourceLine> lines;
    lines.append({QStringLiteral("Katalog"), QDir::toNativeSeparators(fi.absoluteFilePath())});
    lines.append({QStringLiteral("Datum katalogu"), fi.exists() ? QVariant(fi.lastModified().date()) : QVariant()});
    lines.append({QStringLiteral("Uloženo"), QDate::currentDate()});
    return lines;
}

Column columnFromHeading(const QString &heading)
{
    const QString h = heading.trimmed();
    const qsizetype open = h.lastIndexOf(QStringLiteral(" ["));
    if (open > 0 && h.endsWith(u']'))
        return Column{h.left(open).trimmed(), h.mid(open + 2, h.size() - open - 3), {}};
    return Column{h, {}, {}};
}

std::optional<Bounds> boundsOfText(const QString &text, const QLocale &locale)
{
    auto number = [&locale](QString t) -> std::optional<double> {
        t = t.trimmed();
        bool ok = false;
        const double d = locale.toDouble(t, &ok);
        if (!ok || t.isEmpty() || !std::isfinite(d))
            return std::nullopt;
        return d;
    };
    const QString t = text.trimmed();
    if (t.startsWith(QStringLiteral("min. "))) {
        if (const auto a = number(t.mid(5)))
            return Bounds{*a, QVariant()};
        return std::nullopt;
    }
    if (t.startsWith(QStringLiteral("max. "))) {
        if (const auto b = number(t.mid(5)))
            return Bounds{QVariant(), *b};
        return std::nullopt;
    }
    const QStringList parts = t.split(QStringLiteral(" – "));
    if (parts.size() == 2) {
        const auto a = number(parts[0]), b = number(parts[1]);
        if (a && b)
            return Bounds{*a, *b};
        return std::nullopt;
    }
    if (const auto a = number(t))
        return Bounds{*a, *a};
    return std::nullopt;
}

QString sourceSheetName()
{
    return QStringLiteral("Zdroj");
}

QString validSheetName(const QString &wanted, const QStringList &taken)
{
    QString name = wanted.trimmed();
    for (QChar &ch : name)
        if (QStringLiteral("[]:*?/\\").contains(ch) || ch.unicode() < 0x20)
            ch = u'-';
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    while (name.endsWith(u'\''))
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("List");
    name.truncate(31);
    auto used = [&taken](const QString &n) {
        return std::any_of(taken.begin(), taken.end(), [&n](const QString &t) { return t.compare(n, Qt::CaseInsensitive) == 0; });
    };
    const QString base = name;
    for (int i = 2; used(name); ++i) {
        const QString suffix = QStringLiteral(" (%1)").arg(i);
        name = base.left(31 - suffix.size()) + suffix;
    }
    return name;
}

Sheet &Workbook::addSheet(const QString &name)
{
    m_sheets.append(Sheet{});
    m_sheets.last().name = name;
    return m_sheets.last();
}

QString Workbook::save(const QString &target) const
{
    SafeFile file(target);
    if (!file.open())
        return file.errorText();

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;   // rows leave memory once written
    const QByteArray path = QFile::encodeName(file.temporaryPath());
    errno = 0;
    lxw_workbook *wb = workbook_new_opt(path.constData(), &options);
    if (!wb) {
        file.fail(writeFailureReason(errno ? errno : EIO));
        file.commitWritten();
        return file.errorText();
    }
    {
        Writer writer(wb);
        QStringList names;
        for (const Sheet &s : m_sheets) {
            names << validSheetName(s.name, names);
            writer.writeSheet(s, names.last());
        }
        if (!m_source.isEmpty()) {
            Sheet source;
            source.autoFilter = false;
            source.columns = {Column{QStringLiteral("údaj"), {}, {}}, Column{QStringLiteral("hodnota"), {}, {}}};
            for (const SourceLine &l : m_source)
                source.addRow({Cell(l.label), Cell(l.value)});
            writer.writeSheet(source, validSheetName(sourceSheetName(), names));
        }
    }
    errno = 0;
    const lxw_error error = workbook_close(wb);
    const int savedErrno = errno;
    if (error != LXW_NO_ERROR)
        file.fail(libraryReason(error, savedErrno == ENOSPC || savedErrno == EDQUOT || savedErrno == EIO ? savedErrno : 0));
    if (!file.commitWritten(completeArchive))
        return file.errorText();
    return {};
}

} // namespace orv::xlsx
