// The own-material editor and the four own-material actions on a copy of the demo catalogue:
// every step is checked in the files (catalogue tables against their private mirror) and in
// what the program shows: the contents tree, the searches and the material card.

#include "UserDataFixture.h"

#include "browse/CardXlsx.h"
#include "browse/ContentsTreeModel.h"
#include "browse/MaterialCard.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/Schema.h"
#include "printouts/Comparison.h"
#include "printouts/PrintDialogs.h"
#include "search/ChemSearch.h"
#include "search/TfHledani.h"
#include "support/FindChild.h"
#include "ui/ActionUpdater.h"
#include "userdata/EditGridModel.h"
#include "userdata/OwnMaterialActions.h"
#include "userdata/TfInsEditMaterial.h"

#include <QApplication>
#include <QKeyEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace orv::userdata;
using orv::db::DataSet;

namespace {

// Types text into a box key by key, as a user would (letters outside ASCII included).
void typeText(QWidget *box, const QString &text)
{
    for (const QChar ch : text) {
        const Qt::Key key = ch == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_A;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &release);
    }
}

class OwnMaterials : public UserDataFixture {
protected:
    void SetUp() override
    {
        UserDataFixture::SetUp();
        if (HasFatalFailure())
            return;
        makeWindows();
        OwnMaterialEnvironment env;
        env.pane = pane.get();
        env.cards = cards.get();
        env.editor.message = [this](const QString &text, orv::ui::MsgType, orv::ui::MsgButtons) {
            messages << text;
            return answer;
        };
        env.runEditor = [this](TfInsEditMaterial &editor) {
            editor.chooseElement = [this](const QVariant &) { return std::optional<QVariant>(pickElement); };
            editor.chooseCountry = [this](const QVariant &) { return std::optional<QVariant>(pickCountry); };
            editor.runNoteDialog = [this](NoteDialog &dialog) {
                dialog.setText(noteText);
                return noteResult;
            };
            editor.show();
            if (drive)
                drive(editor);
            editor.accept();
            return int(editor.result());
        };
        actions = std::make_unique<OwnMaterialActions>(*own, env);
        elementC = element(QStringLiteral("C"));
        elementMn = element(QStringLiteral("Mn"));
        ASSERT_GT(elementC, 0);
        ASSERT_GT(elementMn, 0);
    }
    void TearDown() override
    {
        actions.reset();
        UserDataFixture::TearDown();
    }
    int element(const QString &label)
    {
        return data->catalogueSession()
            .scalar(QStringLiteral("select Number from Elements where Label=:l or Name=:l"), {{QStringLiteral("l"), label}})
            .toInt();
    }
    int countryNumber(int index)
    {
        return data->catalogueSession()
            .scalar(QStringLiteral("select Number from Country order by Number limit 1 offset %1").arg(index))
            .toInt();
    }
    // Types into a grid cell as a user would: the cell's row goes into editing.
    static void typeCell(TfInsEditMaterial &e, EditGridModel *model, int row, int column, const QString &text)
    {
        ASSERT_TRUE(model->setData(model->index(row, column), text));
        Q_UNUSED(e);
    }
    // The node of material M as the contents tree shows it: its text and its parent's text.
    std::pair<QString, QString> treeNodeOf(int material)
    {
        const QString node = sqlite(QStringLiteral("select Number from Nodes where MaterialNo=%1").arg(material)).value(0);
        orv::browse::ContentsTreeModel *m = pane->treeModel();
        const int n = m->tree().findNode(node);
        if (n < 0)
            return {};
        const QModelIndex index = m->indexOfNode(n);
        return {index.data().toString(), index.parent().data().toString()};
    }
    QList<int> designationHits(const QString &text)
    {
        orv::search::TfHledani window(*data, QString());
        window.showMessage = [](const QString &, orv::ui::MsgType, orv::ui::MsgButtons) { return orv::ui::mrOk; };
        window.setCurrentPage(orv::search::TfHledani::DesignationPage);
        orv::test::child<QLineEdit>(window, "eMaterialFind")->setText(text);
        window.find();
        QList<int> out;
        DataSet *r = window.result();
        for (int i = 0; r && i < r->recordCount(); ++i)
            out << r->valueAt(i, QStringLiteral("MatNumber")).toInt();
        return out;
    }
    // The composition search with exactly the given material's rows as criteria.
    QList<int> compositionHitsFor(int material)
    {
        orv::db::Connection &c = data->userSession();
        c.exec(QStringLiteral("delete from UserChemComp"));
        c.exec(QStringLiteral("insert into UserChemComp (Number, ElementNo, MinValue, MaxValue, Selected) "
                              "select Number, ElementNo, MinValue, MaxValue, 1 from ChemComp where MaterialNo=%1")
                   .arg(material));
        orv::search::ChemOptions options;
        options.threshold = orv::search::ChemThreshold::Exact;
        const auto outcome = orv::search::runChemSearch(data->catalogueSession(), options);
        QList<int> out;
        for (const auto &row : orv::search::readChemResult(data->catalogueSession(), outcome))
            out << row.matNumber;
        return out;
    }

    // Rows in every table the editor writes, as the files hold them.
    QStringList ownRowCounts() const
    {
        QStringList out;
        for (const char *t : {"Mat", "Nodes", "Norms", "ChemComp", "CompareNorms", "Notices", "user.private_MAT",
                              "user.private_NORMS", "user.private_CHEMCOMP", "user.private_NOTICES"})
            out << QStringLiteral("%1=%2").arg(QLatin1String(t)).arg(count(QStringLiteral("select * from %1").arg(QLatin1String(t))));
        return out;
    }

    std::unique_ptr<OwnMaterialActions> actions;
    std::function<void(TfInsEditMaterial &)> drive;
    QStringList messages;
    int answer = orv::ui::mrYes;
    QVariant pickElement;
    QVariant pickCountry;
    QString noteText;
    int noteResult = QDialog::Accepted;
    int elementC = 0;
    int elementMn = 0;
};

// The steps of one own material's life: typed into the editor, stored, seen everywhere, deleted.
class OwnMaterialLife : public OwnMaterials {
protected:
    void typeBasics(TfInsEditMaterial &e)
    {
        e.eName->selectAll();
        typeText(e.eName, QStringLiteral("Zkušební ocel"));
        typeText(e.eNorm, QStringLiteral("ČSN"));
        typeText(e.eLabel, QStringLiteral("ZK 12 345"));
        typeText(e.ePurpose[0], QStringLiteral("Hřídele a čepy"));
        e.cbType->setCurrentIndex(1);
        emit e.cbType->activated(1);
        ASSERT_TRUE(e.postRecord());
    }

