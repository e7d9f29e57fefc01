#include "db/FilterExpr.h"

#include "db/DbError.h"

#include <QList>

namespace orv::db {

namespace {

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

struct Token {
    enum Kind { End, Ident, Number, Text, Op, LParen, RParen } kind = End;
    QString text;
    double number = 0;
};

class Lexer {
public:
    explicit Lexer(const QString &t) : m_t(t) {}
    Token next()
    {
        while (m_p < m_t.size() && m_t[m_p].isSpace())
            ++m_p;
        Token tok;
        if (m_p >= m_t.size())
            return tok;
        const QChar c = m_t[m_p];
        if (c == u'(') { ++m_p; tok.kind = Token::LParen; return tok; }
        if (c == u')') { ++m_p; tok.kind = Token::RParen; return tok; }
        if (c == u'\'' || c == u'"') {
            ++m_p;
            QString s;
            for (;;) {
                if (m_p >= m_t.size())
                    throw DbError(QStringLiteral("Neukončený text ve filtru: %1").arg(m_t));
                if (m_t[m_p] == c) {
                    if (m_p + 1 < m_t.size() && m_t[m_p + 1] == c) {
                        s.append(c);
                        m_p += 2;
                        continue;
                    }
                    ++m_p;
                    break;
                }
                s.append(m_t[m_p++]);
            }
            tok.kind = Token::Text;
            tok.text = s;
            return tok;
        }
        if (c.isDigit() || ((c == u'-' || c == u'.') && m_p + 1 < m_t.size() && m_t[m_p + 1].isDigit())) {
            qsizetype start = m_p++;
            while (m_p < m_t.size() && (m_t[m_p].isDigit() || m_t[m_p] == u'.' || m_t[m_p] == u'e' || m_t[m_p] == u'E'))
                ++m_p;
            tok.kind = Token::Number;
            tok.text = m_t.mid(start, m_p - start);
            bool ok = false;
            tok.number = tok.text.toDouble(&ok);
            if (!ok)
                throw DbError(QStringLiteral("Chybné číslo ve filtru: %1").arg(tok.text));
            return tok;
        }
        if (c.isLetter() || c == u'_' || c == u'[') {
            if (c == u'[') {
                const qsizetype close = m_t.indexOf(u']', m_p);
                if (close < 0)
                    throw DbError(QStringLiteral("Chybný filtr: %1").arg(m_t));
                tok.kind = Token::Ident;
                tok.text = m_t.mid(m_p + 1, close - m_p - 1);
                m_p = close + 1;
                return tok;
            }
            qsizetype start = m_p;
            while (m_p < m_t.size() && (m_t[m_p].isLetterOrNumber() || m_t[m_p] == u'_'))
                ++m_p;
            tok.kind = Token::Ident;
            tok.text = m_t.mid(start, m_p - start);
            return tok;
        }
        static const char *ops[] = {"<>", "!=", "<=", ">=", "=", "<", ">"};
        for (const char *op : ops) {
            const QString o = QString::fromLatin1(op);
            if (m_t.mid(m_p, o.size()) == o) {
                m_p += o.size();
                tok.kind = Token::Op;
                tok.text = o == u"!=" ? QStringLiteral("<>") : o;
                return tok;
            }
        }
        throw DbError(QStringLiteral("Neočekávaný znak '%1' ve filtru: %2").arg(c).arg(m_t));
    }

private:
    QString m_t;
    qsizetype m_p = 0;
};

using Lookup = std::function<QVariant(const QString &)>;

struct Operand {
    enum Kind { Field, Const } kind = Const;
    QString name;
    QVariant value;
    QVariant get(const Lookup &l) const { return kind == Field ? l(name) : value; }
};

class Compare : public FilterExpr {
public:
    Compare(Operand a, QString op, Operand b) : m_a(std::move(a)), m_op(std::move(op)), m_b(std::move(b)) {}
    bool eval(const Lookup &l) const override
    {
        const QVariant a = m_a.get(l), b = m_b.get(l);
        bool comparable = false;
        const int c = compareValues(a, b, &comparable);
        if (!comparable)
            return false;
        if (m_op == u"=") return c == 0;
        if (m_op == u"<>") return c != 0;
        if (m_op == u"<") return c < 0;
        if (m_op == u">") return c > 0;
        if (m_op == u"<=") return c <= 0;
        return c >= 0;
    }

private:
    Operand m_a;
    QString m_op;
    Operand m_b;
};

class IsNull : public FilterExpr {
public:
    IsNull(Operand a, bool negate) : m_a(std::move(a)), m_negate(negate) {}
    bool eval(const Lookup &l) const override
    {
        const QVariant v = m_a.get(l);
        const bool isNull = !v.isValid() || v.isNull();
        return m_negate ? !isNull : isNull;
    }

private:
    Operand m_a;
    bool m_negate;
};

class Logic : public FilterExpr {
public:
    enum Kind { And, Or, Not };
    Logic(Kind k, std::shared_ptr<FilterExpr> a, std::shared_ptr<FilterExpr> b = {})
        : m_k(k), m_a(std::move(a)), m_b(std::move(b)) {}
    bool eval(const Lookup &l) const override
    {
        switch (m_k) {
        case And: return m_a->eval(l) && m_b->eval(l);
        case Or: return m_a->eval(l) || m_b->eval(l);
        case Not: return !m_a->eval(l);
        }
        return false;
    }

private:
    Kind m_k;
    std::shared_ptr<FilterExpr> m_a, m_b;
};

class Parser {
public:
    explicit Parser(const QString &t) : m_lex(t), m_text(t) { m_tok = m_lex.next(); }

