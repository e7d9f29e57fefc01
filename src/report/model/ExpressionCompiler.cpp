#include "report/model/ExpressionProgram.h"

#include "report/model/NumberFormat.h"

#include <memory>

namespace orv::expr {

// ====================================================================== the program
//
// The text is scanned once by the operator-precedence algorithm with two stacks. Scanning
// checks everything that depends on the text alone (tokens, nesting, argument counts,
// limits) and records each reduction as an instruction, in the order the reductions happen.
// Running the program repeats exactly those reductions on real values, so a domain error
// that would have happened before a later syntax error is still the one reported.

namespace {

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


} // namespace

std::shared_ptr<const ExprProgram> compile(const QString &text)
{
    return Compiler(text).run();
}

} // namespace orv::expr