    // Carbon with a note and manganese.
    void typeComposition(TfInsEditMaterial &e)
    {
        e.pages->setCurrentIndex(TfInsEditMaterial::CompositionPage);
        e.setWorkingDataSet(own->qChemComp);
        e.insertRecord();
        pickElement = elementC;
        e.pickElement();
        typeCell(e, e.chemCompModel(), 0, 1, QStringLiteral("0,42"));
        typeCell(e, e.chemCompModel(), 0, 2, QStringLiteral("0,50"));
        ASSERT_TRUE(e.postRecord());
        noteText = QStringLiteral("uhlík podle tavby\n"); // a final line break is not kept
        e.editNote();
        e.insertRecord();
        pickElement = elementMn;
        e.pickElement();
        typeCell(e, e.chemCompModel(), 1, 1, QStringLiteral("0,5"));
        typeCell(e, e.chemCompModel(), 1, 2, QStringLiteral("0,8"));
        ASSERT_TRUE(e.postRecord());
        EXPECT_EQ(e.chemCompModel()->rowCount(), 2);
    }

    void typeEquivalents(TfInsEditMaterial &e, int germany, int france)
    {
        e.pages->setCurrentIndex(TfInsEditMaterial::EquivalentsPage);
        e.setWorkingDataSet(own->qCompareNorms);
        for (auto [name, label, country] : {std::tuple{"DIN", "ZK12", germany}, std::tuple{"NF", "ZK-12", france}}) {
            e.insertRecord();
            const int row = e.compareNormsModel()->insertRow();
            ASSERT_GE(row, 0);
            typeCell(e, e.compareNormsModel(), row, 0, QString::fromUtf8(name));
            typeCell(e, e.compareNormsModel(), row, 1, QString::fromUtf8(label));
            pickCountry = country;
            e.pickCountry();
            ASSERT_TRUE(e.postRecord());
        }
    }

    void expectStored(int m, int germany, int france)
    {
        EXPECT_EQ(sqlite(QStringLiteral("select Name, Private, Purpose from Mat where Number=%1").arg(m)),
                  QStringList{QStringLiteral("Zkušební ocel|A|Hřídele a čepy")});
        EXPECT_EQ(sqlite(QStringLiteral("select Name, Label from Norms where MaterialNo=%1").arg(m)),
                  QStringList{QStringLiteral("ČSN|ZK 12 345")});
        EXPECT_EQ(sqlite(QStringLiteral("select cc.ElementNo, cc.MinValue, cc.MaxValue, n.Notice from ChemComp cc "
                                        "left join Notices n on n.Number=cc.NoticeNo where cc.MaterialNo=%1 order by cc.Number")
                             .arg(m)),
                  (QStringList{QStringLiteral("%1|0.42|0.5|uhlík podle tavby").arg(elementC),
                               QStringLiteral("%1|0.5|0.8|").arg(elementMn)}));
        EXPECT_EQ(sqlite(QStringLiteral("select Name, Label, CountryNo from CompareNorms where MaterialNo=%1 order by Number").arg(m)),
                  (QStringList{QStringLiteral("DIN|ZK12|%1").arg(germany), QStringLiteral("NF|ZK-12|%1").arg(france)}));
        EXPECT_EQ(mirrorDifferences(), QStringList());
        EXPECT_EQ(count(QStringLiteral("select * from user.private_CHEMCOMP")), 2);
    }
};

} // namespace

TEST_F(OwnMaterialLife, NewEditDeleteAreSeenInTheFilesTheTreeTheSearchesAndTheCard)
{
    const int germany = countryNumber(0), france = countryNumber(1);
    // ---- a new material through the editor
    drive = [&](TfInsEditMaterial &e) {
        EXPECT_EQ(e.windowTitle(), QStringLiteral("Přidání a úpravy materiálu"));
        EXPECT_TRUE(e.changed());
        EXPECT_EQ(&e.workingDataSet(), &own->qMat);
        typeBasics(e);
        if (::testing::Test::HasFatalFailure())
            return;
        typeComposition(e);
        if (::testing::Test::HasFatalFailure())
            return;
        typeEquivalents(e, germany, france);
    };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
    expectStored(m, germany, france);

    // The tree shows it under "Vlastní materiály" by its designation.
    EXPECT_EQ(treeNodeOf(m), std::make_pair(QStringLiteral("ZK 12 345"), QStringLiteral("Vlastní materiály")));
    EXPECT_EQ(pane->selectedId(), sqlite(QStringLiteral("select Number from Nodes where MaterialNo=%1").arg(m)).value(0));
    // The searches find it.
    EXPECT_TRUE(designationHits(QStringLiteral("ZK-12")).contains(m));
    EXPECT_TRUE(compositionHitsFor(m).contains(m));
    // Its card shows it.
    orv::browse::MaterialCard *card = cards->openCard(m, QStringLiteral("ZK 12 345"));
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->designationLabel()->text(), QStringLiteral("ZK 12 345"));
    EXPECT_EQ(card->qCompareNorms.recordCount(), 2);
    EXPECT_EQ(card->qChemComp.recordCount(), 2);

    // ---- editing: the designation and a composition value; the open card follows at once
    drive = [&](TfInsEditMaterial &e) {
        EXPECT_FALSE(e.changed());
        EXPECT_EQ(e.eLabel->text(), QStringLiteral("ZK 12 345"));
        e.eLabel->clear();
        typeText(e.eLabel, QStringLiteral("ZK 12 346"));
        EXPECT_TRUE(e.changed());
        e.setWorkingDataSet(own->qChemComp);
        typeCell(e, e.chemCompModel(), 1, 2, QStringLiteral("0,9"));
        // Closing posts what is still pending.
    };
    actions->editMaterial(m);
    EXPECT_EQ(sqlite(QStringLiteral("select Label from Norms where MaterialNo=%1").arg(m)), QStringList{QStringLiteral("ZK 12 346")});
    EXPECT_EQ(sqlite(QStringLiteral("select Text from Nodes where MaterialNo=%1").arg(m)), QStringList{QStringLiteral("ZK 12 346")});
    EXPECT_EQ(sqlite(QStringLiteral("select max(MaxValue) from ChemComp where MaterialNo=%1").arg(m)), QStringList{QStringLiteral("0.9")});
    EXPECT_EQ(mirrorDifferences(), QStringList());
    EXPECT_EQ(treeNodeOf(m).first, QStringLiteral("ZK 12 346"));
    EXPECT_EQ(card->designationLabel()->text(), QStringLiteral("ZK 12 346"));
    EXPECT_TRUE(designationHits(QStringLiteral("ZK-12")).contains(m));

    // ---- deleting it, after the question
    answer = orv::ui::mrNo;
    EXPECT_FALSE(actions->deleteMaterial(m));
    EXPECT_EQ(count(QStringLiteral("select * from Mat where Number=%1").arg(m)), 1);
    answer = orv::ui::mrYes;
    messages.clear();
    EXPECT_TRUE(actions->deleteMaterial(m));
    // The question names the material.
    EXPECT_EQ(messages, QStringList{OwnMaterialActions::deleteQuestion(QStringLiteral("ZK 12 346"))});
    for (const char *table : {"Mat where Number", "Norms where MaterialNo", "ChemComp where MaterialNo",
                              "CompareNorms where MaterialNo", "Nodes where MaterialNo"})
        EXPECT_EQ(count(QStringLiteral("select * from %1=%2").arg(QLatin1String(table)).arg(m)), 0) << table;
    EXPECT_EQ(count(QStringLiteral("select * from Notices where Notice='uhlík podle tavby'")), 0);
    EXPECT_EQ(mirrorDifferences(), QStringList());
    EXPECT_EQ(count(QStringLiteral("select * from user.private_MAT")), 0);
    EXPECT_EQ(cards->findCard(m), nullptr);
    EXPECT_EQ(treeNodeOf(m), std::make_pair(QString(), QString()));
    EXPECT_FALSE(designationHits(QStringLiteral("ZK-12")).contains(m));
}

