#pragma once

// What the expression compiler hands the runner: the instructions of one parsed text, and
// the names and character classes both of them read. Only Expression*.cpp include this.

#include "report/model/CalcType.h"
#include "report/model/Expression.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace orv {

namespace expr {

enum Func : int {
    fnAbs, fnInt, fnSgn, fnMax, fnMin, fnRound, fnSin, fnCos, fnTan, fnCotg, fnExp, fnLog,
    fnAsin, fnAcos, fnAtan, fnAcotg, fnLeft, fnRight, fnSubstr, fnLength, fnPos, fnUpper,
    fnLower, fnLtrim, fnRtrim, fnAlltrim, fnFormat, fnChr, fnOrd, fnStrToNum, fnNumToStr,
    fnFormatDt, fnYear, fnMonth, fnDay, fnHour, fnMinute, fnSecond, fnIif, fnIsNull, fnCount
};

struct FuncInfo {
    const char *name;
    int args;
};

inline constexpr FuncInfo kFuncs[fnCount] = {
    {"ABS", 1}, {"INT", 1}, {"SGN", 1}, {"MAX", 2}, {"MIN", 2}, {"ROUND", 1}, {"SIN", 1},
    {"COS", 1}, {"TAN", 1}, {"COTG", 1}, {"EXP", 1}, {"LOG", 1}, {"ASIN", 1}, {"ACOS", 1},
    {"ATAN", 1}, {"ACOTG", 1}, {"LEFT", 2}, {"RIGHT", 2}, {"SUBSTR", 3}, {"LENGTH", 1},
    {"POS", 2}, {"UPPER", 1}, {"LOWER", 1}, {"LTRIM", 1}, {"RTRIM", 1}, {"ALLTRIM", 1},
    {"FORMAT", 2}, {"CHR", 1}, {"ORD", 1}, {"STRTONUM", 1}, {"NUMTOSTR", 1},
    {"FORMATDT", 2}, {"YEAR", 1}, {"MONTH", 1}, {"DAY", 1}, {"HOUR", 1}, {"MINUTE", 1},
    {"SECOND", 1}, {"IIF", 3}, {"ISNULL", 1}};

inline int findFunction(const QString &upper)
{
    for (int i = 0; i < fnCount; ++i)
        if (upper == QLatin1String(kFuncs[i].name))
            return i;
    return -1;
}

enum BinOp : int { opAdd, opSub, opMul, opDiv, opPow, opEq, opNe, opLt, opGt, opLe, opGe,
                   opAnd, opOr, opIn };

inline int precedenceOf(int op)
{
    switch (op) {
    case opPow: return 253;
    case opMul: case opDiv: case opAnd: return 252;
    case opAdd: case opSub: case opOr: return 251;
    default: return 250;
    }
}

enum class Code : quint8 { Const, Ref, RefName, Neg, Not, Binary, Function };

struct Instr {
    Code code;
    int arg = 0;        // constant index, reference number, name index, operator, function
    QChar prefix;       // references
    int pos = 0;        // where its token began
};

inline bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
inline bool isRefPrefix(QChar c) { return c == u'#' || c == u'&' || c == u'@' || c == u'%'; }
inline bool isNameStart(QChar c) { return c.isLetter() || c == u'_'; }
inline bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

// Where the digits that start at i end, with a decimal point and more digits if they follow.
inline int endOfDecimal(const QString &t, int i)
{
    const int n = int(t.size());
    while (i < n && isAsciiDigit(t.at(i)))
        ++i;
    if (i < n && t.at(i) == u'.') {
        ++i;
        while (i < n && isAsciiDigit(t.at(i)))
            ++i;
    }
    return i;
}

} // namespace expr

struct ExprProgram {
    std::vector<expr::Instr> code;
    std::vector<TCalcType> constants;
    std::vector<QString> names;
    int error = eeNone;    // the scan error that follows the instructions, if any
    int errorPos = 0;
    bool empty = false;    // blank text: the empty value
};

namespace expr {

// The program of a text; never null (a text with a syntax error gives a program that reports it).
std::shared_ptr<const ExprProgram> compile(const QString &text);

// Runs a program against the report context (null: no report, references are empty).
TEvalResult run(const ExprProgram &program, TExprContext *context);

// The items of a list text the way SplitList reads it.
QStringList listItems(TExprContext *context, const QString &text);

} // namespace expr

} // namespace orv
