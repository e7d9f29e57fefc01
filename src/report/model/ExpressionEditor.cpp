#include "report/model/ExpressionEditor.h"

#include "report/model/Expression.h"
#include "report/model/ReportModel.h"

#include <algorithm>

namespace orv {

namespace {

QString numbered(QChar prefix, int number, const QString &name)
{
    return prefix + QString::number(number).leftJustified(3, u' ') + name;
}

TEditorItem plain(const QString &caption, const QString &text)
{
    return {caption, text, int(text.size())};
}

} // namespace

QList<TEditorItem> editorFieldItems(const TSestavaModel &report, bool byName)
{
    QList<TEditorItem> items;
    for (int i = 0; i < report.FieldCount(); ++i) {
        const QString name = report.FieldName(i);
        items << plain(numbered(u'#', i + 1, name),
                       u'#' + (byName ? name : QString::number(i + 1)));
    }
    return items;
}

QList<TEditorItem> editorParameterItems(const TSestavaModel &report)
{
    QList<TEditorItem> items;
    for (int i = 0; i < report.Parametry.size(); ++i)
        items << plain(numbered(u'&', i + 1, QStringLiteral("Parametr %1").arg(i + 1)),
                       u'&' + QString::number(i + 1));
    return items;
}

QList<TEditorItem> editorVariableItems(const TSestavaModel &report)
{
    QList<TEditorItem> items;
    auto add = [&items](int number, const QString &name) {
        items << plain(numbered(u'%', number, name), u'%' + QString::number(number));
    };
    add(1, QStringLiteral("Datum tisku"));
    add(2, QStringLiteral("Čas tisku"));
    add(3, QStringLiteral("Číslo řádku"));
    if (!report.IsDetail)
        add(4, QStringLiteral("Číslo stránky"));
    for (int k = 0; k < report.Groups.count(); ++k) {
        add(6 + 2 * k, QStringLiteral("Číslo ř. ve sk.%1").arg(k + 1));
        add(7 + 2 * k, QStringLiteral("Číslo skupiny %1").arg(k + 1));
    }
    return items;
}

QList<TEditorItem> editorFunctionItems(const TSestavaModel &report, bool byName)
{
    QList<TEditorItem> items;
    for (int i = 0; i < report.Functions.count(); ++i) {
        const QString name = report.Functions.at(i)->Name;
        items << plain(report.Functions.Caption(i),
                       u'@' + (byName && !name.isEmpty() ? name : QString::number(i + 1)));
    }
    return items;
}

QList<TBuiltinCategory> editorBuiltinCategories()
{
    static const struct { const char *caption; const char *names; } kCategories[] = {
        {"Matematické:", "ABS INT SGN MAX MIN ROUND SIN COS TAN COTG EXP LOG ASIN ACOS ATAN ACOTG"},
        {"Textové:", "LEFT RIGHT SUBSTR LENGTH POS UPPER LOWER LTRIM RTRIM ALLTRIM FORMAT CHR ORD "
                     "STRTONUM NUMTOSTR"},
        {"Datumové a časové:", "FORMATDT YEAR MONTH DAY HOUR MINUTE SECOND"},
        {"Logické a ostatní:", "IIF ISNULL"}};
    QList<TBuiltinCategory> out;
    for (const auto &c : kCategories) {
        TBuiltinCategory cat{QString::fromUtf8(c.caption), {}};
        for (const QString &name : QString::fromLatin1(c.names).split(u' ')) {
            const QString text = name + u'(' + QString(builtinArgumentCount(name) - 1, u',') + u')';
            cat.Items << TEditorItem{text, text, int(name.size()) + 1};
        }
        out << cat;
    }
    return out;
}

QList<TEditorItem> editorOperatorItems()
{
    QList<TEditorItem> items;
    items << TEditorItem{QStringLiteral("()"), QStringLiteral("()"), 1};
    for (const char *op : {"+", "-", "*", "/", "^", "=", "<", ">", "<>", "<=", ">=", " NOT ",
                           " AND ", " OR "})
        items << plain(QString::fromLatin1(op), QString::fromLatin1(op));
    items << TEditorItem{QStringLiteral(" IN "), QStringLiteral(" IN[]"), 4};
    return items;
}

void insertEditorItem(QString &text, int &caret, const TEditorItem &item)
{
    caret = std::clamp(caret, 0, int(text.size()));
    text.insert(caret, item.InsertText);
    caret += item.CaretOffset;
}

QString expressionErrorText(int code)
{
    switch (code) {
    case eeNotFound: return QStringLiteral("název nebo odkaz nebyl nalezen");
    case eeToken: return QStringLiteral("zde nepřípustný prvek výrazu");
    case eeTooMany: return QStringLiteral("příliš mnoho čekajících operátorů nebo hodnot");
    case eeTooManyClose: return QStringLiteral("příliš mnoho pravých závorek");
    case eeMissingClose: return QStringLiteral("chybí pravá závorka");
    case eeDomain: return QStringLiteral("hodnota mimo definiční obor");
    case eeNumber: return QStringLiteral("chybně zapsané číslo");
    case eeArgCount: return QStringLiteral("chybný počet argumentů");
    case eeComma: return QStringLiteral("čárka na nepřípustném místě");
    case eeText: return QStringLiteral("neukončený text");
    case eeList: return QStringLiteral("neukončený seznam");
    default: return QString();
    }
}

TExpressionCheck checkExpression(TExprContext *context, const QString &expression)
{
    const TEvalResult r = Evaluate(context, expression);
    TExpressionCheck c;
    if (r.ok()) {
        c.Caption = QStringLiteral("Informace");
        c.Message = QStringLiteral("Výraz je v pořádku.");
        return c;
    }
    c.Ok = false;
    c.Caption = QStringLiteral("Chyba");
    c.Message = QStringLiteral("Chyba : \"%1\" na pozici %2")
                    .arg(expressionErrorText(r.Error))
                    .arg(r.Position + 1);
    c.Caret = r.Position;
    c.Error = r.Error;
    return c;
}

bool TExpressionCheck::compiles() const
{
    return Ok || Error == eeDomain;
}

} // namespace orv
