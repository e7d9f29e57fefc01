#pragma once
// The report expression language: element conditions, group expressions, report functions
// and the file lists of pictures and barcodes. An expression is parsed once into a program
// and the program is run for every record; errors are codes with a 0-based position and
// never leave this interface as exceptions.

#include "report/model/CalcType.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace orv {

// What an expression may refer to. The report being run supplies it.
class TExprContext {
public:
    virtual ~TExprContext();
    // The value of a reference: prefix '#' field, '&' parameter, '@' function, '%' system
    // value; number from 1. Numbers without an object give the empty value.
    virtual TCalcType ReferenceValue(QChar prefix, int number) = 0;
    // The number (from 1) of the field ('#') or function ('@') with this name, letter case
    // ignored; 0 when there is none.
    virtual int ReferenceNumber(QChar prefix, const QString &name) = 0;
};

// The context in force: the report whose run or evaluation is going on (the innermost
// TCurrentReportScope), else the one set last; null when there is none. The evaluations that
// name no context use it.
TExprContext *currentReport();
// Replaces the context in force until the enclosing scope ends (tests, a report going away).
void setCurrentReport(TExprContext *context);

// While alive, currentReport() is the given context; the one in force before comes back
// when it dies, also when it dies through an exception. Scopes nest: a report run or
// evaluated while another one's run is going on hands the context back to it.
class TCurrentReportScope {
public:
    explicit TCurrentReportScope(TExprContext *context);
    ~TCurrentReportScope();
    TCurrentReportScope(const TCurrentReportScope &) = delete;
    TCurrentReportScope &operator=(const TCurrentReportScope &) = delete;

private:
    TExprContext *m_previous;
};

enum ExprError : int {
    eeNone = 0,
    eeNotFound = 1,       // name or reference not found
    eeToken = 2,          // token not allowed here
    eeTooMany = 3,        // too many pending operators or values, nesting too deep
    eeTooManyClose = 4,   // too many closing parentheses
    eeMissingClose = 5,   // missing closing parenthesis
    eeDomain = 6,         // division by zero, logarithm, tangent, ... power base
    eeNumber = 7,         // malformed number
    eeArgCount = 10,      // wrong number of arguments
    eeComma = 11,         // misplaced comma
    eeText = 12,          // unterminated text
    eeList = 13           // unterminated list
};

// The longest expression the evaluator accepts; a longer one is error 3 at this position.
constexpr int kMaxExpressionLength = 255;
constexpr int kMaxPending = 40;

struct TEvalResult {
    TCalcType Value;
    int Error = eeNone;
    int Position = 0;   // 0-based index of the character where the offending token began
    bool ok() const { return Error == eeNone; }
};

struct ExprProgram;

// A parsed expression; cheap to copy, evaluated any number of times.
class TExpression {
public:
    TExpression();
    explicit TExpression(const QString &text);
    ~TExpression();
    TExpression(const TExpression &);
    TExpression &operator=(const TExpression &);

    void setText(const QString &text);
    const QString &text() const { return m_text; }
    bool isEmpty() const;

    // context may be null: every reference then gives the empty value and names are not found.
    // The context is in force while the expression runs.
    TEvalResult evaluate(TExprContext *context) const;

private:
    QString m_text;
    std::shared_ptr<const ExprProgram> m_program;
};

// On the current report; parsed programs are cached by their text.
TEvalResult Evaluate(const QString &expression);
TEvalResult Evaluate(TExprContext *context, const QString &expression);
// The value's text, empty on any error (group expressions).
QString EvaluateText(const QString &expression);
// True when there is no error and the number is greater than 0 (print conditions).
bool EvaluateCondition(const QString &expression);

// Items of a comma-separated list: text literals give their text, #, & and @ references
// the referenced value's text (% gives empty), anything else the characters up to the next
// comma; blanks between items are skipped.
QStringList SplitList(const QString &text);
QStringList SplitList(TExprContext *context, const QString &text);

// The 40 built-in function names, in the order of the designer's lists.
QStringList builtinFunctionNames();
// The number of arguments a built-in function takes; -1 for an unknown name.
int builtinArgumentCount(const QString &upperName);

} // namespace orv