TEST_F(OwnMaterials, NotesKeepTheirLettersRefuseSilentCutsAndLeaveNothingOnCancel)
{
    // Counted as the program sees them: until the window closes, its rows are the open
    // transaction's.
    auto notices = [&] { return data->userSession().scalar(QStringLiteral("select count(*) from Notices")).toInt(); };
    const int before = notices();
    drive = [&](TfInsEditMaterial &e) {
        typeText(e.eLabel, QStringLiteral("POZN 1"));
        // Cancel on a material without a note leaves no empty note behind.
        noteResult = QDialog::Rejected;
        e.editNote();
        EXPECT_EQ(notices(), before);
        EXPECT_EQ(own->qMat.value(QStringLiteral("NoticeNo")), QVariant());

        // A note of 250 characters is cut only after the user agreed to the length.
        noteResult = QDialog::Accepted;
        noteText = QString(250, QLatin1Char('x'));
        answer = orv::ui::mrOk;
        e.editNote();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages.first(), TfInsEditMaterial::longNoteMessage(250));
        EXPECT_EQ(own->qMat.value(QStringLiteral("lkNotices")).toString(), QString(200, QLatin1Char('x')));
        // A text that ends in a letter keeps every letter; "\r\n" and "\n" go.
        for (const auto &[typed, stored] : {std::pair{"Poznámka a", "Poznámka a"}, std::pair{"řádek\r\n", "řádek"},
                                            std::pair{"dva\n\n", "dva\n"}}) {
            noteText = QString::fromUtf8(typed);
            e.editNote();
            EXPECT_EQ(e.eNote->toPlainText(), QString::fromUtf8(stored));
        }
        EXPECT_EQ(notices(), before + 1);

        // Deleting the note: the row lets go of it, then it goes.
        e.deleteNote();
        EXPECT_TRUE(own->qMat.value(QStringLiteral("NoticeNo")).isNull());
        EXPECT_EQ(notices(), before);

        // A composition row with a note, duplicated: the copy has a note of its own.
        e.setWorkingDataSet(own->qChemComp);
        e.insertRecord();
        pickElement = elementC;
        e.pickElement();
        typeCell(e, e.chemCompModel(), 0, 2, QStringLiteral("0,3")); // no minimum
        ASSERT_TRUE(e.postRecord());
        noteText = QStringLiteral("původní");
        e.editNote();
        e.duplicateRecord();
        ASSERT_EQ(own->qChemComp.recordCount(), 2);
        own->qChemComp.last();
        EXPECT_TRUE(own->qChemComp.value(QStringLiteral("MinValue")).isNull());
        noteText = QStringLiteral("změněná");
        e.editNote();
        // The equivalents duplicate too.
        e.setWorkingDataSet(own->qCompareNorms);
        e.insertRecord();
        typeCell(e, e.compareNormsModel(), 0, 0, QStringLiteral("EN"));
        ASSERT_TRUE(e.postRecord());
        e.duplicateRecord();
        EXPECT_EQ(own->qCompareNorms.recordCount(), 2);
        // Deleting a row asks first.
        messages.clear();
        answer = orv::ui::mrCancel;
        e.deleteRecord();
        EXPECT_EQ(messages, QStringList{TfInsEditMaterial::deleteRecordQuestion()});
        EXPECT_EQ(own->qCompareNorms.recordCount(), 2);
        answer = orv::ui::mrYes;
        e.deleteRecord();
        EXPECT_EQ(own->qCompareNorms.recordCount(), 1);
    };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0);
    EXPECT_EQ(sqlite(QStringLiteral("select n.Notice from ChemComp cc join Notices n on n.Number=cc.NoticeNo "
                                    "where cc.MaterialNo=%1 order by cc.Number")
                         .arg(m)),
              (QStringList{QStringLiteral("původní"), QStringLiteral("změněná")}));
    EXPECT_EQ(mirrorDifferences(), QStringList());
    EXPECT_EQ(sqlite(QStringLiteral("select Text from Nodes where MaterialNo=%1").arg(m)), QStringList{QStringLiteral("POZN 1")});
}

TEST_F(OwnMaterials, EditingOnlyTheNameLeavesTheNodeTextAndAFailedPostKeepsTheWindowOpen)
{
    drive = [&](TfInsEditMaterial &e) {
        typeText(e.eLabel, QStringLiteral("JEN 1"));
    };
    const int m = actions->newMaterial();
    drive = [&](TfInsEditMaterial &e) {
        e.eName->end(false);
        typeText(e.eName, QStringLiteral(" nový název"));
        EXPECT_FALSE(e.changed());
        // The node text is changed behind the editor's back: closing must not overwrite it.
        data->userSession().exec(QStringLiteral("update Nodes set Text='ručně' where MaterialNo=%1").arg(m));
        // A post the engine refuses: the window stays open and says why.
        data->userSession().exec(QStringLiteral("create temp trigger refuse before update on Mat "
                                                "begin select raise(abort, 'zápis odmítnut'); end"));
        messages.clear();
        e.accept();
        EXPECT_TRUE(e.isVisible());
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.first().contains(QStringLiteral("zápis odmítnut"))) << messages.first().toStdString();
        data->userSession().exec(QStringLiteral("drop trigger refuse"));
    };
    actions->editMaterial(m);
    EXPECT_EQ(sqlite(QStringLiteral("select Name from Mat where Number=%1").arg(m)),
              QStringList{QStringLiteral("Nový materiál nový název")});
    EXPECT_EQ(sqlite(QStringLiteral("select Text from Nodes where MaterialNo=%1").arg(m)), QStringList{QStringLiteral("ručně")});
    EXPECT_EQ(mirrorDifferences(), QStringList());
}

