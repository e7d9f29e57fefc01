#pragma once
// A report template held in memory: sections with their elements, groups, report functions,
// the field lists and the page and layout settings. The template reader builds it, the run
// prints it, the output reads element looks from it and the designer edits a copy.

#include "report/model/Expression.h"
#include "report/model/PageSetup.h"
#include "report/model/ReportContext.h"
#include "report/model/ReportElement.h"
#include "report/model/ReportFunctions.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace orv {

// Section kinds of the five fixed sections; a group g adds 2g + 5 and 2g + 6.
enum SectionKind : int {
    skReportHeader = 0,  // "Začátek sestavy"
    skPageHeader = 1,    // "Hlava stránky"
    skBody = 2,          // "Tělo sestavy"
    skReportFooter = 3,  // "Konec sestavy"
    skPageFooter = 4     // "Pata stránky"
};
constexpr int kFixedSections = 5;
// The kinds of the header and footer sections of group g (from 0).
constexpr int groupHeaderKind(int g) { return 2 * g + kFixedSections; }
constexpr int groupFooterKind(int g) { return 2 * g + kFixedSections + 1; }

class TOddilSestavy {
public:
    explicit TOddilSestavy(int kind = 0) : Kind(kind) {}

    int Kind = 0;
    int Height = 0;         // hundredths of an inch
    bool Visible = true;
    std::vector<std::unique_ptr<TSiReportElement>> Elements;   // template order

    // The height every computation uses: 0 when the section is not visible.
    int effectiveHeight() const { return Visible ? Height : 0; }
    int elementCount() const { return int(Elements.size()); }
    TSiReportElement *element(int i) const
    {
        return i >= 0 && i < elementCount() ? Elements[size_t(i)].get() : nullptr;
    }
    TSiReportElement *appendElement(std::unique_ptr<TSiReportElement> e);
    void clearElements() { Elements.clear(); }
    // "Začátek sestavy", ..., "Začátek skupiny", "Konec skupiny".
    QString caption() const;
};

class TListOddilu {
public:
    int count() const { return int(m_items.size()); }
    TOddilSestavy *at(int i) const
    {
        return i >= 0 && i < count() ? m_items[size_t(i)].get() : nullptr;
    }
    TOddilSestavy *append(std::unique_ptr<TOddilSestavy> s);
    int indexOf(const TOddilSestavy *s) const;
    void removeAndDestroy(const TOddilSestavy *s);
    void truncate(int n);

private:
    std::vector<std::unique_ptr<TOddilSestavy>> m_items;
};

class TPolSkup {
public:
    int Index = 0;                   // as read from the template
    QString Expression;
    bool NewPage = false;
    TOddilSestavy *GroupHeader = nullptr;   // owned by the report's Sections
    TOddilSestavy *GroupFooter = nullptr;

    // Run state.
    QString CurrentKey;
    bool Changed = false;
    int LineInGroup = 1;
    int GroupNumber = 1;
};

class TListSkupin {
public:
    int count() const { return int(m_items.size()); }
    TPolSkup *at(int i) const { return i >= 0 && i < count() ? m_items[size_t(i)].get() : nullptr; }
    // "Skupina" followed by a blank and the position + 1.
    static QString name(int position) { return QStringLiteral("Skupina %1").arg(position + 1); }
    TPolSkup *append(std::unique_ptr<TPolSkup> g);
    std::unique_ptr<TPolSkup> take(int i);
    void clear() { m_items.clear(); }

private:
    std::vector<std::unique_ptr<TPolSkup>> m_items;
};

class TSestavaModel;
// The detail reports attached to a master, in the order they were attached (not owned).
using TListDetailu = QList<TSestavaModel *>;

// The model part of a report. The report component derives from it and answers the data
// questions (fields, pictures) from its data link; the base answers as a report without data.
class TSestavaModel : public TExprContext {
public:
    TSestavaModel();
    ~TSestavaModel() override;
    TSestavaModel(const TSestavaModel &) = delete;
    TSestavaModel &operator=(const TSestavaModel &) = delete;

    // --- template and description
    QStringList Predloha;
    QString Popis = QStringLiteral("Tisková úloha TOLVA");
    int FormatVersion = 5;
    int FormatRevision = 50;
    int FormatLevel = 0;
    bool IsDetail = false;          // a detail report reads record 2 and its sections differently
    QString TemplateDir;            // where pictures named by the template are looked for

