#include "report/model/Expression.h"

#include "core/CodePage.h"
#include "report/model/CaughtException.h"
#include "report/model/NumberFormat.h"

#include <QHash>

#include <cmath>
#include <vector>

namespace orv {

TExprContext::~TExprContext() = default;

namespace {
TExprContext *g_current = nullptr;
} // namespace

TExprContext *currentReport() { return g_current; }
void setCurrentReport(TExprContext *context) { g_current = context; }

TCurrentReportScope::TCurrentReportScope(TExprContext *context) : m_previous(g_current)
{
    g_current = context;
}

TCurrentReportScope::~TCurrentReportScope() { g_current = m_previous; }

// ====================================================================== the program
//
// The text is scanned once by the operator-precedence algorithm with two stacks. Scanning
// checks everything that depends on the text alone (tokens, nesting, argument counts,
// limits) and records each reduction as an instruction, in the order the reductions happen.
// Running the program repeats exactly those reductions on real values, so a domain error
// that would have happened before a later syntax error is still the one reported.

namespace {

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

constexpr FuncInfo kFuncs[fnCount] = {
    {"ABS", 1}, {"INT", 1}, {"SGN", 1}, {"MAX", 2}, {"MIN", 2}, {"ROUND", 1}, {"SIN", 1},
    {"COS", 1}, {"TAN", 1}, {"COTG", 1}, {"EXP", 1}, {"LOG", 1}, {"ASIN", 1}, {"ACOS", 1},
    {"ATAN", 1}, {"ACOTG", 1}, {"LEFT", 2}, {"RIGHT", 2}, {"SUBSTR", 3}, {"LENGTH", 1},
    {"POS", 2}, {"UPPER", 1}, {"LOWER", 1}, {"LTRIM", 1}, {"RTRIM", 1}, {"ALLTRIM", 1},
    {"FORMAT", 2}, {"CHR", 1}, {"ORD", 1}, {"STRTONUM", 1}, {"NUMTOSTR", 1},
    {"FORMATDT", 2}, {"YEAR", 1}, {"MONTH", 1}, {"DAY", 1}, {"HOUR", 1}, {"MINUTE", 1},
    {"SECOND", 1}, {"IIF", 3}, {"ISNULL", 1}};

int findFunction(const QString &upper)
{
    for (int i = 0; i < fnCount; ++i)
        if (upper == QLatin1String(kFuncs[i].name))
            return i;
    return -1;
}

enum BinOp : int { opAdd, opSub, opMul, opDiv, opPow, opEq, opNe, opLt, opGt, opLe, opGe,
                   opAnd, opOr, opIn };

int precedenceOf(int op)
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

} // namespace

struct ExprProgram {
    std::vector<Instr> code;
    std::vector<TCalcType> constants;
    std::vector<QString> names;
    int error = eeNone;    // the scan error that follows the instructions, if any
    int errorPos = 0;
    bool empty = false;    // blank text: the empty value
};

namespace {

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isRefPrefix(QChar c) { return c == u'#' || c == u'&' || c == u'@' || c == u'%'; }
bool isNameStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

// Where the digits that start at i end, with a decimal point and more digits if they follow.
int endOfDecimal(const QString &t, int i)
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

class Compiler {
public:
    explicit Compiler(const QString &text) : s(text) {}

    std::shared_ptr<ExprProgram> run()
    {
        p = std::make_shared<ExprProgram>();
        if (s.size() > kMaxExpressionLength) {
            fail(eeTooMany, kMaxExpressionLength);
            return p;
        }
        scan();
        return p;
    }

private:
    enum class Prev { Start, Operand, Binary, Unary, FuncName, Open, Comma };
    enum class Kind { Binary, Neg, Not, Func, Marker, Comma };
    struct Entry {
        Kind kind;
        int op = 0;          // operator or function number
        int prec = 0;
        int pos = 0;
        int depthAtPush = 0; // functions: values on the stack when pushed
        int allowedCommas = 0, commas = 0;   // markers
    };

    const QString &s;
    std::shared_ptr<ExprProgram> p;
    std::vector<Entry> ops;
    int values = 0;
    int nesting = 0;
    int commaSerial = 0;
    Prev prev = Prev::Start;
    bool failed = false;

    void fail(int code, int pos)
    {
        if (!failed) {
            failed = true;
            p->error = code;
            p->errorPos = pos;
        }
    }

    bool operandAllowed() const { return prev != Prev::Operand; }

    bool pushValue(int pos)
    {
        if (values >= kMaxPending) {
            fail(eeTooMany, pos);
            return false;
        }
        ++values;
        prev = Prev::Operand;
        return true;
    }