TEST_F(OwnMaterials, CopyOfC45IsAnOwnMaterialWithTheSameDataAndTheCatalogueKeepsC45)
{
    const int c45 = sqlite(QStringLiteral("select MaterialNo from Norms where Label='C45' order by Number limit 1")).value(0).toInt();
    ASSERT_GT(c45, 0);
    auto snapshot = [&](int m) {
        return QStringList{
            sqlite(QStringLiteral("select Name, TypeNo, Purpose, Purpose1, coalesce((select Notice from Notices where Number=NoticeNo),'') "
                                  "from Mat where Number=%1").arg(m)).join(u';'),
            sqlite(QStringLiteral("select Name, Label, CountryNo from Norms where MaterialNo=%1 order by Number limit 1").arg(m)).join(u';'),
            sqlite(QStringLiteral("select cc.ElementNo, cc.MinValue, cc.MaxValue, coalesce(n.Notice,'') from ChemComp cc "
                                  "left join Notices n on n.Number=cc.NoticeNo where cc.MaterialNo=%1 order by cc.Number").arg(m)).join(u';'),
            sqlite(QStringLiteral("select Name, Label, CountryNo from CompareNorms where MaterialNo=%1 order by Number").arg(m)).join(u';'),
            sqlite(QStringLiteral("select TEXT from user.UserNotices where MATERIALNO=%1").arg(m)).join(u';')};
    };
    data->userSession().exec(QStringLiteral("insert into UserNotices (NUMBER, MATERIALNO, TEXT) values (900, %1, 'moje poznámka')").arg(c45));
    const QStringList original = snapshot(c45);
    const QStringList privateMark = sqlite(QStringLiteral("select coalesce(Private,'') from Mat where Number=%1").arg(c45));
    const QString catalogueRows = sqlite(QStringLiteral("select count(*) from Notices")).value(0);
    ASSERT_FALSE(original.at(2).isEmpty());
    ASSERT_FALSE(original.at(3).isEmpty());

    // Made to fail on the third table it writes: nothing of the copy is left.
    const QStringList tables{QStringLiteral("Mat"), QStringLiteral("Nodes"), QStringLiteral("Norms"),
                             QStringLiteral("ChemComp"), QStringLiteral("CompareNorms"), QStringLiteral("Notices"),
                             QStringLiteral("UserNotices"), QStringLiteral("user.private_MAT"), QStringLiteral("user.private_NOTICES"),
                             QStringLiteral("user.private_CHEMCOMP")};
    QStringList counts;
    for (const QString &t : tables)
        counts << QString::number(count(QStringLiteral("select * from ") + t));
    data->userSession().exec(QStringLiteral("create temp trigger fail_copy before insert on ChemComp "
                                            "begin select raise(abort, 'porucha disku'); end"));
    EXPECT_EQ(actions->copyMaterial(c45), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("porucha disku")));
    QStringList after;
    for (const QString &t : tables)
        after << QString::number(count(QStringLiteral("select * from ") + t));
    EXPECT_EQ(after, counts);
    data->userSession().exec(QStringLiteral("drop trigger fail_copy"));

    // The real copy.
    const int copy = actions->copyMaterial(c45);
    ASSERT_GT(copy, 0);
    // The same data; its designation says it is a copy.
    QStringList expected = original;
    expected[1].replace(QStringLiteral("|C45|"), QStringLiteral("|C45 (kopie)|"));
    EXPECT_EQ(snapshot(copy), expected);
    EXPECT_EQ(snapshot(c45), original);
    EXPECT_EQ(sqlite(QStringLiteral("select Private from Mat where Number=%1").arg(copy)), QStringList{QStringLiteral("A")});
    EXPECT_EQ(sqlite(QStringLiteral("select coalesce(Private,'') from Mat where Number=%1").arg(c45)), privateMark);
    // Notes are the copy's own rows.
    EXPECT_EQ(count(QStringLiteral("select * from ChemComp a join ChemComp b on a.NoticeNo=b.NoticeNo "
                                   "where a.MaterialNo=%1 and b.MaterialNo=%2").arg(copy).arg(c45)), 0);
    EXPECT_GT(sqlite(QStringLiteral("select count(*) from Notices")).value(0).toInt(), catalogueRows.toInt());
    EXPECT_EQ(mirrorDifferences(), QStringList());
    EXPECT_EQ(treeNodeOf(copy), std::make_pair(QStringLiteral("C45 (kopie)"), QStringLiteral("Vlastní materiály")));

    // The properties came along: mechanical (the whole hierarchy), physical, heat treatment and
    // the remainder element, so the copy's card shows what C45's does.
    auto properties = [&](int m) {
        const bool own = sqlite(QStringLiteral("select Private from Mat where Number=%1").arg(m)).value(0) == QLatin1String("A");
        QStringList out;
        for (const char *sql :
             {"select sp.Group1No, sp.Group2No, st.StateNo, d.FromValue, d.ToValue, mp.PropertyNo, t.Temperature, "
              "t.TempMinValue, t.TempMaxValue, t.NoticeNo from SemiProd sp join States st on st.SemiPrNo=sp.Number "
              "join Dimens d on d.StateNo=st.Number join MechProp mp on mp.DimensionNo=d.Number "
              "join Temps t on t.PropertyNo=mp.Number where sp.MaterialNo=%1",
              "select PropertyNo, Temperature, MinValue, MaxValue from FyzProp where MaterialNo=%1",
              "select ProcNo, MinValue, MaxValue, Cool, Stand, Notice from TempProc where MaterialNo=%1",
              "select ElementNo from ChemZbytek where MaterialNo=%1"}) {
            QStringList rows = sqlite(orv::db::propertyTablesIn(QString::fromUtf8(sql).arg(m), own));
            rows.sort();
            out << rows.join(u'\n');
        }
        return out;
    };
    const QStringList c45Properties = properties(c45);
    EXPECT_FALSE(c45Properties.first().isEmpty());
    EXPECT_FALSE(c45Properties.last().isEmpty());
    EXPECT_EQ(properties(copy), c45Properties);

    // Shown as C45's wherever they are read: the comparison of the two, the card's workbook
    // and the printout with the mechanical properties.
    orv::db::Connection &cat = data->catalogueSession();
    const orv::printouts::Comparison compared = orv::printouts::loadComparison(cat, {c45, copy});
    QSet<QString> groups, differing;
    for (const orv::printouts::CompareRow &r : compared.rows) {
        groups.insert(r.group);
        if (r.differs && !r.identity)
            differing.insert(r.group);
    }
    EXPECT_TRUE(groups.contains(orv::printouts::compareGroupComposition()));
    EXPECT_TRUE(groups.contains(orv::printouts::compareGroupMechanical()));
    for (const QString &g : {orv::printouts::compareGroupComposition(), orv::printouts::compareGroupMechanical(),
                             orv::printouts::compareGroupPhysical(), orv::printouts::compareGroupHeatTreatment()})
        EXPECT_FALSE(differing.contains(g)) << g.toStdString();
    auto workbook = [&](int m) {
        QStringList out;
        const orv::xlsx::Workbook book = orv::browse::cardWorkbook(cat, m);
        for (const orv::xlsx::Sheet &sheet : book.sheets())
            for (const orv::xlsx::Row &row : sheet.rows) {
                QStringList cells{sheet.name};
                for (const orv::xlsx::Cell &c : row.cells)
                    cells << c.value.toString();
                out << cells.join(u'|');
            }
        return out;
    };
    const QStringList c45Workbook = workbook(c45);
    EXPECT_TRUE(c45Workbook.filter(QStringLiteral("Mechanické vlastnosti|")).size() > 0);
    EXPECT_EQ(workbook(copy), c45Workbook);
    auto printed = [&](int m) {
        orv::printouts::PrintEnvironment env;
        env.catalogue = &cat;
        env.programDir = QStringLiteral(ORVALIS_SOURCE_DIR);
        env.materialNo = m;
        orv::printouts::TfPrintInfoMech dialog(env);
        QStringList out;
        for (const auto &[query, fields] : {std::pair{"qMech", QStringList{QStringLiteral("PropertyNo"), QStringLiteral("Temperature"),
                                                                             QStringLiteral("TempMinValue"), QStringLiteral("TempMaxValue")}},
                                            std::pair{"qChemComp", QStringList{QStringLiteral("Name"), QStringLiteral("Zbytek")}}}) {
            const orv::db::DataSet *ds = dialog.dataSet(QString::fromLatin1(query));
            for (int r = 0; ds && r < ds->recordCount(); ++r) {
                QStringList cells{QString::fromLatin1(query)};
                for (const QString &f : fields)
                    cells << ds->valueAt(r, f).toString();
                out << cells.join(u'|');
            }
        }
        return out;
    };
    const QStringList c45Printed = printed(c45);
    EXPECT_TRUE(c45Printed.filter(QStringLiteral("qMech|")).size() > 0);
    EXPECT_TRUE(c45Printed.filter(QStringLiteral("|A")).size() == 1);
    EXPECT_EQ(printed(copy), c45Printed);

    // Deleting the copy takes all of them and leaves C45's.
    answer = orv::ui::mrYes;
    EXPECT_TRUE(actions->deleteMaterial(copy));
    for (const char *t : {"OwnSemiProd", "OwnFyzProp", "OwnTempProc", "OwnChemZbytek", "OwnStates", "OwnDimens", "OwnMechProp", "OwnTemps"})
        EXPECT_EQ(count(QStringLiteral("select * from %1").arg(QLatin1String(t))), 0) << t;
    EXPECT_EQ(properties(c45), c45Properties);
}

