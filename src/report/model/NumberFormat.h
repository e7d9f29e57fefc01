#pragma once
// Numbers to texts and texts to numbers for the report generator, under one set of regional
// settings (the system's by default; tests and the designer may change them).

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace orv {

struct TFormatSettings {
    QChar DecimalSeparator = u',';
    QChar ThousandSeparator = QChar(0x00A0);
    QString CurrencyString = QStringLiteral("Kč");
    int CurrencyFormat = 3;        // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int NegCurrFormat = 8;         // 0..15 as the Windows control panel numbers them
    // Pictures in the date/time picture syntax of FORMATDT.
    QString ShortDateFormat = QStringLiteral("d.m.yyyy");
    QString LongDateFormat = QStringLiteral("d. mmmm yyyy");
    QString ShortTimeFormat = QStringLiteral("h:nn");
    QString TimeFormat = QStringLiteral("h:nn:ss");
    QChar DateSeparator = u'.';
    QChar TimeSeparator = u':';
    QString TimeAMString = QStringLiteral("dop.");
    QString TimePMString = QStringLiteral("odp.");
    QStringList ShortMonthNames, LongMonthNames;   // 12 each
    QStringList ShortDayNames, LongDayNames;       // 7 each, Sunday first

    // The settings of the system locale.
    static TFormatSettings system();
    // Fixed settings with "." and no locale names (English names), for tests.
    static TFormatSettings invariant();
};

// The process-wide settings every conversion below uses.
TFormatSettings &formatSettings();

// Tolerant text to number (see the reader of values in expressions): 12.5 and 12,5 both
// give 12.5; anything with characters other than digits, E/e, the separator and a leading
// "-" gives 0, as does a failed conversion.
double StrToNum(const QString &text);
// Strict conversion with the system decimal separator (surrounding blanks allowed).
bool standardToFloat(const QString &text, double &value);
// The shortest text of a number (15 significant digits, scientific where needed).
QString numberText(double value);
// Number with "." as the decimal mark, for literals: digits [. digits] [E[sign]digits].
double literalNumber(const QString &literal);
bool parseLiteralNumber(const QString &literal, double &value);

// Number in one of the five formats with precision (significant digits / width) and
// digits (decimals, or exponent digits for Exponent).
QString formatFloatF(double value, int format, int precision, int digits);
// Number with a picture: 0 # . , E+ E- e+ e- 'lit' "lit" and ; sections.
QString formatFloatPicture(double value, const QString &picture);
// Date/time (days since 30 December 1899) with a picture.
QString formatDateTimePicture(double dateTime, const QString &picture);
QString shortDateText(double dateTime);
QString timeText(double dateTime);

// Date/time as days since 30 December 1899, and back (invalid gives 0).
double dateTimeToSerial(const QDateTime &dt);
bool serialToParts(double serial, int &year, int &month, int &day, int &hour, int &minute,
                   int &second, int &msec);

} // namespace orv