    bool pushOp(const Entry &e)
    {
        if (int(ops.size()) >= kMaxPending) {
            fail(eeTooMany, e.pos);
            return false;
        }
        ops.push_back(e);
        return true;
    }

    void emitConst(const TCalcType &v, int pos)
    {
        p->constants.push_back(v);
        p->code.push_back({Code::Const, int(p->constants.size()) - 1, QChar(), pos});
    }

    // Applies the top operator (never a marker). False on a structural error.
    bool applyTop()
    {
        const Entry e = ops.back();
        ops.pop_back();
        switch (e.kind) {
        case Kind::Comma:
            return true;
        case Kind::Binary:
            if (values < 2) {
                fail(eeToken, e.pos);
                return false;
            }
            --values;
            p->code.push_back({Code::Binary, e.op, QChar(), e.pos});
            return true;
        case Kind::Neg:
        case Kind::Not:
            if (values < 1) {
                fail(eeToken, e.pos);
                return false;
            }
            p->code.push_back({e.kind == Kind::Neg ? Code::Neg : Code::Not, 0, QChar(), e.pos});
            return true;
        case Kind::Func: {
            const int args = values - e.depthAtPush;
            if (args != kFuncs[e.op].args) {
                fail(eeArgCount, e.pos);
                return false;
            }
            values -= args - 1;
            p->code.push_back({Code::Function, e.op, QChar(), e.pos});
            return true;
        }
        case Kind::Marker:
            break;
        }
        fail(eeToken, e.pos);
        return false;
    }

    // Applies every stacked operator whose precedence is at least prec, down to a marker.
    bool reduce(int prec)
    {
        while (!ops.empty() && ops.back().kind != Kind::Marker && ops.back().prec >= prec)
            if (!applyTop())
                return false;
        return true;
    }

    bool binary(int op, int pos)
    {
        if (prev != Prev::Operand) {
            fail(eeToken, pos);
            return false;
        }
        const int prec = precedenceOf(op);
        if (!reduce(prec))
            return false;
        if (!pushOp({Kind::Binary, op, prec, pos}))
            return false;
        prev = Prev::Binary;
        return true;
    }

    void scan()
    {
        const int n = int(s.size());
        int i = 0;
        while (i < n && !failed) {
            const QChar c = s.at(i);
            if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n')
                ++i;
            else if (isAsciiDigit(c))
                i = number(i);
            else if (c == u'\'')
                i = textLiteral(i);
            else if (c == u'[')
                i = listLiteral(i);
            else if (isRefPrefix(c))
                i = reference(i);
            else if (c.isLetter())
                i = word(i);
            else if (c == u'(')
                i = openParen(i);
            else if (c == u')')
                i = closeParen(i);
            else if (c == u',')
                i = comma(i);
            else
                i = sign(i);
        }
        if (!failed)
            finish();
    }

    // The steps below return where scanning goes on; after a failure it stops anyway.

    int openParen(int start)
    {
        if (!operandAllowed()) {
            fail(eeToken, start);
            return start;
        }
        if (nesting >= kMaxPending) {
            fail(eeTooMany, start);
            return start;
        }
        Entry m{Kind::Marker, 0, nesting + 1, start};
        if (prev == Prev::FuncName)
            m.allowedCommas = kFuncs[ops.back().op].args - 1;
        if (!pushOp(m))
            return start;
        ++nesting;
        prev = Prev::Open;
        return start + 1;
    }

    // A closing bracket or a comma needs an open bracket and an operand just before it.
    bool closesOperandInBrackets(int start, int errorOutside)
    {
        if (nesting == 0) {
            fail(errorOutside, start);
            return false;
        }
        if (prev != Prev::Operand) {
            fail(eeToken, start);
            return false;
        }
        return true;
    }

    int closeParen(int start)
    {
        if (!closesOperandInBrackets(start, eeTooManyClose) || !reduce(0))
            return start;
        const Entry m = ops.back();   // the marker
        ops.pop_back();
        --nesting;
        if (m.commas != m.allowedCommas) {
            fail(eeArgCount, start);
            return start;
        }
        prev = Prev::Operand;
        return start + 1;
    }

    int comma(int start)
    {
        if (!closesOperandInBrackets(start, eeComma))
            return start;
        const int prec = 100 + commaSerial++;
        if (!reduce(prec))
            return start;
        int k = int(ops.size()) - 1;
        while (k >= 0 && ops[size_t(k)].kind != Kind::Marker)
            --k;
        if (k < 0) {
            fail(eeComma, start);
            return start;
        }
        Entry &marker = ops[size_t(k)];
        if (marker.commas + 1 > marker.allowedCommas) {
            fail(eeComma, start);
            return start;
        }
        ++marker.commas;
        if (!pushOp({Kind::Comma, 0, prec, start}))
            return start;
        prev = Prev::Comma;
        return start + 1;
    }