TEST_F(OwnMaterials, ANewMaterialIsSavedWholeOrNotAtAll)
{
    auto counts = [&] {
        QStringList out;
        for (const char *t : {"Mat", "Nodes", "Norms", "user.private_MAT", "user.private_NORMS"})
            out << QString::number(count(QStringLiteral("select * from %1").arg(QLatin1String(t))));
        return out;
    };
    const QStringList before = counts();
    // Closed without OK and without a change: nothing is left, no nameless node.
    actions->environment().runEditor = [](TfInsEditMaterial &e) {
        e.show();
        e.reject();
        return int(e.result());
    };
    actions->newMaterial();
    EXPECT_EQ(counts(), before);
    EXPECT_EQ(count(QStringLiteral("select * from Nodes where Text='Nový materiál'")), 0);

    // The designation row cannot be written: said, nothing written, and no data set is left
    // in insert state to be posted again by a later action.
    data->userSession().exec(QStringLiteral("create temp trigger fail_norms before insert on Norms "
                                            "begin select raise(abort, 'disk je plný'); end"));
    EXPECT_EQ(actions->newMaterial(), 0);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QStringLiteral("disk je plný")));
    for (DataSet *ds : {&own->qNodes, &own->qMat, &own->qNorms})
        EXPECT_FALSE(ds->isEditing()) << ds->name().toStdString();
    EXPECT_EQ(counts(), before);
    data->userSession().exec(QStringLiteral("drop trigger fail_norms"));

    // Closed by its close button with a change and "Yes" to saving: saved whole, one
    // material, one node, one designation.
    actions->environment().runEditor = [](TfInsEditMaterial &e) {
        e.show();
        e.eLabel->clear();
        typeText(e.eLabel, QStringLiteral("CELÝ 1"));
        e.close();
        return int(e.result());
    };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0);
    EXPECT_EQ(sqlite(QStringLiteral("select n.Label, d.Text from Norms n, Nodes d where n.MaterialNo=%1 and d.MaterialNo=%1").arg(m)),
              QStringList{QStringLiteral("CELÝ 1|CELÝ 1")});
    EXPECT_EQ(mirrorDifferences(), QStringList());
}

