#include "userdata/TfInsEditMaterial.h"

#include "db/DataSet.h"
#include "db/DataSetModel.h"
#include "db/Field.h"
#include "search/GridLink.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

// The two small dialogs the material editor opens: the note text and the country list.

namespace orv::userdata {

QString noteTextToStore(const QString &typed)
{
    if (typed.endsWith(QLatin1String("\r\n")))
        return typed.left(typed.size() - 2);
    if (typed.endsWith(QLatin1Char('\n')))
        return typed.left(typed.size() - 1);
    return typed;
}

// ---------------------------------------------------------------- note dialog

NoteDialog::NoteDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fNotice"));
    setWindowTitle(QStringLiteral("Poznámka ..."));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Poznámka"), this));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("reNotice"));
    m_text->installEventFilter(this);
    layout->addWidget(m_text, 1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Zrušit"), this);
    row->addWidget(m_ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(420, 220);
}

QString NoteDialog::text() const
{
    return m_text->toPlainText();
}

void NoteDialog::setText(const QString &text)
{
    m_text->setPlainText(text);
    m_text->moveCursor(QTextCursor::End);
}

bool NoteDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)) {
            m_ok->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- country picker

CountryPicker::CountryPicker(db::DataSet &countries, QWidget *parent) : QDialog(parent), m_countries(countries)
{
    setObjectName(QStringLiteral("fCountry"));
    setWindowTitle(QStringLiteral("Státy"));
    auto *layout = new QVBoxLayout(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grCountry"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *model = new db::DataSetModel(&m_countries, this);
    search::linkGrid(m_grid, model);
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString name = model->fieldAt(c)->name();
        m_grid->setColumnHidden(c, name.compare(QLatin1String("Name"), Qt::CaseInsensitive) != 0);
    }
    m_grid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_grid, 1);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Zrušit"), this);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_grid, &QTableView::doubleClicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(300, 400);
}

void CountryPicker::placeOn(const QVariant &countryNo)
{
    if (countryNo.isNull() || !m_countries.locate(QStringLiteral("Number"), countryNo))
        m_countries.first();
}

QVariant CountryPicker::currentCountry() const
{
    if (!m_countries.isOpen() || m_countries.isEmpty())
        return QVariant();
    return m_countries.value(QStringLiteral("Number"));
}


} // namespace orv::userdata
