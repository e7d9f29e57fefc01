#include "report/model/ExpressionProgram.h"

#include "core/CodePage.h"
#include "report/model/CaughtException.h"
#include "report/model/NumberFormat.h"

#include <QByteArray>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace orv::expr {

namespace {

// ====================================================================== running

struct Val {
    TCalcType v;
    bool lazyText = false;   // Text is the text of Number, made when first needed
};

const QString &textOf(Val &x)
{
    if (x.lazyText) {
        x.v.Text = numberText(x.v.Number);
        x.lazyText = false;
    }
    return x.v.Text;
}

Val numberVal(double d, bool isNull)
{
    Val r;
    r.v.Kind = TCalcType::KindNumber;
    r.v.Number = d;
    r.v.IsNull = isNull;
    r.lazyText = true;
    return r;
}

Val textVal(const QString &t, double d, bool isNull)
{
    Val r;
    r.v.Kind = TCalcType::KindText;
    r.v.Text = t;
    r.v.Number = d;
    r.v.IsNull = isNull;
    return r;
}

// Truncation to an int that stays defined for any double.
int truncInt(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 1e9)
        return 1000000000;
    if (d <= -1e9)
        return -1000000000;
    return int(d);
}

double roundHalfEven(double x)
{
    if (!std::isfinite(x))
        return x;
    double r = std::floor(x + 0.5);
    if (r - x == 0.5 && std::fmod(r, 2.0) != 0.0)
        r -= 1.0;
    return r;
}

QString trimmed(const QString &t, bool left, bool right)
{
    int b = 0, e = int(t.size());
    if (left)
        while (b < e && t.at(b).unicode() <= 32)
            ++b;
    if (right)
        while (e > b && t.at(e - 1).unicode() <= 32)
            --e;
    return t.mid(b, e - b);
}

TCalcType resolveReference(TExprContext *ctx, QChar prefix, int number)
{
    if (!ctx || number <= 0)
        return TCalcType();
    return ctx->ReferenceValue(prefix, number);
}

// One item of a list literal (IN) or of a list text (SplitList).
struct ListItem {
    enum Type { Number, Text, Reference, Word } type;
    QString text;
    double number = 0.0;
};

// A reference item at i ("#3", "@Name", ...): the value's text and number, an empty item
// when the value cannot be had. Returns where the item ends.
int referenceItem(TExprContext *ctx, const QString &t, int i, bool inList,
                  std::vector<ListItem> &items)
{
    const int n = int(t.size());
    const QChar c = t.at(i);
    int j = i + 1;
    TCalcType v;
    int num = 0;
    QString name;
    if (j < n && isAsciiDigit(t.at(j))) {
        for (int digits = 0; j < n && isAsciiDigit(t.at(j)) && digits < 3; ++digits, ++j)
            num = num * 10 + (t.at(j).unicode() - '0');
    } else if (j < n && isNameStart(t.at(j))) {
        const int ns = j;
        while (j < n && isNameChar(t.at(j)))
            ++j;
        name = t.mid(ns, j - ns);
    }
    // An item whose value cannot be had is an empty item, whatever the resolver does.
    try {
        if (!name.isEmpty())
            num = ctx && (c == u'#' || c == u'@') ? ctx->ReferenceNumber(c, name) : 0;
        v = resolveReference(ctx, c, num);
    } catch (...) {
        logCaughtException("SplitList");
        v = TCalcType();
    }
    if (!inList && c == u'%')
        v = TCalcType();
    items.push_back({ListItem::Reference, v.Text, v.Number});
    return j;
}

// A number of an IN list at i, with its minus sign when negative. Returns where it ends.
int numberItem(const QString &t, int i, bool negative, std::vector<ListItem> &items)
{
    const int n = int(t.size());
    int j = endOfDecimal(t, i + (negative ? 1 : 0));
    if (j < n && (t.at(j) == u'E' || t.at(j) == u'e')) {
        int k = j + 1;
        if (k < n && (t.at(k) == u'+' || t.at(k) == u'-'))
            ++k;
        if (k < n && isAsciiDigit(t.at(k))) {
            while (k < n && isAsciiDigit(t.at(k)))
                ++k;
            j = k;
        }
    }
    ListItem it{ListItem::Number, t.mid(i, j - i)};
    QString lit = it.text;
    if (lit.endsWith(u'.'))
        lit.chop(1);
    it.number = literalNumber(lit);
    items.push_back(it);
    return j;
}