TEST_F(OwnMaterials, TheFocusChoosesTheWorkingSetEnterOpensThePickerAndThePageIsKept)
{
    int elementAsks = 0, countryAsks = 0;
    drive = [&](TfInsEditMaterial &e) {
        typeText(e.eLabel, QStringLiteral("FOKUS 1"));
        QApplication::setActiveWindow(&e);
        e.activateWindow();
        e.pages->setCurrentIndex(TfInsEditMaterial::CompositionPage);
        QApplication::processEvents();
        EXPECT_EQ(&e.workingDataSet(), &own->qChemComp);
        orv::ui::ActionUpdater::instance().updateNow();
        EXPECT_TRUE(e.aInsert->isEnabled());
        EXPECT_FALSE(e.aDelete->isEnabled()); // no rows yet
        // Enter in the element column asks for the element; the row waits to be posted.
        e.insertRecord();
        e.chooseElement = [&](const QVariant &) {
            ++elementAsks;
            return std::optional<QVariant>(elementC);
        };
        // The value columns have no picker.
        e.grChemComp->setCurrentIndex(e.chemCompModel()->index(0, 1));
        QTest::keyClick(e.grChemComp, Qt::Key_Return);
        EXPECT_EQ(elementAsks, 0);
        e.grChemComp->setCurrentIndex(e.chemCompModel()->index(0, 0));
        QTest::keyClick(e.grChemComp, Qt::Key_Return);
        EXPECT_EQ(elementAsks, 1);
        EXPECT_TRUE(own->qChemComp.isEditing());
        orv::ui::ActionUpdater::instance().updateNow();
        EXPECT_TRUE(e.aPost->isEnabled());
        // Esc is "Neukládat": the new row goes and the window stays.
        QTest::keyClick(e.grChemComp, Qt::Key_Escape);
        EXPECT_FALSE(own->qChemComp.isEditing());
        EXPECT_EQ(own->qChemComp.recordCount(), 0);
        EXPECT_TRUE(e.isVisible());

        e.pages->setCurrentIndex(TfInsEditMaterial::EquivalentsPage);
        QApplication::processEvents();
        EXPECT_EQ(&e.workingDataSet(), &own->qCompareNorms);
        // Moving past the last row starts a new one; Enter in the country column asks for it.
        QTest::keyClick(e.grCompareNorms, Qt::Key_Down);
        EXPECT_EQ(own->qCompareNorms.state(), orv::db::DataSetState::Insert);
        e.grCompareNorms->setCurrentIndex(e.compareNormsModel()->index(0, 2));
        e.chooseCountry = [&](const QVariant &) {
            ++countryAsks;
            return std::optional<QVariant>(countryNumber(0));
        };
        QTest::keyClick(e.grCompareNorms, Qt::Key_Return);
        EXPECT_EQ(countryAsks, 1);
        e.eName->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(&e.workingDataSet(), &own->qMat);
        orv::ui::ActionUpdater::instance().updateNow();
        EXPECT_FALSE(e.aInsert->isEnabled());
        e.pages->setCurrentIndex(TfInsEditMaterial::EquivalentsPage);
    };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0);
    // The pending equivalent was posted on closing.
    EXPECT_EQ(count(QStringLiteral("select * from CompareNorms where MaterialNo=%1").arg(m)), 1);
    EXPECT_EQ(mirrorDifferences(), QStringList());
    // The editor opens on the page it was closed on.
    int page = -1;
    drive = [&](TfInsEditMaterial &e) { page = e.pages->currentIndex(); };
    actions->editMaterial(m);
    EXPECT_EQ(page, int(TfInsEditMaterial::EquivalentsPage));
    // A new material starts on the first page all the same.
    drive = [&](TfInsEditMaterial &e) {
        page = e.pages->currentIndex();
        e.reject();
    };
    actions->newMaterial();
    EXPECT_EQ(page, int(TfInsEditMaterial::InfoPage));
}

namespace {

// The cell editor a grid has open (one being deleted does not count).
QLineEdit *openCellEditor(QTableView *grid)
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QLineEdit *line : grid->findChildren<QLineEdit *>())
        if (line->isVisible())
            return line;
    return nullptr;
}

} // namespace

TEST_F(OwnMaterials, StornoEscAndTheCloseButtonKeepNothingOfANewMaterialAndOkWantsADesignation)
{
    const QStringList before = ownRowCounts();
    // Something of everything typed: name, a composition row with a note, an equivalent.
    auto typeSome = [&](TfInsEditMaterial &e) {
        e.eName->end(false);
        typeText(e.eName, QStringLiteral(" rozepsaný"));
        e.setWorkingDataSet(own->qChemComp);
        e.insertRecord();
        pickElement = elementC;
        e.pickElement();
        typeCell(e, e.chemCompModel(), 0, 2, QStringLiteral("0,2"));
        ASSERT_TRUE(e.postRecord());
        noteText = QStringLiteral("zahodit");
        e.editNote();
        e.setWorkingDataSet(own->qMat);
    };
    // ---- Storno: asks, "No" stays, "Yes" throws it all away
    drive = [&](TfInsEditMaterial &e) {
        typeSome(e);
        messages.clear();
        answer = orv::ui::mrNo;
        QTest::mouseClick(e.stornoButton, Qt::LeftButton);
        EXPECT_TRUE(e.isVisible());
        answer = orv::ui::mrYes;
        QTest::mouseClick(e.stornoButton, Qt::LeftButton);
        EXPECT_FALSE(e.isVisible());
        EXPECT_EQ(e.result(), int(QDialog::Rejected));
        EXPECT_EQ(messages, (QStringList{TfInsEditMaterial::discardNewQuestion(), TfInsEditMaterial::discardNewQuestion()}));
    };
    EXPECT_EQ(actions->newMaterial(), 0);
    EXPECT_EQ(ownRowCounts(), before);
    EXPECT_EQ(cards->count(), 0);

    // ---- Esc: first it drops the pending change of the name, then it is Storno
    drive = [&](TfInsEditMaterial &e) {
        typeSome(e);
        messages.clear();
        e.eName->setFocus();
        QTest::keyClick(e.eName, Qt::Key_Escape);
        EXPECT_TRUE(e.isVisible());
        EXPECT_EQ(e.eName->text(), QStringLiteral("Nový materiál"));
        EXPECT_TRUE(messages.isEmpty());
        QTest::keyClick(e.eName, Qt::Key_Escape);
        EXPECT_FALSE(e.isVisible());
        EXPECT_EQ(messages, QStringList{TfInsEditMaterial::discardNewQuestion()});
    };
    actions->newMaterial();
    EXPECT_EQ(ownRowCounts(), before);

    // ---- the window's close button: Cancel stays, No discards
    drive = [&](TfInsEditMaterial &e) {
        typeSome(e);
        messages.clear();
        answer = orv::ui::mrCancel;
        EXPECT_FALSE(e.close());
        EXPECT_TRUE(e.isVisible());
        answer = orv::ui::mrNo;
        e.close();
        EXPECT_FALSE(e.isVisible());
        EXPECT_EQ(messages, (QStringList{TfInsEditMaterial::saveQuestion(), TfInsEditMaterial::saveQuestion()}));
        answer = orv::ui::mrYes;
    };
    actions->newMaterial();
    EXPECT_EQ(ownRowCounts(), before);

    // ---- OK without a designation: said in Czech, the window and all typed stay; with one it saves
    int m = 0;
    drive = [&](TfInsEditMaterial &e) {
        m = e.materialNo();
        typeSome(e);
        e.pages->setCurrentIndex(TfInsEditMaterial::CompositionPage);
        messages.clear();
        QTest::mouseClick(e.okButton, Qt::LeftButton);
        EXPECT_TRUE(e.isVisible());
        EXPECT_EQ(messages, QStringList{TfInsEditMaterial::missingDesignationMessage()});
        EXPECT_EQ(e.pages->currentIndex(), int(TfInsEditMaterial::InfoPage));
        EXPECT_EQ(e.eName->text(), QStringLiteral("Nový materiál rozepsaný"));
        EXPECT_EQ(own->qChemComp.recordCount(), 1);
        typeText(e.eNorm, QStringLiteral("ČSN"));
        typeText(e.eLabel, QStringLiteral("OK 1"));
        QTest::mouseClick(e.okButton, Qt::LeftButton);
        EXPECT_FALSE(e.isVisible());
    };
    EXPECT_EQ(actions->newMaterial(), m);
    EXPECT_EQ(sqlite(QStringLiteral("select m.Name, n.Label, d.Text, (select count(*) from ChemComp where MaterialNo=%1) "
                                    "from Mat m, Norms n, Nodes d where m.Number=%1 and n.MaterialNo=%1 and d.MaterialNo=%1")
                         .arg(m)),
              QStringList{QStringLiteral("Nový materiál rozepsaný|OK 1|OK 1|1")});
    EXPECT_EQ(mirrorDifferences(), QStringList());

    // ---- editing it and pressing Storno leaves it as it was; nothing changed closes without a question
    const QStringList saved = ownRowCounts();
    drive = [&](TfInsEditMaterial &e) {
        e.eLabel->clear();
        typeText(e.eLabel, QStringLiteral("JINÝ 2"));
        ASSERT_TRUE(e.postRecord());
        e.setWorkingDataSet(own->qChemComp);
        typeCell(e, e.chemCompModel(), 0, 2, QStringLiteral("0,9"));
        ASSERT_TRUE(e.postRecord());
        messages.clear();
        e.cancelMaterial();
        EXPECT_EQ(messages, QStringList{TfInsEditMaterial::discardChangesQuestion()});
    };
    actions->editMaterial(m);
    EXPECT_EQ(sqlite(QStringLiteral("select n.Label, d.Text, c.MaxValue from Norms n, Nodes d, ChemComp c "
                                    "where n.MaterialNo=%1 and d.MaterialNo=%1 and c.MaterialNo=%1").arg(m)),
              QStringList{QStringLiteral("OK 1|OK 1|0.2")});
    EXPECT_EQ(ownRowCounts(), saved);
    EXPECT_EQ(mirrorDifferences(), QStringList());
    drive = [&](TfInsEditMaterial &e) {
        messages.clear();
        e.cancelMaterial();
        EXPECT_FALSE(e.isVisible());
        EXPECT_TRUE(messages.isEmpty());
    };
    actions->editMaterial(m);
}