    // Discards the model and builds it from the lines.
    void SetPredloha(const QStringList &lines);

    // --- sections, groups, functions, details
    TListOddilu Sections;
    TListSkupin Groups;
    TListFunkci Functions;
    TListDetailu Details;   // detail n of the template's D lines

    TOddilSestavy *section(int kind) const { return Sections.at(kind); }

    // Section flags.
    bool NewPagePerRecord = false;
    bool BreakAfterReportHeader = false;
    bool NoHeaderOnFirstPage = false;
    bool NoHeaderAfterBreak = false;
    bool BreakBeforeReportFooter = false;
    bool ReportFooterAtBottom = false;
    bool NoFooterOnLastPage = false;
    bool FooterOnFirstPageOnly = false;
    // The record-3 flags of fixed section 0..4, and back.
    int sectionFlags(int index) const;
    void setSectionFlags(int index, int flags);

    TPolSkup *AddGroup(int index, const QString &expression, bool newPage, int footerHeight,
                       bool footerVisible, int headerHeight, bool headerVisible);
    void DeleteGroup(int n);
    // Creates an element from one template element line and appends it to the section.
    TSiReportElement *AddElement(TOddilSestavy *section, const QString &line);
    // Removes all elements, all groups with their sections and all functions; keeps the
    // five fixed sections with their height and visibility.
    void Discard();
    // Makes this model a copy of the other's template (sections, elements, groups,
    // functions, settings, field lists and parameters); the designer edits such a copy.
    void CopyTemplateFrom(const TSestavaModel &other);

    // --- field lists and parameters
    QStringList FieldNames;
    QStringList FieldLabels;
    QStringList FieldPlaceholders;   // "Položka 1", "Položka 2", ...
    QStringList Parametry;
    void SetFieldNames(const QStringList &names);

    // --- page and layout settings
    // The report's own paper and margins (read with the template), printer and handlers; its
    // run and its print jobs put it to work.
    TReportContext Context;
    int Columns = 1;
    int ColumnGap = 0;
    int ColumnReserve = 0;
    bool CharacterMode = false;
    int GridX = 8;
    int GridY = 8;
    int LineHeightCode = 0;
    int PitchCode = 1;
    double CharWidth = 0.0;
    double LineHeight = 0.0;
    bool ShowGrid = false;
    bool SnapToGrid = false;
    int UnitsIndex = 0;   // 0 "0,01 inch", 1 "0,1 mm", 2 "0,1 pica", 3 "1 point", 4 "10 twips"
    // Derives CharWidth and LineHeight (and the grid in character mode) from the codes.
    void UpdateCharacterMetrics();

    bool OwnBackground = false;
    bool PrintOwnBackground = false;
    bool BackgroundPlaced = false;
    int BackgroundLeft = 0, BackgroundTop = 0, BackgroundWidth = 0, BackgroundHeight = 0;
    QString BackgroundFile;
    // The component's background, used when the template has none of its own.
    QString Background;
    bool PrintBackground = false;
    QString effectiveBackgroundFile() const { return OwnBackground ? BackgroundFile : Background; }
    bool effectiveBackgroundPrinted() const
    {
        return OwnBackground ? PrintOwnBackground : PrintBackground;
    }
    // The template's background rectangle; a width or height of 0 is the paper's.
    QRect backgroundRect() const;

    bool AllowNullValues = false;

    // --- run state read by system values
    double RunStart = 0.0;   // date and time of the run start, days since 30.12.1899
    int LineNumber = 0;
    int PageNumber = 0;
    int TotalPages = 0;      // 0 while a run is on

    // --- data access (field numbers from 0)
    virtual int FieldCount() const { return int(FieldNames.size()); }
    virtual QString FieldName(int n) const;    // the number as text when out of range
    virtual int FieldIndex(const QString &name) const;   // -1 when absent; case ignored
    virtual QString FieldLabel(int n) const;   // empty when out of range
    virtual QString FieldText(int n) const;    // placeholder without data
    virtual TCalcType FieldValue(int n) const; // placeholder text and 0 without data
    virtual TCalcType SystemValue(int index) const;
    // Loads a picture named by the template: TemplateDir + name, else the name itself.
    virtual bool LoadPicture(const QString &name, QImage &picture);

    // TExprContext
    TCalcType ReferenceValue(QChar prefix, int number) override;
    int ReferenceNumber(QChar prefix, const QString &name) override;

private:
    void createFixedSections();
    bool m_reading = false;
};

} // namespace orv
