#include "report/model/NumberFormat.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <cmath>

// Date and time values: the serial day numbers of the report data and the FORMATDT pictures.

namespace orv {

double dateTimeToSerial(const QDateTime &dt)
{
    if (!dt.isValid())
        return 0.0;
    const qint64 days = QDate(1899, 12, 30).daysTo(dt.date());
    return double(days) + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

bool serialToParts(double serial, int &year, int &month, int &day, int &hour, int &minute,
                   int &second, int &msec)
{
    year = month = day = hour = minute = second = msec = 0;
    if (!std::isfinite(serial) || serial < -693593.0 || serial > 2958466.0)
        return false;   // outside the years 1..9999
    double whole = std::trunc(serial);
    qint64 ms = qint64(std::llround(std::fabs(serial - whole) * 86400000.0));
    if (ms >= 86400000) {
        ms -= 86400000;
        whole += serial < 0 ? -1.0 : 1.0;
    }
    const QDate d = QDate(1899, 12, 30).addDays(qint64(whole));
    if (!d.isValid())
        return false;
    year = d.year();
    month = d.month();
    day = d.day();
    hour = int(ms / 3600000);
    minute = int(ms / 60000 % 60);
    second = int(ms / 1000 % 60);
    msec = int(ms % 1000);
    return true;
}

namespace {

QString pad2(int v, int width)
{
    return QString::number(v).rightJustified(width, u'0');
}

QString nameAt(const QStringList &names, int i)
{
    return i >= 0 && i < names.size() ? names.at(i) : QString();
}

void formatDateTimeInto(QString &out, double serial, const QString &pic, int depth);

// One pass over a date-time picture: each run of a field letter writes its part of the
// moment; quoted text and other characters are copied. Pictures that name other pictures
// ("c", "ddddd", "t", ...) nest at most two deep.
class DateTimeWriter {
public:
    DateTimeWriter(QString &out, double serial, const QString &pic, int depth)
        : m_out(out), m_serial(serial), m_pic(pic), m_depth(depth), m_fs(formatSettings())
    {
    }

    // False for a serial outside the years 1..9999: nothing is written.
    bool readMoment()
    {
        if (!serialToParts(m_serial, y, mo, d, h, mi, s, ms))
            return false;
        dow = QDate(y, mo, d).dayOfWeek() % 7;   // Sunday 0
        const QString upper = m_pic.toUpper();
        twelveHour = upper.contains(QStringLiteral("AM/PM")) || upper.contains(QStringLiteral("A/P"))
                     || upper.contains(QStringLiteral("AMPM"));
        return true;
    }

    void write()
    {
        for (int i = 0; i < m_pic.size();) {
            const QChar c = m_pic.at(i);
            if (c == u'\'' || c == u'"') {
                i = quoted(i);
                continue;
            }
            const int used = field(i, c.toUpper());
            if (used > 0) {
                i += used;
                continue;
            }
            if (c == u'/')
                m_out += m_fs.DateSeparator;
            else if (c == u':')
                m_out += m_fs.TimeSeparator;
            else
                m_out += c;
            ++i;
        }
    }

private:
    QString &m_out;
    const double m_serial;
    const QString &m_pic;
    const int m_depth;
    const TFormatSettings &m_fs;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    int dow = 0;
    bool twelveHour = false;
    bool lastWasHour = false;   // "m" after "h" is the minute

    // Length of the run of the letter u (either case) that starts at i.
    int count(int i, QChar u) const
    {
        int n = 0;
        while (i + n < m_pic.size() && m_pic.at(i + n).toUpper() == u)
            ++n;
        return n;
    }

    void nested(const QString &picture)
    {
        if (m_depth < 2)
            formatDateTimeInto(m_out, m_serial, picture, m_depth + 1);
    }

    int quoted(int i)
    {
        const QChar q = m_pic.at(i);
        int j = i + 1;
        while (j < m_pic.size() && m_pic.at(j) != q)
            m_out += m_pic.at(j++);
        return j + 1;
    }

    // Writes the field that starts at i; returns the characters it used, 0 when none starts
    // there.
    int field(int i, QChar u)
    {
        switch (u.unicode()) {
        case u'C':
            if (m_depth < 2) {
                nested(m_fs.ShortDateFormat);
                if (std::fabs(m_serial - std::trunc(m_serial)) > 0) {
                    m_out += u' ';
                    nested(m_fs.TimeFormat);
                }
            }
            lastWasHour = false;
            return 1;
        case u'D': return dayField(i);
        case u'M': return monthField(i);
        case u'Y': {
            const int n = count(i, u);
            m_out += n <= 2 ? pad2(y % 100, 2) : pad2(y, 4);
            lastWasHour = false;
            return n;
        }
        case u'H': return hourField(i);
        case u'N': return numberField(i, u, mi);
        case u'S': return numberField(i, u, s);
        case u'Z': {
            const int n = count(i, u);
            m_out += n >= 3 ? pad2(ms, 3) : QString::number(ms);
            return n >= 3 ? 3 : 1;
        }
        case u'T': {
            const int n = count(i, u);
            nested(n >= 2 ? m_fs.TimeFormat : m_fs.ShortTimeFormat);
            lastWasHour = false;
            return n >= 2 ? 2 : 1;
        }
        case u'A': return amPmField(i);
        default: return 0;
        }
    }

    int dayField(int i)
    {
        const int n = count(i, u'D');
        switch (n) {
        case 1: m_out += QString::number(d); break;
        case 2: m_out += pad2(d, 2); break;
        case 3: m_out += nameAt(m_fs.ShortDayNames, dow); break;
        case 4: m_out += nameAt(m_fs.LongDayNames, dow); break;
        case 5: nested(m_fs.ShortDateFormat); break;
        default: nested(m_fs.LongDateFormat); break;
        }
        lastWasHour = false;
        return std::min(n, 6);
    }

    // "m" and "mm" right after an hour are the minute, else the month.
    int monthField(int i)
    {
        const int n = count(i, u'M');
        if (lastWasHour && n <= 2) {
            m_out += n == 1 ? QString::number(mi) : pad2(mi, 2);
        } else {
            switch (n) {
            case 1: m_out += QString::number(mo); break;
            case 2: m_out += pad2(mo, 2); break;
            case 3: m_out += nameAt(m_fs.ShortMonthNames, mo - 1); break;
            default: m_out += nameAt(m_fs.LongMonthNames, mo - 1); break;
            }
        }
        lastWasHour = false;
        return std::min(n, 4);
    }

    int hourField(int i)
    {
        const int n = count(i, u'H');
        int hh = h;
        if (twelveHour) {
            hh = h % 12;
            if (hh == 0)
                hh = 12;
        }
        m_out += n == 1 ? QString::number(hh) : pad2(hh, 2);
        lastWasHour = true;
        return std::min(n, 2);
    }

    // Minutes ("n") and seconds ("s"): one letter without padding, two with.
    int numberField(int i, QChar u, int value)
    {
        const int n = count(i, u);
        m_out += n == 1 ? QString::number(value) : pad2(value, 2);
        lastWasHour = false;
        return std::min(n, 2);
    }

    // "am/pm" and "a/p" in the picture's own letters, "ampm" in the settings' words.
    int amPmField(int i)
    {
        const QString rest = m_pic.mid(i, 5).toUpper();
        if (rest.startsWith(QStringLiteral("AM/PM"))) {
            m_out += h < 12 ? m_pic.mid(i, 2) : m_pic.mid(i + 3, 2);
            return 5;
        }
        if (rest.startsWith(QStringLiteral("A/P"))) {
            m_out += h < 12 ? m_pic.at(i) : m_pic.at(i + 2);
            return 3;
        }
        if (rest.startsWith(QStringLiteral("AMPM"))) {
            m_out += h < 12 ? m_fs.TimeAMString : m_fs.TimePMString;
            return 4;
        }
        return 0;
    }
};

void formatDateTimeInto(QString &out, double serial, const QString &pic, int depth)
{
    DateTimeWriter writer(out, serial, pic, depth);
    if (writer.readMoment())
        writer.write();
}

} // namespace

QString formatDateTimePicture(double dateTime, const QString &picture)
{
    QString out;
    formatDateTimeInto(out, dateTime, picture.isEmpty() ? QStringLiteral("c") : picture, 0);
    return out;
}

QString shortDateText(double dateTime)
{
    QString out;
    formatDateTimeInto(out, dateTime, formatSettings().ShortDateFormat, 1);
    return out;
}

QString timeText(double dateTime)
{
    QString out;
    formatDateTimeInto(out, dateTime, formatSettings().TimeFormat, 1);
    return out;
}

} // namespace orv
