// The own-material editor and the four own-material actions on a copy of the demo catalogue:
// every step is checked in the files (catalogue tables against their private mirror) and in
// what the program shows: the contents tree, the searches and the material card.

#include "UserDataFixture.h"

#include "browse/ContentsTreeModel.h"
#include "browse/MaterialCard.h"
#include "db/Connection.h"
#include "db/DataSet.h"
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
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
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
    EXPECT_EQ(messages, QStringList{OwnMaterialActions::deleteQuestion()});
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
    // Closed without a designation: the node takes the (empty) label.
    EXPECT_EQ(sqlite(QStringLiteral("select coalesce(Text, '<null>') from Nodes where MaterialNo=%1").arg(m)),
              QStringList{QStringLiteral("<null>")});
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
    EXPECT_EQ(snapshot(copy), original);
    EXPECT_EQ(snapshot(c45), original);
    EXPECT_EQ(sqlite(QStringLiteral("select Private from Mat where Number=%1").arg(copy)), QStringList{QStringLiteral("A")});
    EXPECT_EQ(sqlite(QStringLiteral("select coalesce(Private,'') from Mat where Number=%1").arg(c45)), privateMark);
    // Notes are the copy's own rows.
    EXPECT_EQ(count(QStringLiteral("select * from ChemComp a join ChemComp b on a.NoticeNo=b.NoticeNo "
                                   "where a.MaterialNo=%1 and b.MaterialNo=%2").arg(copy).arg(c45)), 0);
    EXPECT_GT(sqlite(QStringLiteral("select count(*) from Notices")).value(0).toInt(), catalogueRows.toInt());
    EXPECT_EQ(mirrorDifferences(), QStringList());
    EXPECT_EQ(treeNodeOf(copy).second, QStringLiteral("Vlastní materiály"));

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
            QString text = QString::fromUtf8(sql).arg(m);
            if (own)
                for (const char *t : {"SemiProd", "States", "Dimens", "MechProp", "Temps", "FyzProp", "TempProc", "ChemZbytek"})
                    text.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(QLatin1String(t))), QStringLiteral("Own") + QLatin1String(t));
            QStringList rows = sqlite(text);
            rows.sort();
            out << rows.join(u'\n');
        }
        return out;
    };
    const QStringList c45Properties = properties(c45);
    EXPECT_FALSE(c45Properties.first().isEmpty());
    EXPECT_FALSE(c45Properties.last().isEmpty());
    EXPECT_EQ(properties(copy), c45Properties);

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

    // Closed with a change, it is saved whole: one material, one node, one designation.
    actions->environment().runEditor = [](TfInsEditMaterial &e) {
        e.show();
        e.eLabel->clear();
        typeText(e.eLabel, QStringLiteral("CELÝ 1"));
        e.reject();
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
}