TEST_F(OwnMaterials, CompositionLimitsAreRefusedOnTheCellAndTheTypedTextStays)
{
    drive = [&](TfInsEditMaterial &e) {
        typeText(e.eLabel, QStringLiteral("MEZE 1"));
        e.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&e));
        e.pages->setCurrentIndex(TfInsEditMaterial::CompositionPage);
        e.setWorkingDataSet(own->qChemComp);
        EditGridModel *model = e.chemCompModel();
        e.insertRecord();
        pickElement = elementMn;
        e.pickElement();
        messages.clear();
        // Refused as values: negative, over 100 %, a minimum above the maximum.
        EXPECT_TRUE(model->setData(model->index(0, 2), QStringLiteral("0,5")));
        for (const char *typed : {"-0,1", "120", "1"})
            EXPECT_FALSE(model->setData(model->index(0, 1), QString::fromUtf8(typed))) << typed;
        EXPECT_FALSE(model->setData(model->index(0, 2), QStringLiteral("-1")));
        ASSERT_EQ(messages.size(), 4);
        EXPECT_TRUE(messages.at(0).contains(QStringLiteral("záporný"))) << messages.at(0).toStdString();
        EXPECT_TRUE(messages.at(1).contains(QStringLiteral("větší než 100 %"))) << messages.at(1).toStdString();
        EXPECT_TRUE(messages.at(2).contains(QStringLiteral("Nejmenší obsah prvku (1 %)"))) << messages.at(2).toStdString();
        EXPECT_TRUE(own->qChemComp.value(QStringLiteral("MinValue")).isNull());
        ASSERT_TRUE(e.postRecord());

        // Through the cell editor: Enter on "1" says why and opens the cell again with "1".
        QTableView *grid = e.grChemComp;
        auto typeInCell = [&](int row, int column, const QString &text) -> QLineEdit * {
            grid->setCurrentIndex(model->index(row, column));
            grid->edit(model->index(row, column));
            QLineEdit *editor = openCellEditor(grid);
            if (!editor)
                return nullptr;
            editor->selectAll();
            QTest::keyClicks(editor, text);
            QTest::keyClick(editor, Qt::Key_Return);
            return openCellEditor(grid);
        };
        messages.clear();
        QLineEdit *open = typeInCell(0, 1, QStringLiteral("1"));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.first().contains(QStringLiteral("nemůže být větší než největší obsah (0,5 %)")))
            << messages.first().toStdString();
        ASSERT_NE(open, nullptr);
        EXPECT_TRUE(open->isVisible());
        EXPECT_EQ(open->text(), QStringLiteral("1"));
        open->selectAll();
        QTest::keyClicks(open, QStringLiteral("0,3"));
        QTest::keyClick(open, Qt::Key_Return);
        EXPECT_EQ(openCellEditor(grid), nullptr);
        EXPECT_EQ(model->rawValue(0, 1).toDouble(), 0.3);

        // Minima adding up to more than 100 %.
        e.insertRecord();
        pickElement = elementC;
        e.pickElement();
        EXPECT_TRUE(model->setData(model->index(1, 1), QStringLiteral("60")));
        ASSERT_TRUE(e.postRecord());
        e.insertRecord();
        pickElement = element(QStringLiteral("Cr"));
        e.pickElement();
        messages.clear();
        EXPECT_FALSE(model->setData(model->index(2, 1), QStringLiteral("39,8")));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.first().contains(QStringLiteral("100,1 %"))) << messages.first().toStdString();
        EXPECT_TRUE(model->setData(model->index(2, 1), QStringLiteral("39,7")));
    };
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const int m = actions->newMaterial();
    QLocale::setDefault(QLocale::c());
    ASSERT_GT(m, 0);
    EXPECT_EQ(sqlite(QStringLiteral("select ElementNo, coalesce(MinValue,''), coalesce(MaxValue,'') from ChemComp "
                                    "where MaterialNo=%1 order by Number").arg(m)),
              (QStringList{QStringLiteral("%1|0.3|0.5").arg(elementMn), QStringLiteral("%1|60.0|").arg(elementC),
                           QStringLiteral("%1|39.7|").arg(element(QStringLiteral("Cr")))}));
}