// Splits a list the way IN reads it (inList) or the way SplitList reads it.
std::vector<ListItem> parseList(TExprContext *ctx, const QString &t, bool inList)
{
    std::vector<ListItem> items;
    const int n = int(t.size());
    int i = 0;
    while (i < n) {
        const QChar c = t.at(i);
        const bool negNumber = inList && c == u'-' && i + 1 < n && isAsciiDigit(t.at(i + 1));
        if (c == u',') {
            ++i;
        } else if (c == u'\'') {
            const int close = int(t.indexOf(u'\'', i + 1));
            const int end = close < 0 ? n : close;
            ListItem it{ListItem::Text, t.mid(i + 1, end - i - 1)};
            it.number = StrToNum(it.text);
            items.push_back(it);
            i = close < 0 ? n : close + 1;
        } else if (isRefPrefix(c)) {
            i = referenceItem(ctx, t, i, inList, items);
        } else if (inList && (isAsciiDigit(c) || negNumber)) {
            i = numberItem(t, i, negNumber, items);
        } else if (inList ? c.isLetter() : c.unicode() > 32) {
            int j = int(t.indexOf(u',', i));
            if (j < 0)
                j = n;
            ListItem it{ListItem::Word, t.mid(i, j - i)};
            it.number = StrToNum(it.text);
            items.push_back(it);
            i = j;
        } else {
            ++i;   // blanks and anything else that starts no item
        }
    }
    return items;
}

static_assert(fnAcotg + 1 == fnLeft && fnNumToStr + 1 == fnFormatDt && fnSecond + 1 == fnIif,
              "the function numbers run group by group");

// The built-in functions, one evaluator per group. args are the function's arguments on the
// value stack, nul whether any of them is null; the result goes to r.

// ABS ... ACOTG. False on a domain error.
bool mathFunction(int f, Val *args, bool nul, Val &r)
{
    const double x = args[0].v.Number;
    switch (f) {
    case fnAbs: r = numberVal(std::fabs(x), nul); break;
    case fnInt: r = numberVal(std::trunc(x), nul); break;
    case fnSgn: r = numberVal(x > 0 ? 1 : x < 0 ? -1 : 0, nul); break;
    case fnMax: r = numberVal(std::max(x, args[1].v.Number), nul); break;
    case fnMin: r = numberVal(std::min(x, args[1].v.Number), nul); break;
    case fnRound: r = numberVal(roundHalfEven(x), nul); break;
    case fnSin: r = numberVal(std::sin(x), nul); break;
    case fnCos: r = numberVal(std::cos(x), nul); break;
    case fnTan:
        if (std::cos(x) == 0.0)
            return false;
        r = numberVal(std::sin(x) / std::cos(x), nul);
        break;
    case fnCotg:
        if (std::sin(x) == 0.0)
            return false;
        r = numberVal(std::cos(x) / std::sin(x), nul);
        break;
    case fnExp: r = numberVal(std::exp(x), nul); break;
    case fnLog:
        if (!(x > 0.0))
            return false;
        r = numberVal(std::log(x), nul);
        break;
    case fnAsin:
        if (!(x >= -1.0 && x <= 1.0))
            return false;
        r = numberVal(std::asin(x), nul);
        break;
    case fnAcos:
        if (!(x >= -1.0 && x <= 1.0))
            return false;
        r = numberVal(std::acos(x), nul);
        break;
    case fnAtan: r = numberVal(std::atan(x), nul); break;
    case fnAcotg: r = numberVal(M_PI / 2 - std::atan(x), nul); break;
    default: break;
    }
    return true;
}

// CHR: the character of a code from 1 to 255 (above 127 in code page 1250), else nothing.
QString characterOfCode(int code)
{
    if (code < 1 || code > 255)
        return QString();
    return code < 128 ? QString(QChar(code)) : decode(QByteArray(1, char(code)), CodePage::Cp1250);
}

// ORD: the code of the first character in code page 1250, its Unicode number where the code
// page has no such character; 0 for an empty text.
double codeOfFirstCharacter(const QString &t)
{
    if (t.isEmpty())
        return 0;
    const QChar ch = t.at(0);
    if (ch.unicode() >= 128 && encodable(ch, CodePage::Cp1250))
        return quint8(encode(QString(ch), CodePage::Cp1250).at(0));
    return ch.unicode();
}

