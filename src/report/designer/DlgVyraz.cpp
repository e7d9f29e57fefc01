#include "report/designer/ReportHelp.h"
#include "report/designer/DlgVyraz.h"

#include "report/model/ExpressionEditor.h"
#include "report/model/ReportModel.h"
#include "report/model/SestavaMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace orv {

namespace {

// The items of a list are kept in the combo's item data: insert text and caret offset.
void fillCombo(QComboBox *combo, const QList<TEditorItem> &items)
{
    combo->clear();
    for (const TEditorItem &it : items)
        combo->addItem(it.Caption, QVariantList{it.InsertText, it.CaretOffset});
    combo->setEnabled(combo->isEnabled() && combo->count() > 0);
}

} // namespace

TDlgVyraz::TDlgVyraz(TSestavaModel &report, const QString &expression, bool forCondition,
                     QWidget *parent)
    : QDialog(parent), m_report(report)
{
    installHelpKey(this, QStringLiteral("sestavy.htm"));
    setWindowTitle(QStringLiteral("Tvorba výrazu pro výpočet funkce"));
    setObjectName(QStringLiteral("TDlgVyraz"));
    auto *grid = new QGridLayout;
    int row = 0;
    auto addList = [&](const QString &caption) {
        auto *combo = new QComboBox(this);
        combo->setMinimumWidth(220);
        auto *btn = new QToolButton(this);
        btn->setText(QStringLiteral("↓"));
        btn->setToolTip(QStringLiteral("Vložit"));
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(combo, row, 1);
        grid->addWidget(btn, row, 2);
        ++row;
        connect(btn, &QToolButton::clicked, this, [this, combo] { insertFrom(combo); });
        combo->setProperty("insertButton", QVariant::fromValue<QObject *>(btn));
        return combo;
    };
    Polozky = addList(QStringLiteral("Položky tabulky:"));
    Parametry = addList(QStringLiteral("Parametry:"));
    Promenne = addList(QStringLiteral("Proměnné:"));
    Funkce = addList(QStringLiteral("Uživatelské funkce:"));
    for (const TBuiltinCategory &cat : editorBuiltinCategories()) {
        QComboBox *c = addList(cat.Caption);
        fillCombo(c, cat.Items);
        Vestavene << c;
    }
    PodleNazvu = new QCheckBox(QStringLiteral("Položky podle názvu"), this);
    grid->addWidget(PodleNazvu, row++, 1);
    if (forCondition) {
        Promenne->setEnabled(false);
        Funkce->setEnabled(false);
    }
    fillReportLists();
    for (QComboBox *c : std::initializer_list<QComboBox *>{Polozky, Parametry, Promenne, Funkce})
        if (auto *btn = qobject_cast<QToolButton *>(c->property("insertButton").value<QObject *>()))
            btn->setEnabled(c->isEnabled());
    connect(PodleNazvu, &QCheckBox::toggled, this, &TDlgVyraz::fillReportLists);

    auto *ops = new QHBoxLayout;
    for (const TEditorItem &op : editorOperatorItems()) {
        auto *b = new QToolButton(this);
        b->setText(op.Caption.trimmed().isEmpty() ? op.Caption : op.Caption.trimmed());
        b->setToolTip(QStringLiteral("Vložit"));
        connect(b, &QToolButton::clicked, this,
                [this, op] { insertText(op.InsertText, op.CaretOffset); });
        ops->addWidget(b);
    }
    ops->addStretch();

    Vyraz = new QLineEdit(expression, this);
    Vyraz->setObjectName("Vyraz");
    Vyraz->setMinimumWidth(480);
    Pozice = new QLabel(this);
    connect(Vyraz, &QLineEdit::cursorPositionChanged, this, [this](int, int pos) {
        Pozice->setText(QStringLiteral("Pozice: %1").arg(pos + 1));
    });
    auto *expr = new QHBoxLayout;
    expr->addWidget(new QLabel(QStringLiteral("Výpočetní výraz:"), this));
    expr->addWidget(Vyraz, 1);
    expr->addWidget(Pozice);

    KontrolaBtn = new QPushButton(QStringLiteral("Kontrola"), this);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    StornoBtn = new QPushButton(QStringLiteral("Storno"), this);
    connect(KontrolaBtn, &QPushButton::clicked, this, &TDlgVyraz::check);
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        if (!refuseBadExpression(m_report, Vyraz))
            accept();
    });
    connect(StornoBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(KontrolaBtn);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(StornoBtn);

    auto *top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(ops);
    top->addLayout(expr);
    top->addLayout(buttons);
    Vyraz->setFocus();
}

void TDlgVyraz::fillReportLists()
{
    const bool byName = PodleNazvu && PodleNazvu->isChecked();
    fillCombo(Polozky, editorFieldItems(m_report, byName));
    fillCombo(Parametry, editorParameterItems(m_report));
    fillCombo(Promenne, editorVariableItems(m_report));
    fillCombo(Funkce, editorFunctionItems(m_report, byName));
}

QString TDlgVyraz::expression() const
{
    return Vyraz->text();
}

void TDlgVyraz::insertFrom(QComboBox *combo)
{
    if (!combo->isEnabled() || combo->currentIndex() < 0)
        return;
    const QVariantList d = combo->currentData().toList();
    if (d.size() == 2)
        insertText(d.at(0).toString(), d.at(1).toInt());
}

void TDlgVyraz::insertText(const QString &text, int caretOffset)
{
    QString t = Vyraz->text();
    int caret = Vyraz->cursorPosition();
    insertEditorItem(t, caret, TEditorItem{text, text, caretOffset});
    Vyraz->setText(t);
    Vyraz->setCursorPosition(caret);
    Vyraz->setFocus();
}

void TDlgVyraz::check()
{
    const TExpressionCheck r = checkExpression(&m_report, Vyraz->text());
    showSestMessage(r.Ok ? TSestMessageKind::Information : TSestMessageKind::Error, r.Caption,
                    r.Message);
    if (!r.Ok && r.Caret >= 0)
        Vyraz->setCursorPosition(r.Caret);
    Vyraz->setFocus();
}

bool refuseBadExpression(TSestavaModel &report, QLineEdit *edit)
{
    const TExpressionCheck r = checkExpression(&report, edit->text());
    if (r.compiles())
        return false;
    showSestMessage(TSestMessageKind::Error, r.Caption, r.Message);
    if (r.Caret >= 0)
        edit->setCursorPosition(r.Caret);
    edit->setFocus();
    return true;
}

bool EditExpression(TSestavaModel &report, QString &expression, bool forCondition,
                    QWidget *parent)
{
    TDlgVyraz dlg(report, expression, forCondition, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    expression = dlg.expression();
    return true;
}

} // namespace orv