    std::shared_ptr<FilterExpr> parseAll()
    {
        auto e = parseOr();
        if (m_tok.kind != Token::End)
            fail();
        return e;
    }

private:
    [[noreturn]] void fail() { throw DbError(QStringLiteral("Chybný filtr: %1").arg(m_text)); }
    bool isWord(const char *w) const
    {
        return m_tok.kind == Token::Ident && m_tok.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    void advance() { m_tok = m_lex.next(); }

    std::shared_ptr<FilterExpr> parseOr()
    {
        auto e = parseAnd();
        while (isWord("or")) {
            advance();
            e = std::make_shared<Logic>(Logic::Or, e, parseAnd());
        }
        return e;
    }
    std::shared_ptr<FilterExpr> parseAnd()
    {
        auto e = parseNot();
        while (isWord("and")) {
            advance();
            e = std::make_shared<Logic>(Logic::And, e, parseNot());
        }
        return e;
    }
    std::shared_ptr<FilterExpr> parseNot()
    {
        if (isWord("not")) {
            advance();
            return std::make_shared<Logic>(Logic::Not, parseNot());
        }
        if (m_tok.kind == Token::LParen) {
            advance();
            auto e = parseOr();
            if (m_tok.kind != Token::RParen)
                fail();
            advance();
            return e;
        }
        Operand a = parseOperand();
        if (isWord("is")) {
            advance();
            bool neg = false;
            if (isWord("not")) {
                neg = true;
                advance();
            }
            if (!isWord("null"))
                fail();
            advance();
            return std::make_shared<IsNull>(a, neg);
        }
        if (m_tok.kind != Token::Op)
            fail();
        const QString op = m_tok.text;
        advance();
        Operand b = parseOperand();
        return std::make_shared<Compare>(a, op, b);
    }
    Operand parseOperand()
    {
        Operand o;
        switch (m_tok.kind) {
        case Token::Number: o.value = m_tok.number; break;
        case Token::Text: o.value = m_tok.text; break;
        case Token::Ident:
            if (isWord("null")) {
                o.value = QVariant();
            } else if (isWord("true") || isWord("false")) {
                o.value = isWord("true");
            } else {
                o.kind = Operand::Field;
                o.name = m_tok.text;
            }
            break;
        default: fail();
        }
        advance();
        return o;
    }

    Lexer m_lex;
    QString m_text;
    Token m_tok;
};

} // namespace

int compareValues(const QVariant &a, const QVariant &b, bool *comparable)
{
    *comparable = false;
    if (!a.isValid() || a.isNull() || !b.isValid() || b.isNull())
        return 0;
    if (isNumber(a) && isNumber(b)) {
        *comparable = true;
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (isNumber(a) != isNumber(b)) {
        // A number typed as text compares as a number.
        bool ok = false;
        const double x = a.toString().toDouble(&ok);
        if (!ok)
            return 0;
        const double y = b.toString().toDouble(&ok);
        if (!ok)
            return 0;
        *comparable = true;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    *comparable = true;
    return a.toString().compare(b.toString(), Qt::CaseSensitive);
}

std::shared_ptr<FilterExpr> FilterExpr::parse(const QString &text)
{
    Parser p(text);
    return p.parseAll();
}

} // namespace orv::db
