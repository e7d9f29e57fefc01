#include "search/TfProperties.h"

#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "search/GridLink.h"
#include "ui/MessageDialog.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace orv::search {
namespace {

db::DataSet *propertyQuery(QObject *owner, const QString &name, db::Connection &user, const QStringList &sql)
{
    auto *ds = new db::DataSet(name, &user, owner);
    ds->setSql(sql);
    for (const char *n : {"Number", "Parent", "GroupType", "Code", "Measure"})
        ds->defineField(QLatin1String(n)).setVisible(false);
    ds->defineField(QStringLiteral("Name")).setDisplayLabel(QStringLiteral("Název"));
    return ds;
}

QTableView *pickerGrid(QWidget *parent, const QString &name, db::DataSetModel *model)
{
    auto *grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setStretchLastSection(true);
    linkGrid(grid, model);
    return grid;
}

} // namespace

TfProperties::TfProperties(db::Connection &user, db::DataSet &criteria, QWidget *parent)
    : QDialog(parent), m_criteria(criteria)
{
    setObjectName(QStringLiteral("fProperties"));
    setWindowTitle(QStringLiteral("Mechanické vlastnosti..."));
    information = [](const QString &text) { ui::message(text, ui::MsgType::Information, ui::MsgButton::OK); };

    m_singles = propertyQuery(this, QStringLiteral("qSingles"), user,
                              {QStringLiteral("select *"), QStringLiteral("  from PropType"),
                               QStringLiteral("  where coalesce(GroupType,'')<>'A'"),
                               QStringLiteral("  order by Name collate CP1250")});
    m_groups = propertyQuery(this, QStringLiteral("qGroups"), user,
                             {QStringLiteral("select *"), QStringLiteral("  from PropType"),
                              QStringLiteral("  where GroupType='A'"), QStringLiteral("  order by Name collate CP1250")});
    m_members = propertyQuery(this, QStringLiteral("qMembers"), user,
                              {QStringLiteral("select *"), QStringLiteral("  from PropType"),
                               QStringLiteral("  where Parent=:Number"), QStringLiteral("  order by Name collate CP1250")});
    m_members->setMaster(m_groups);
    m_singles->open();
    m_groups->open();
    m_members->open();

    auto *layout = new QVBoxLayout(this);
    auto *panes = new QHBoxLayout;
    auto *left = new QGroupBox(QStringLiteral("Jednotlivé"), this);
    auto *leftLayout = new QVBoxLayout(left);
    m_singlesGrid = pickerGrid(left, QStringLiteral("grSingles"), new db::DataSetModel(m_singles, this));
    leftLayout->addWidget(m_singlesGrid);
    auto *right = new QGroupBox(QStringLiteral("Skupiny"), this);
    auto *rightLayout = new QVBoxLayout(right);
    m_groupsGrid = pickerGrid(right, QStringLiteral("grGroups"), new db::DataSetModel(m_groups, this));
    m_membersGrid = pickerGrid(right, QStringLiteral("grMembers"), new db::DataSetModel(m_members, this));
    rightLayout->addWidget(m_groupsGrid, 1);
    rightLayout->addWidget(m_membersGrid, 1);
    panes->addWidget(left, 1);
    panes->addWidget(right, 1);
    layout->addLayout(panes, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_select = new QPushButton(QStringLiteral("&Vybrat"), this);
    m_select->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("&Konec"), this);
    buttons->addWidget(m_select);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_select, &QPushButton::clicked, this, &TfProperties::choose);
    connect(m_singlesGrid, &QTableView::doubleClicked, this, &TfProperties::choose);
    connect(m_groupsGrid, &QTableView::doubleClicked, this, &TfProperties::choose);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    for (QTableView *g : {m_singlesGrid, m_groupsGrid, m_membersGrid})
        g->installEventFilter(this);
    resize(640, 460);
}

TfProperties::~TfProperties() = default;

bool TfProperties::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_singlesGrid)
            m_groupsChosen = false;
        else if (watched == m_groupsGrid)
            m_groupsChosen = true;
        else if (watched == m_membersGrid)
            m_select->setEnabled(true);
    } else if (event->type() == QEvent::FocusIn) {
        // The member grid only shows what a group holds; nothing there can be chosen.
        m_select->setEnabled(watched != m_membersGrid);
        if (watched == m_singlesGrid)
            m_groupsChosen = false;
        else if (watched == m_groupsGrid)
            m_groupsChosen = true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfProperties::placeOn(const QVariant &propertyNo)
{
    if (!propertyNo.isNull() && m_singles->locate(QStringLiteral("Number"), propertyNo)) {
        m_groupsChosen = false;
        m_singlesGrid->setFocus();
        return;
    }
    if (!propertyNo.isNull() && m_groups->locate(QStringLiteral("Number"), propertyNo)) {
        m_groupsChosen = true;
        m_groupsGrid->setFocus();
        return;
    }
    m_singles->first();
    m_groupsChosen = false;
    m_singlesGrid->setFocus();
}

QVariant TfProperties::chosenNumber() const
{
    db::DataSet *ds = m_groupsChosen ? m_groups : m_singles;
    if (!ds->isOpen() || ds->isEmpty())
        return QVariant();
    return ds->value(QStringLiteral("Number"));
}

bool TfProperties::choose()
{
    if (!m_select->isEnabled())
        return false;
    const QVariant chosen = chosenNumber();
    if (chosen.isNull())
        return false;
    if (m_criteria.find(QStringLiteral("PropertyNo"), {chosen}) >= 0) {
        information(duplicateMessage());
        return false;
    }
    accept();
    return true;
}

} // namespace orv::search
