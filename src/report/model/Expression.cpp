#include "report/model/Expression.h"

#include "report/model/ExpressionProgram.h"

#include <QHash>

// The expression's public face and the current report; the compiler and the runner are in
// ExpressionCompiler.cpp and ExpressionRunner.cpp.

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

namespace {

// Parsed programs by text, for callers that evaluate texts rather than TExpressions.
std::shared_ptr<const ExprProgram> cachedProgram(const QString &text)
{
    static QHash<QString, std::shared_ptr<const ExprProgram>> cache;
    auto it = cache.constFind(text);
    if (it != cache.constEnd())
        return it.value();
    if (cache.size() >= 1024)
        cache.clear();
    auto prog = expr::compile(text);
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
    m_program = expr::compile(text);
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
    return expr::run(*m_program, context);
}

TEvalResult Evaluate(TExprContext *context, const QString &expression)
{
    const auto prog = cachedProgram(expression);
    const TCurrentReportScope inForce(context);
    return expr::run(*prog, context);
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
    return expr::listItems(context, text);
}

QStringList SplitList(const QString &text)
{
    return SplitList(currentReport(), text);
}

QStringList builtinFunctionNames()
{
    QStringList names;
    for (const expr::FuncInfo &f : expr::kFuncs)
        names << QString::fromLatin1(f.name);
    return names;
}

int builtinArgumentCount(const QString &upperName)
{
    const int f = expr::findFunction(upperName);
    return f < 0 ? -1 : expr::kFuncs[f].args;
}

} // namespace orv