TEST_F(OwnMaterials, ValuesShowAsStoredAndTheElementChooserSpeaksCzech)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    QStringList headers;
    QStringList firstRow;
    drive = [&](TfInsEditMaterial &e) {
        typeText(e.eLabel, QStringLiteral("PŘESNĚ 1"));
        e.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&e));
        e.pages->setCurrentIndex(TfInsEditMaterial::CompositionPage);
        e.setWorkingDataSet(own->qChemComp);
        EditGridModel *model = e.chemCompModel();
        for (auto [label, column, value] : {std::tuple{"S", 2, "0,035"}, std::tuple{"B", 1, "0,0008"}}) {
            e.insertRecord();
            pickElement = element(QString::fromUtf8(label));
            e.pickElement();
            ASSERT_TRUE(model->setData(model->index(model->insertRow(), column), QString::fromUtf8(value)));
            ASSERT_TRUE(e.postRecord());
        }
        EXPECT_EQ(model->index(0, 2).data().toString(), QStringLiteral("0,035"));
        EXPECT_EQ(model->index(1, 1).data().toString(), QStringLiteral("0,0008"));
        // The cell editor starts from the stored value: Enter without a change changes nothing.
        EXPECT_EQ(model->index(0, 2).data(Qt::EditRole).toString(), QStringLiteral("0,035"));
        e.grChemComp->setCurrentIndex(model->index(0, 2));
        e.grChemComp->edit(model->index(0, 2));
        QLineEdit *cell = openCellEditor(e.grChemComp);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(), QStringLiteral("0,035"));
        QTest::keyClick(cell, Qt::Key_Return);
        EXPECT_EQ(openCellEditor(e.grChemComp), nullptr);
        ASSERT_TRUE(e.postRecord());

        // The real element chooser: Czech headings, no numbers of the program's own.
        e.chooseElement = nullptr;
        QTimer::singleShot(0, [&] {
            auto *picker = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(picker, nullptr);
            auto *grid = picker->findChild<QTableView *>();
            ASSERT_NE(grid, nullptr);
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                if (!grid->isColumnHidden(c)) {
                    headers << grid->model()->headerData(c, Qt::Horizontal).toString();
                    firstRow << grid->model()->index(0, c).data().toString();
                }
            picker->reject();
        });
        e.pickElement();
    };
    const int m = actions->newMaterial();
    QLocale::setDefault(QLocale::c());
    ASSERT_GT(m, 0);
    EXPECT_EQ(sqlite(QStringLiteral("select coalesce(MinValue,''), coalesce(MaxValue,'') from ChemComp where MaterialNo=%1 "
                                    "order by Number").arg(m)),
              (QStringList{QStringLiteral("|0.035"), QStringLiteral("0.0008|")}));
    EXPECT_EQ(headers, (QStringList{QStringLiteral("Název"), QStringLiteral("Značka")}));
    ASSERT_EQ(firstRow.size(), 2);
    for (const QString &cell : firstRow) {
        bool number = false;
        cell.toInt(&number);
        EXPECT_FALSE(number) << cell.toStdString();
    }
}

TEST_F(OwnMaterials, CopyEditAndDeleteFollowTheActiveCardElseTheTreeAndACopyOpensInTheEditor)
{
    const int c45 = sqlite(QStringLiteral("select MaterialNo from Norms where Label='C45' order by Number limit 1")).value(0).toInt();
    ASSERT_GT(c45, 0);
    drive = [&](TfInsEditMaterial &e) { typeText(e.eLabel, QStringLiteral("VIDĚT 1")); };
    const int m = actions->newMaterial();
    ASSERT_GT(m, 0);
    // The tree stands on the new material; C45's card is the active window.
    orv::browse::MaterialCard *card = cards->openCard(c45, QStringLiteral("C45"));
    ASSERT_NE(card, nullptr);
    area->activateWindow();
    QApplication::setActiveWindow(area.get());
    area->setActiveSubWindow(cards->windowOf(card));
    card->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(actions->selectedMaterial(), c45);
    // The tree with the focus is what the user looks at.
    QApplication::setActiveWindow(pane.get());
    pane->tree()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(actions->selectedMaterial(), m);

    // Copying from the card: a copy named as one, opened in the editor at once.
    QApplication::setActiveWindow(area.get());
    area->setActiveSubWindow(cards->windowOf(card));
    card->setFocus();
    QApplication::processEvents();
    QList<int> edited;
    QString label;
    drive = [&](TfInsEditMaterial &e) {
        edited << e.materialNo();
        label = e.eLabel->text();
    };
    const int copy = actions->copySelected();
    ASSERT_GT(copy, 0);
    EXPECT_EQ(edited, QList<int>{copy});
    EXPECT_EQ(label, QStringLiteral("C45 (kopie)"));
    EXPECT_EQ(actions->copyMaterial(c45), copy + 1);
    EXPECT_EQ(sqlite(QStringLiteral("select Label from Norms where MaterialNo=%1").arg(copy + 1)),
              QStringList{QStringLiteral("C45 (kopie 2)")});

    // The copy's card is what the user looks at.
    orv::browse::MaterialCard *copyCard = cards->openCard(copy, QStringLiteral("C45 (kopie)"));
    ASSERT_NE(copyCard, nullptr);

    // Deleting from its card: the question names it, the card goes, the tree keeps its place.
    const QString c45Node = sqlite(QStringLiteral("select Number from Nodes where MaterialNo=%1 order by Number limit 1").arg(c45)).value(0);
    ASSERT_TRUE(pane->selectNode(c45Node));
    QApplication::setActiveWindow(area.get());
    area->setActiveSubWindow(cards->windowOf(copyCard));
    copyCard->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(actions->selectedMaterial(), copy);
    const QString treeBefore = pane->selectedId();
    messages.clear();
    answer = orv::ui::mrYes;
    EXPECT_TRUE(actions->deleteSelected());
    EXPECT_EQ(messages, QStringList{OwnMaterialActions::deleteQuestion(QStringLiteral("C45 (kopie)"))});
    EXPECT_EQ(cards->findCard(copy), nullptr);
    EXPECT_EQ(count(QStringLiteral("select * from Mat where Number=%1").arg(copy)), 0);
    EXPECT_EQ(pane->selectedId(), treeBefore);
    EXPECT_EQ(treeBefore, c45Node);
}
