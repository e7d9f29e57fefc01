#pragma once
// The search window on a copy of the demo catalogue, shown offscreen; its messages are
// collected and answered with `answer`.

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/MainDataModule.h"
#include "search/TfHledani.h"
#include "support/DemoCatalogue.h"
#include "support/FindChild.h"

#include <QAbstractItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <set>

class SearchWindowFixture : public ::testing::Test {
protected:
    // With `withSettings` the window keeps its state in <root>/Zeb.ini, else nowhere.
    SearchWindowFixture(bool withSettings, int answer) : answer(answer), m_withSettings(withSettings) {}

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + QStringLiteral("/");
        ASSERT_TRUE(orv::test::copyDemoCatalogue(root + QStringLiteral("data")));
        data = std::make_unique<orv::db::MainDataModule>(root, root);
        if (m_withSettings)
            ini = root + QStringLiteral("Zeb.ini");
        create();
    }
    void TearDown() override
    {
        window.reset();
        data.reset();
    }
    // A new window in place of the old one (which saves its state first).
    void create()
    {
        window.reset();
        window = std::make_unique<orv::search::TfHledani>(*data, ini);
        window->showMessage = [this](const QString &t, orv::ui::MsgType, orv::ui::MsgButtons) {
            messages << t;
            return answer;
        };
        window->resize(1000, 700);
        window->show();
    }
    orv::db::Connection &conn() { return data->catalogueSession(); }
    // The composition rows of a material that have both ends, as criteria rows with exactly
    // those ends, replacing the user's list; returns how many there are.
    int chemCriteriaOf(int material)
    {
        conn().exec(QStringLiteral("delete from UserChemComp"));
        conn().exec(QStringLiteral(
                        "insert into UserChemComp (Number, ElementNo, MinValue, MaxValue, Selected) "
                        "select Number, ElementNo, MinValue, MaxValue, 1 from ChemComp "
                        "where MaterialNo=:m and MinValue is not null and MaxValue is not null"),
                    {{QStringLiteral("m"), material}});
        data->tUserChemComp.refresh();
        return conn().scalar(QStringLiteral("select count(*) from UserChemComp")).toInt();
    }
    // The distinct whole numbers of one field over all rows of a data set.
    static std::set<int> column(const orv::db::DataSet &ds, const QString &field)
    {
        std::set<int> out;
        for (int r = 0; r < ds.recordCount(); ++r)
            out.insert(ds.valueAt(r, field).toInt());
        return out;
    }
    QStringList resultTitles() const
    {
        QStringList out;
        auto *m = orv::test::child<QTableView>(*window, "grHledani")->model();
        for (int c = 0; c < m->columnCount(); ++c)
            out << m->headerData(c, Qt::Horizontal).toString();
        return out;
    }

    QTemporaryDir dir;
    QString root;
    QString ini;
    std::unique_ptr<orv::db::MainDataModule> data;
    std::unique_ptr<orv::search::TfHledani> window;
    QStringList messages;
    int answer;

private:
    bool m_withSettings;
};
