#include "report/output/PaperFormats.h"

#include "core/SafeFile.h"
#include "core/Utf8.h"

#include <QFile>
#include <QStringList>

#include <cmath>

namespace orv {

namespace {

const char *const kSection = "FormatyPapiru";
const char *const kCount = "PocetFormatu";

bool within(int given, int entry)
{
    return given >= 0.99 * entry && given <= 1.01 * entry;
}

QStringList readLines(const QString &file, bool *exists = nullptr)
{
    QFile f(file);
    if (exists)
        *exists = f.exists();
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool isSectionLine(const QString &line, QString *name = nullptr)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'[') || !t.endsWith(u']'))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool keyOf(const QString &line, QString &key, QString &value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#'))
        return false;
    const int eq = t.indexOf(u'=');
    if (eq <= 0)
        return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    return true;
}

} // namespace

QString UserFormatName()
{
    return u8("uživ. formát");
}

TListFormatu::TListFormatu()
{
    const QString q = QStringLiteral("\"");
    const QString folded = u8("Skládaný");
    const QString envelope = u8("Obálka");
    const QString turned = u8("Obálka otoč.");
    m_items = {
        {folded + u8(" (8.5 x 12") + q + u')', 850, 1200},
        {folded + u8(" (15 x 12") + q + u')', 1500, 1200},
        {u8("Letter (8.5 x 11") + q + u')', 850, 1100},
        {u8("Legal (8.5 x 14") + q + u')', 850, 1400},
        {u8("Executive (7.25 x 10.5") + q + u')', 725, 1050},
        {u8("A2 (420 x 594 mm)"), 1652, 2338},
        {u8("A3 (297 x 420 mm)"), 1169, 1652},
        {u8("A4 (210 x 297 mm)"), 826, 1169},
        {u8("A5 (148.5 x 210 mm)"), 584, 826},
        {u8("A6 (105 x 148.5mm)"), 413, 584},
        {u8("B5 (182 x 257 mm)"), 716, 1011},
        {envelope + u8(" (162 x 114 mm)"), 637, 433},
        {envelope + u8(" (220 x 110 mm)"), 866, 433},
        {envelope + u8(" (228 x 162 mm)"), 896, 637},
        {turned + u8("(114 x 162 mm)"), 433, 637},
        {turned + u8("(110 x 220 mm)"), 433, 866},
        {turned + u8("(162 x 228 mm)"), 637, 896},
    };
}

QString TListFormatu::encode(const TFormatPapiru &format)
{
    QString name = format.Name;
    // A name with a comma (or starting with a quote) is quoted so that it reads back whole.
    if (name.contains(u',') || name.startsWith(u'"'))
        name = u'"' + name.remove(u'"') + u'"';
    return name + u',' + QString::number(format.Width) + u',' + QString::number(format.Height);
}

TFormatPapiru TListFormatu::decode(const QString &raw)
{
    TFormatPapiru f;
    QString rest;
    const QString value = raw.trimmed();
    if (value.startsWith(u'"')) {
        const int close = value.indexOf(u'"', 1);
        if (close < 0) {
            f.Name = value.mid(1);
        } else {
            f.Name = value.mid(1, close - 1);
            rest = value.mid(close + 1);
            const int comma = rest.indexOf(u',');
            rest = comma < 0 ? QString() : rest.mid(comma + 1);
        }
    } else {
        const int comma = value.indexOf(u',');
        f.Name = comma < 0 ? value : value.left(comma);
        rest = comma < 0 ? QString() : value.mid(comma + 1);
    }
    f.Name = f.Name.left(48).left(MaxNameLength).trimmed();
    const QStringList numbers = rest.split(u',');
    bool ok = false;
    f.Width = numbers.value(0).trimmed().toInt(&ok);
    if (!ok)
        f.Width = 0;
    f.Height = numbers.value(1).trimmed().toInt(&ok);
    if (!ok)
        f.Height = 0;
    return f;
}