// LEFT ... NUMTOSTR.
void textFunction(int f, Val *args, bool nul, Val &r)
{
    Val &a = args[0];
    const double x = a.v.Number;
    switch (f) {
    case fnLeft: {
        const int k = truncInt(args[1].v.Number);
        r = textVal(k <= 0 ? QString() : textOf(a).left(k), 0.0, nul);
        break;
    }
    case fnRight: {
        const int k = truncInt(args[1].v.Number);
        r = textVal(k <= 0 ? QString() : textOf(a).right(k), 0.0, nul);
        break;
    }
    case fnSubstr: {
        const QString &t = textOf(a);
        int from = truncInt(args[1].v.Number);
        const int k = truncInt(args[2].v.Number);
        if (from < 1)
            from = 1;
        r = textVal(k <= 0 || from > t.size() ? QString() : t.mid(from - 1, k), 0.0, nul);
        break;
    }
    case fnLength:
        r = numberVal(double(textOf(a).size()), nul);
        r.lazyText = false;
        break;
    case fnPos: {
        const QString &needle = textOf(a);
        int at1 = 0;
        if (!needle.isEmpty())
            at1 = int(textOf(args[1]).indexOf(needle.at(0))) + 1;
        r = numberVal(at1, nul);
        break;
    }
    case fnUpper: r = textVal(textOf(a).toUpper(), x, nul); break;
    case fnLower: r = textVal(textOf(a).toLower(), x, nul); break;
    case fnLtrim:
    case fnRtrim:
    case fnAlltrim: {
        const QString t = trimmed(textOf(a), f != fnRtrim, f != fnLtrim);
        r = textVal(t, StrToNum(t), nul);
        break;
    }
    case fnFormat: r = textVal(formatFloatPicture(x, textOf(args[1])), x, nul); break;
    case fnChr: {
        const int code = truncInt(roundHalfEven(x));
        r = textVal(characterOfCode(code), code, nul);
        break;
    }
    case fnOrd: r = numberVal(codeOfFirstCharacter(textOf(a)), nul); break;
    case fnStrToNum: {
        const QString t = textOf(a);
        r = numberVal(StrToNum(t), nul);
        r.v.Text = t;
        r.lazyText = false;
        break;
    }
    case fnNumToStr: r = textVal(numberText(x), x, nul); break;
    default: break;
    }
}

// FORMATDT ... SECOND.
void dateFunction(int f, Val *args, bool nul, Val &r)
{
    const double x = args[0].v.Number;
    if (f == fnFormatDt) {
        r = textVal(formatDateTimePicture(x, textOf(args[1])), x, nul);
        return;
    }
    int y, mo, d, h, mi, sec, ms;
    serialToParts(x, y, mo, d, h, mi, sec, ms);
    const int parts[] = {y, mo, d, h, mi, sec};
    r = numberVal(parts[f - fnYear], nul);
}

// IIF and ISNULL.
void logicalFunction(int f, Val *args, bool nul, Val &r)
{
    if (f == fnIsNull) {
        r = numberVal(args[0].v.IsNull ? 1 : 0, false);
        r.lazyText = false;
        return;
    }
    const bool pick = args[0].v.Number > 0;
    Val &chosen = pick ? args[1] : args[2];
    const bool text = args[1].v.Kind == TCalcType::KindText && args[2].v.Kind == TCalcType::KindText;
    r.v.Kind = text ? TCalcType::KindText : TCalcType::KindNumber;
    r.v.Number = chosen.v.Number;
    r.v.Text = textOf(chosen);
    r.v.IsNull = nul;
}

struct Runner {
    const ExprProgram &p;
    TExprContext *ctx;
    std::vector<Val> st;
    int error = eeNone;
    int pos = 0;

    bool domain(int at)
    {
        error = eeDomain;
        pos = at;
        return false;
    }

