#include "search/TfElements.h"

#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "search/GridLink.h"
#include "ui/MessageDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace orv::search {

TfElements::TfElements(db::DataSet &elements, Mode mode, db::DataSet *criteria, QWidget *parent)
    : QDialog(parent), m_elements(elements), m_criteria(criteria), m_mode(mode)
{
    setObjectName(QStringLiteral("fElements"));
    setWindowTitle(QStringLiteral("Chemické prvky..."));
    information = [](const QString &text) { ui::message(text, ui::MsgType::Information, ui::MsgButton::OK); };

    auto *layout = new QVBoxLayout(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grElements"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_model = new db::DataSetModel(&m_elements, this);
    linkGrid(m_grid, m_model);
    layout->addWidget(m_grid, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_select = new QPushButton(QStringLiteral("&Vybrat"), this);
    m_select->setDefault(true);
    m_close = new QPushButton(QStringLiteral("&Konec"), this);
    buttons->addWidget(m_select);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    connect(m_select, &QPushButton::clicked, this, &TfElements::choose);
    connect(m_grid, &QTableView::doubleClicked, this, &TfElements::choose);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    resize(320, 420);
}

TfElements::~TfElements() = default;

void TfElements::placeOn(const QVariant &elementNo)
{
    if (elementNo.isNull() || !m_elements.locate(QStringLiteral("Number"), elementNo))
        m_elements.first();
}

QVariant TfElements::currentElement() const
{
    if (!m_elements.isOpen() || m_elements.isEmpty())
        return QVariant();
    return m_elements.value(QStringLiteral("Number"));
}

bool TfElements::choose()
{
    const QVariant chosen = currentElement();
    if (chosen.isNull())
        return false;
    // find() looks without moving, so the criteria list keeps its current row.
    if (m_mode == Mode::Search && m_criteria &&
        m_criteria->find(QStringLiteral("ElementNo"), {chosen}) >= 0) {
        information(duplicateMessage());
        m_grid->setFocus();
        return false;
    }
    accept();
    return true;
}

} // namespace orv::search