void TListFormatu::Load(const QString &settingsFile)
{
    m_items.resize(PredefinedCount);
    const auto values = ReadIniSection(settingsFile, QString::fromLatin1(kSection));
    auto find = [&](const QString &key, QString &value) {
        for (const auto &kv : values)
            if (kv.first.compare(key, Qt::CaseInsensitive) == 0) {
                value = kv.second;
                return true;
            }
        return false;
    };
    QString text;
    int n = 0;
    if (find(QString::fromLatin1(kCount), text))
        n = std::max(0, text.toInt());
    // A count far beyond the keys present is a damaged file, not a thousand formats.
    n = std::min(n, 1000);
    for (int i = 1; i <= n; ++i) {
        if (find(QStringLiteral("Format%1").arg(i), text)) {
            m_items.push_back(decode(text));
        } else {
            TFormatPapiru missing;
            missing.Name = u8("Uživat. unknown");
            m_items.push_back(missing);
        }
    }
}

bool TListFormatu::Save(const QString &settingsFile) const
{
    std::vector<std::pair<QString, QString>> values;
    values.emplace_back(QString::fromLatin1(kCount), QString::number(count() - PredefinedCount));
    for (int i = PredefinedCount; i < count(); ++i)
        values.emplace_back(QStringLiteral("Format%1").arg(i - PredefinedCount + 1), encode(Format(i)));
    return WriteIniValues(settingsFile, QString::fromLatin1(kSection), values);
}

int TListFormatu::FindOrAdd(int width, int height)
{
    for (int i = 0; i < count(); ++i)
        if (within(width, m_items[size_t(i)].Width) && within(height, m_items[size_t(i)].Height))
            return i;
    return Add(UserFormatName(), width, height);
}

int TListFormatu::Add(const QString &name, int width, int height)
{
    m_items.push_back({name.left(MaxNameLength), width, height});
    return count() - 1;
}

bool TListFormatu::Delete(int index)
{
    if (!isUserFormat(index))
        return false;
    m_items.erase(m_items.begin() + index);
    return true;
}

// ------------------------------------------------------------------ INI access

std::vector<std::pair<QString, QString>> ReadIniSection(const QString &file, const QString &section)
{
    std::vector<std::pair<QString, QString>> out;
    bool inside = false;
    for (const QString &line : readLines(file)) {
        QString name;
        if (isSectionLine(line, &name)) {
            inside = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString key, value;
        if (inside && keyOf(line, key, value))
            out.emplace_back(key, value);
    }
    return out;
}

bool ReadIniValue(const QString &file, const QString &section, const QString &key, QString &value)
{
    for (const auto &kv : ReadIniSection(file, section))
        if (kv.first.compare(key, Qt::CaseInsensitive) == 0) {
            value = kv.second;
            return true;
        }
    return false;
}

bool WriteIniValues(const QString &file, const QString &section,
                    const std::vector<std::pair<QString, QString>> &values)
{
    QStringList lines = readLines(file);
    std::vector<bool> written(values.size(), false);
    int sectionStart = -1, sectionEnd = -1;
    bool inside = false;
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (isSectionLine(lines.at(i), &name)) {
            if (inside && sectionEnd < 0)
                sectionEnd = i;
            inside = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inside && sectionStart < 0)
                sectionStart = i;
            continue;
        }
        QString key, value;
        if (!inside || !keyOf(lines.at(i), key, value))
            continue;
        for (size_t v = 0; v < values.size(); ++v)
            if (!written[v] && key.compare(values[v].first, Qt::CaseInsensitive) == 0) {
                lines[i] = values[v].first + u'=' + values[v].second;
                written[v] = true;
            }
    }
    if (inside && sectionEnd < 0)
        sectionEnd = int(lines.size());
    QStringList added;
    for (size_t v = 0; v < values.size(); ++v)
        if (!written[v])
            added << values[v].first + u'=' + values[v].second;
    if (sectionStart < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << u'[' + section + u']';
        lines << added;
    } else {
        // New keys go after the section's last non-empty line.
        int at = sectionEnd;
        while (at > sectionStart + 1 && lines.at(at - 1).trimmed().isEmpty())
            --at;
        for (int k = 0; k < added.size(); ++k)
            lines.insert(at + k, added.at(k));
    }
    return writeFileSafely(file, (lines.join(u'\n') + u'\n').toUtf8());
}

} // namespace orv