    // A minus sign that starts an operand, or an arithmetic or comparison operator.
    int sign(int i)
    {
        const int n = int(s.size());
        const QChar c = s.at(i);
        const QChar next = i + 1 < n ? s.at(i + 1) : QChar();
        if (c == u'-' && (prev == Prev::Start || prev == Prev::Open || prev == Prev::Comma)) {
            if (pushOp({Kind::Neg, 0, 254, i}))
                prev = Prev::Unary;
            return i + 1;
        }
        switch (c.unicode()) {
        case u'+': binary(opAdd, i); return i + 1;
        case u'-': binary(opSub, i); return i + 1;
        case u'*': binary(opMul, i); return i + 1;
        case u'/': binary(opDiv, i); return i + 1;
        case u'^': binary(opPow, i); return i + 1;
        case u'=': binary(opEq, i); return i + 1;
        case u'<':
            if (next == u'>') { binary(opNe, i); return i + 2; }
            if (next == u'=') { binary(opLe, i); return i + 2; }
            binary(opLt, i);
            return i + 1;
        case u'>':
            if (next == u'=') { binary(opGe, i); return i + 2; }
            binary(opGt, i);
            return i + 1;
        default:
            fail(eeToken, i);
            return i;
        }
    }

    // After the last token: the whole text must have made one value.
    void finish()
    {
        const int n = int(s.size());
        if (prev == Prev::Start) {
            p->empty = true;
            return;
        }
        if (prev != Prev::Operand) {
            fail(eeToken, n);
            return;
        }
        while (!ops.empty()) {
            if (ops.back().kind == Kind::Marker) {
                fail(eeMissingClose, n);
                return;
            }
            if (!applyTop())
                return;
        }
        if (values != 1)
            fail(eeToken, n);
    }

    int number(int i)
    {
        const int start = i, n = int(s.size());
        if (!operandAllowed()) {
            fail(eeToken, start);
            return n;
        }
        i = endOfDecimal(s, i);
        if (i < n && (s.at(i) == u'E' || s.at(i) == u'e')) {
            ++i;
            if (i < n && (s.at(i) == u'+' || s.at(i) == u'-'))
                ++i;
            int digits = 0;
            while (i < n && isAsciiDigit(s.at(i))) {
                ++i;
                ++digits;
            }
            if (digits == 0 || digits > 2) {
                fail(eeNumber, start);
                return n;
            }
        }
        if (i < n - 1 && s.at(i).isLetter()) {
            fail(eeNumber, start);
            return n;
        }
        TCalcType v;
        v.Kind = TCalcType::KindNumber;
        v.Text = s.mid(start, i - start);
        QString literal = v.Text;
        if (literal.endsWith(u'.'))
            literal.chop(1);
        double d = 0.0;
        if (!parseLiteralNumber(literal, d)) {   // out of the range of a double
            fail(eeNumber, start);
            return n;
        }
        v.Number = d;
        if (!pushValue(start))
            return n;
        emitConst(v, start);
        return i;
    }

    int textLiteral(int i)
    {
        const int start = i, n = int(s.size());
        if (!operandAllowed()) {
            fail(eeToken, start);
            return n;
        }
        const int close = int(s.indexOf(u'\'', start + 1));
        if (close < 0) {
            fail(eeText, start);
            return n;
        }
        TCalcType v;
        v.Kind = TCalcType::KindText;
        v.Text = s.mid(start + 1, close - start - 1);
        v.Number = StrToNum(v.Text);
        if (!pushValue(start))
            return n;
        emitConst(v, start);
        return close + 1;
    }

    int listLiteral(int i)
    {
        const int start = i, n = int(s.size());
        if (!operandAllowed()) {
            fail(eeToken, start);
            return n;
        }
        const int close = int(s.indexOf(u']', start + 1));
        if (close < 0) {
            fail(eeList, start);
            return n;
        }
        TCalcType v;
        v.Kind = TCalcType::KindList;
        v.Text = s.mid(start + 1, close - start - 1);
        if (!pushValue(start))
            return n;
        emitConst(v, start);
        return close + 1;
    }

