#pragma once
// The own-material data module: the editable data sets through which own materials are
// created, changed and deleted, and the private mirror (private_MAT, private_NORMS,
// private_COMPARENORMS, private_CHEMCOMP, private_NOTICES) kept in step with every change.
//
// All its data sets run in the user session, which sees the catalogue tables through the
// attached catalogue file: a post or delete and its mirror steps then share one savepoint, so
// a failing mirror step leaves the original post or delete undone as well.

#include "db/DataSet.h"
#include "db/MainDataModule.h"

#include <QObject>

#include <functional>

namespace orv::db {

class OwnDataModule : public QObject {
    Q_OBJECT
public:
    explicit OwnDataModule(MainDataModule &main, const StartupProgress &progress = StartupProgress(),
                           QObject *parent = nullptr);
    ~OwnDataModule() override;

    MainDataModule &mainModule() const { return m_main; }

    // Set by the own-material editor while it is open: a Norms row started to be edited.
    std::function<void()> materialChanged;

    DataSet qNodes{QStringLiteral("qNodes")};               // param MatNo set by the caller
    DataSet qMat{QStringLiteral("qMat")};                   // detail of qNodes (MaterialNo)
    DataSet qNorms{QStringLiteral("qNorms")};               // detail of qMat (Number)
    DataSet qChemComp{QStringLiteral("qChemComp")};         // detail of qMat
    DataSet qCompareNorms{QStringLiteral("qCompareNorms")}; // detail of qMat
    DataSet qUserNotices{QStringLiteral("qUserNotices")};   // detail of qMat
    DataSet qNotices{QStringLiteral("qNotices")};
    DataSet qNodesIns{QStringLiteral("qNodesIns")};
    DataSet qMatIns{QStringLiteral("qMatIns")};
    DataSet qElements{QStringLiteral("qElements")};         // read only
    DataSet qCountry{QStringLiteral("qCountry")};           // read only
    DataSet qMatTypes{QStringLiteral("qMatTypes")};         // read only
    DataSet qTemp{QStringLiteral("qTemp")};                 // next-number rule

private:
    void defineDataSets();
    void attachBehaviour();
    void attachNewRowDefaults();
    void attachPostMirrors();
    void attachDeleteMirrors();
    // Mirror steps: copy the row being posted into its private table (insert or update).
    void mirrorPost(DataSet &ds, const QString &privateTable, const QStringList &columns, bool forceInsert = false);
    void mirrorDelete(const QString &privateTable, const QVariant &number);
    void deleteNoticeOf(const QVariant &noticeNo);
    void deleteAllRows(DataSet &ds);
    void deletePropertyRows(const QVariant &materialNo);

    MainDataModule &m_main;
};

} // namespace orv::db