    bool binary(int op, int at)
    {
        Val b = std::move(st.back());
        st.pop_back();
        Val &a = st.back();
        const bool nul = a.v.IsNull || b.v.IsNull;
        const double x = a.v.Number, y = b.v.Number;
        switch (op) {
        case opAdd: {
            const bool text = a.v.Kind == TCalcType::KindText && b.v.Kind == TCalcType::KindText;
            Val r;
            r.v.Kind = text ? TCalcType::KindText : TCalcType::KindNumber;
            r.v.Number = x + y;
            r.v.Text = textOf(a) + textOf(b);
            r.v.IsNull = nul;
            a = std::move(r);
            return true;
        }
        case opSub: a = numberVal(x - y, nul); return true;
        case opMul: a = numberVal(x * y, nul); return true;
        case opDiv:
            if (y == 0.0)
                return domain(at);
            a = numberVal(x / y, nul);
            return true;
        case opPow:
            if (!(x > 0.0))
                return domain(at);
            // pow rather than exp(y ln x): the same function, without its rounding (2^6 is 64).
            a = numberVal(std::pow(x, y), nul);
            return true;
        case opEq:
        case opNe: {
            bool eq;
            if (a.v.Kind == TCalcType::KindText && b.v.Kind == TCalcType::KindText)
                eq = a.v.Text == b.v.Text;
            else
                eq = x == y;
            a = numberVal((op == opEq) == eq ? 1.0 : 0.0, nul);
            return true;
        }
        case opLt: a = numberVal(x < y ? 1 : 0, nul); return true;
        case opGt: a = numberVal(x > y ? 1 : 0, nul); return true;
        case opLe: a = numberVal(x <= y ? 1 : 0, nul); return true;
        case opGe: a = numberVal(x >= y ? 1 : 0, nul); return true;
        case opAnd: a = numberVal(x > 0 && y > 0 ? 1 : 0, nul); return true;
        case opOr: a = numberVal(x > 0 || y > 0 ? 1 : 0, nul); return true;
        case opIn: {
            const QString &xt = textOf(a);
            bool found = false;
            for (const ListItem &it : parseList(ctx, textOf(b), true))
                if (it.text == xt || (it.number != 0.0 && it.number == x)) {
                    found = true;
                    break;
                }
            a = numberVal(found ? 1 : 0, nul);
            return true;
        }
        }
        return true;
    }

    bool function(int f, int at)
    {
        const int argc = kFuncs[f].args;
        Val *args = &st[st.size() - size_t(argc)];
        bool nul = false;
        for (int k = 0; k < argc; ++k)
            nul = nul || args[k].v.IsNull;
        Val r;
        // The function numbers run group by group.
        if (f <= fnAcotg) {
            if (!mathFunction(f, args, nul, r))
                return domain(at);
        } else if (f <= fnNumToStr) {
            textFunction(f, args, nul, r);
        } else if (f <= fnSecond) {
            dateFunction(f, args, nul, r);
        } else {
            logicalFunction(f, args, nul, r);
        }
        st.resize(st.size() - size_t(argc) + 1);
        st.back() = std::move(r);
        return true;
    }

    bool step(const Instr &in)
    {
        switch (in.code) {
        case Code::Const:
            st.push_back(Val{p.constants[size_t(in.arg)], false});
            return true;
        case Code::Ref:
            st.push_back(Val{resolveReference(ctx, in.prefix, in.arg), false});
            return true;
        case Code::RefName: {
            const int num = ctx ? ctx->ReferenceNumber(in.prefix, p.names[size_t(in.arg)]) : 0;
            if (num <= 0) {
                error = eeNotFound;
                pos = in.pos;
                return false;
            }
            st.push_back(Val{resolveReference(ctx, in.prefix, num), false});
            return true;
        }
        case Code::Neg: {
            Val &a = st.back();
            a = numberVal(-a.v.Number, a.v.IsNull);
            return true;
        }
        case Code::Not: {
            Val &a = st.back();
            a = numberVal(a.v.Number > 0 ? 0 : 1, a.v.IsNull);
            return true;
        }
        case Code::Binary:
            return binary(in.arg, in.pos);
        case Code::Function:
            return function(in.arg, in.pos);
        }
        return true;
    }

    TEvalResult run()
    {
        TEvalResult res;
        if (p.empty)
            return res;
        st.reserve(16);
        const Instr *current = nullptr;
        try {
            for (const Instr &in : p.code) {
                current = &in;
                if (!step(in)) {
                    res.Error = error;
                    res.Position = pos;
                    return res;
                }
            }
        } catch (...) {
            // A reference resolver that throws is a failed evaluation, not a crash.
            logCaughtException("Evaluate");
            res.Error = eeDomain;
            res.Position = current ? current->pos : 0;
            return res;
        }
        if (p.error != eeNone) {
            res.Error = p.error;
            res.Position = p.errorPos;
            return res;
        }
        if (st.size() == 1) {
            textOf(st.back());
            res.Value = std::move(st.back().v);
        }
        return res;
    }
};

} // namespace

TEvalResult run(const ExprProgram &program, TExprContext *context)
{
    return Runner{program, context, {}}.run();
}

QStringList listItems(TExprContext *context, const QString &text)
{
    QStringList out;
    for (const ListItem &it : parseList(context, text, false))
        out << it.text;
    return out;
}

} // namespace orv::expr
