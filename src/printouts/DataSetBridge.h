#pragma once
// Makes an application data set the data link of a report, so that queries of the catalogue
// can feed the report generator.

#include "report/model/Bridge.h"

#include <QHash>
#include <QPointer>
#include <QString>

namespace orv::db {
class DataSet;
}

namespace orv {

class DataSetBridge : public TBridge {
public:
    explicit DataSetBridge(db::DataSet *dataSet = nullptr);
    ~DataSetBridge() override;

    void setDataSet(db::DataSet *dataSet);
    db::DataSet *dataSet() const { return m_ds; }
    // The directories of the data-base aliases a template may be located by.
    QHash<QString, QString> Aliases;

    int FieldCount() const override;
    QString FieldName(int n) const override;
    QString FieldLabel(int n) const override;
    int FieldDataType(int n) const override;
    int FieldAlignment(int n) const override;
    int FieldDisplayWidth(int n) const override;

    double AsFloat(int n) const override;
    bool AsBoolean(int n) const override;
    QString AsString(int n) const override;
    QString DisplayText(int n) const override;
    QString MemoText(int n) const override;
    bool IsNull(int n) const override;
    bool Picture(int n, QImage &picture) const override;

    TStepResult Step(TStepDir dir) override;

    bool HasDataSet() const override { return m_ds != nullptr; }
    bool IsActive() const override;
    bool Open() override;
    void Close() override;
    // Grids showing the data set stop following it while a report steps through the rows.
    void DisableControls() override;
    void EnableControls() override;
    void RememberPosition() override;
    void ReturnToPosition() override;

    QString AliasPath(const QString &alias) const override;

private:
    QPointer<db::DataSet> m_ds;
    int m_disabled = 0;
    bool m_signalsWereBlocked = false;
    int m_bookmark = -1;
};

} // namespace orv