    int reference(int i)
    {
        const int start = i, n = int(s.size());
        const QChar prefix = s.at(i);
        if (!operandAllowed()) {
            fail(eeToken, start);
            return n;
        }
        ++i;
        if (i >= n || !(isNameChar(s.at(i)))) {
            fail(eeNotFound, start);
            return n;
        }
        if (isAsciiDigit(s.at(i))) {
            int num = 0, digits = 0;
            while (i < n && isAsciiDigit(s.at(i))) {
                if (++digits > 3) {
                    fail(eeNotFound, start);
                    return n;
                }
                num = num * 10 + (s.at(i).unicode() - '0');
                ++i;
            }
            if (!pushValue(start))
                return n;
            p->code.push_back({Code::Ref, num, prefix, start});
            return i;
        }
        if (!isNameStart(s.at(i)) || prefix == u'&' || prefix == u'%') {
            fail(eeNotFound, start);
            return n;
        }
        const int nameStart = i;
        while (i < n && isNameChar(s.at(i)))
            ++i;
        if (!pushValue(start))
            return n;
        p->names.push_back(s.mid(nameStart, i - nameStart));
        p->code.push_back({Code::RefName, int(p->names.size()) - 1, prefix, start});
        return i;
    }

    int word(int i)
    {
        const int start = i, n = int(s.size());
        while (i < n && (s.at(i).isLetter() || s.at(i) == u'#' || s.at(i) == u'%'
                         || s.at(i) == u'&' || s.at(i) == u'@'))
            ++i;
        const QString w = s.mid(start, i - start).toUpper();
        if (w == QLatin1String("AND")) {
            binary(opAnd, start);
        } else if (w == QLatin1String("OR")) {
            binary(opOr, start);
        } else if (w == QLatin1String("IN")) {
            binary(opIn, start);
        } else if (w == QLatin1String("NOT")) {
            if (!operandAllowed()) {
                fail(eeToken, start);
                return n;
            }
            if (!pushOp({Kind::Not, 0, 254, start}))
                return n;
            prev = Prev::Unary;
        } else {
            const int f = findFunction(w);
            if (f < 0) {
                fail(eeNotFound, start);
                return n;
            }
            if (!operandAllowed()) {
                fail(eeToken, start);
                return n;
            }
            Entry e{Kind::Func, f, 255, start};
            e.depthAtPush = values;
            if (!pushOp(e))
                return n;
            prev = Prev::FuncName;
        }
        return i;
    }
};

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

std::shared_ptr<const ExprProgram> compile(const QString &text)
{
    return Compiler(text).run();
}

// Parsed programs by text, for callers that evaluate texts rather than TExpressions.
std::shared_ptr<const ExprProgram> cachedProgram(const QString &text)
{
    static QHash<QString, std::shared_ptr<const ExprProgram>> cache;
    auto it = cache.constFind(text);
    if (it != cache.constEnd())
        return it.value();
    if (cache.size() >= 1024)
        cache.clear();
    auto prog = compile(text);
    cache.insert(text, prog);
    return prog;
}

} // namespace

// ====================================================================== interface

TExpression::TExpression() = default;
TExpression::TExpression(const QString &text) { setText(text); }
TExpression::~TExpression() = default;
TExpression::TExpression(const TExpression &) = default;
TExpression &TExpression::operator=(const TExpression &) = default;

void TExpression::setText(const QString &text)
{
    m_text = text;
    m_program = compile(text);
}

bool TExpression::isEmpty() const
{
    return !m_program || m_program->empty;
}

TEvalResult TExpression::evaluate(TExprContext *context) const
{
    if (!m_program)
        return TEvalResult();
    const TCurrentReportScope inForce(context);
    return Runner{*m_program, context, {}}.run();
}

TEvalResult Evaluate(TExprContext *context, const QString &expression)
{
    const auto prog = cachedProgram(expression);
    const TCurrentReportScope inForce(context);
    return Runner{*prog, context, {}}.run();
}

TEvalResult Evaluate(const QString &expression)
{
    return Evaluate(currentReport(), expression);
}

QString EvaluateText(const QString &expression)
{
    const TEvalResult r = Evaluate(expression);
    return r.ok() ? r.Value.Text : QString();
}

bool EvaluateCondition(const QString &expression)
{
    const TEvalResult r = Evaluate(expression);
    return r.ok() && r.Value.Number > 0;
}

QStringList SplitList(TExprContext *context, const QString &text)
{
    const TCurrentReportScope inForce(context);
    QStringList out;
    for (const ListItem &it : parseList(context, text, false))
        out << it.text;
    return out;
}

QStringList SplitList(const QString &text)
{
    return SplitList(currentReport(), text);
}

QStringList builtinFunctionNames()
{
    QStringList names;
    for (const FuncInfo &f : kFuncs)
        names << QString::fromLatin1(f.name);
    return names;
}

int builtinArgumentCount(const QString &upperName)
{
    const int f = findFunction(upperName);
    return f < 0 ? -1 : kFuncs[f].args;
}

} // namespace orv
