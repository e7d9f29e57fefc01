#include "printouts/TfCompareChoice.h"

#include "printouts/Comparison.h"
#include "printouts/TfCompare.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>

namespace orv::printouts {

TfCompareChoice::TfCompareChoice(const QList<CompareCandidate> &candidates, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fVyberPorovnani"));
    setWindowTitle(QStringLiteral("Výběr materiálů k porovnání"));
    auto *hint = new QLabel(QStringLiteral("Zaškrtněte dva až šest materiálů, které chcete porovnat:"));
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("lbMaterialy"));
    QList<CompareCandidate> unique;
    for (const CompareCandidate &c : candidates) {
        if (c.materialNo <= 0)
            continue;
        auto same = std::find_if(unique.begin(), unique.end(),
                                 [&c](const CompareCandidate &u) { return u.materialNo == c.materialNo; });
        if (same == unique.end())
            unique << c;
        else
            same->checked = same->checked || c.checked;
    }
    int ticked = 0;
    for (const CompareCandidate &c : unique) {
        auto *item = new QListWidgetItem(QStringLiteral("%1  (%2)").arg(c.label, c.origin), m_list);
        item->setData(Qt::UserRole, c.materialNo);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const bool tick = c.checked && ticked < kCompareMax;
        ticked += tick ? 1 : 0;
        item->setCheckState(tick ? Qt::Checked : Qt::Unchecked);
    }
    m_count = new QLabel;
    m_count->setObjectName(QStringLiteral("lPocet"));
    m_ok = new QPushButton(QStringLiteral("&Porovnat"));
    m_ok->setObjectName(QStringLiteral("btPorovnat"));
    m_ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Storno"));
    cancel->setObjectName(QStringLiteral("btStorno"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_count, 1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    connect(m_list, &QListWidget::itemChanged, this, [this] { update(); });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(420, 380);
    update();
}

QList<int> TfCompareChoice::chosen() const
{
    QList<int> out;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->checkState() == Qt::Checked)
            out << m_list->item(i)->data(Qt::UserRole).toInt();
    return out;
}

void TfCompareChoice::update()
{
    const qsizetype n = chosen().size();
    m_ok->setEnabled(TfCompare::countMessage(n).isEmpty());
    m_count->setText(n > kCompareMax ? QStringLiteral("Vybráno %1 – nejvýše šest materiálů.").arg(n)
                                     : QStringLiteral("Vybráno: %1").arg(n));
}

} // namespace orv::printouts
