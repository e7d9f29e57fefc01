#include "printouts/DataSetBridge.h"

#include "db/DataSet.h"
#include "db/DbError.h"
#include "db/Field.h"
#include "report/output/PictureFile.h"

#include <QDebug>

namespace orv {

DataSetBridge::DataSetBridge(db::DataSet *dataSet) : m_ds(dataSet) {}

DataSetBridge::~DataSetBridge()
{
    while (m_disabled > 0)
        EnableControls();
}

void DataSetBridge::setDataSet(db::DataSet *dataSet)
{
    while (m_disabled > 0)
        EnableControls();
    m_ds = dataSet;
    m_bookmark = -1;
}

namespace {
db::Field *fieldOf(const db::DataSet *ds, int n)
{
    if (!ds || n < 0 || n >= ds->fieldCount())
        return nullptr;
    return ds->field(n);
}
} // namespace

int DataSetBridge::FieldCount() const
{
    return m_ds ? m_ds->fieldCount() : 0;
}

QString DataSetBridge::FieldName(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    return f ? f->name() : QString();
}

QString DataSetBridge::FieldLabel(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    return f ? f->displayLabel() : QString();
}

int DataSetBridge::FieldDataType(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    if (!f)
        return ftUnknown;
    switch (f->dataType()) {
    case db::FieldType::Integer: return ftInteger;
    case db::FieldType::Float: return ftFloat;
    case db::FieldType::String: return ftString;
    case db::FieldType::Memo: return ftMemo;
    case db::FieldType::Boolean: return ftBoolean;
    case db::FieldType::Unknown: break;
    }
    // A column without a declared type: a blob in the current row is a picture.
    return f->value().typeId() == QMetaType::QByteArray ? ftBlob : ftString;
}

int DataSetBridge::FieldAlignment(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    return f && f->isNumeric() ? 1 : 0;
}

int DataSetBridge::FieldDisplayWidth(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    return f ? f->displayWidth() : 10;
}

double DataSetBridge::AsFloat(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    return f ? f->asFloat() : 0.0;
}

bool DataSetBridge::AsBoolean(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    return f && f->asBoolean();
}

QString DataSetBridge::AsString(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    return f ? f->asString() : QString();
}

QString DataSetBridge::DisplayText(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    return f ? f->displayText() : QString();
}

QString DataSetBridge::MemoText(int n) const
{
    return AsString(n);
}

bool DataSetBridge::IsNull(int n) const
{
    const db::Field *f = fieldOf(m_ds, n);
    return !f || f->isNull();
}

bool DataSetBridge::Picture(int n, QImage &picture) const
{
    picture = QImage();
    const db::Field *f = fieldOf(m_ds, n);
    if (!f || f->isNull())
        return false;
    return DecodePicture(f->value().toByteArray(), picture);
}

TStepResult DataSetBridge::Step(TStepDir dir)
{
    if (!m_ds || !m_ds->isOpen())
        return srNoData;
    if (m_ds->isEmpty())
        return srBof | srEof;
    switch (dir) {
    case sdFirst:
        m_ds->first();
        return 0;
    case sdLast:
        m_ds->last();
        return 0;
    case sdPrior:
        if (m_ds->recNo() <= 0)
            return srBof;
        m_ds->prior();
        return 0;
    case sdNext:
        if (m_ds->recNo() >= m_ds->recordCount() - 1)
            return srEof;
        m_ds->next();
        return 0;
    }
    return 0;
}

bool DataSetBridge::IsActive() const
{
    return m_ds && m_ds->isOpen();
}

bool DataSetBridge::Open()
{
    if (!m_ds)
        return false;
    try {
        m_ds->open();
    } catch (const std::exception &e) {
        qWarning().noquote() << QString::fromUtf8(e.what());
        return false;
    }
    return m_ds->isOpen();
}

void DataSetBridge::Close()
{
    if (m_ds)
        m_ds->close();
}

void DataSetBridge::DisableControls()
{
    if (!m_ds)
        return;
    if (m_disabled++ == 0)
        m_signalsWereBlocked = m_ds->blockSignals(true);
}

void DataSetBridge::EnableControls()
{
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0 && m_ds) {
        m_ds->blockSignals(m_signalsWereBlocked);
        // Whoever shows the data set catches up with the position it is left at.
        emit m_ds->currentRowChanged(m_ds->recNo());
    }
}

void DataSetBridge::RememberPosition()
{
    m_bookmark = m_ds && m_ds->isOpen() ? m_ds->recNo() : -1;
}

void DataSetBridge::ReturnToPosition()
{
    if (m_ds && m_ds->isOpen() && m_bookmark >= 0 && m_bookmark < m_ds->recordCount())
        m_ds->setRecNo(m_bookmark);
}

QString DataSetBridge::AliasPath(const QString &alias) const
{
    return Aliases.value(alias);
}

} // namespace orv
