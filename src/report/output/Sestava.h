#pragma once
// The report components the application prints through: the abstract report TSestavaTyp
// (model, output store, run, print, export), TSestavaD bound to data through a TBridge,
// the master report TSestava with its template file and entry points, and TSestDetail,
// printed inside the master's body.
//
// Windows and writers that live in higher layers (preview, designer, print dialogs, PDF,
// RTF, HTML and character output) are reached through TSestavaEntryPoints, which those
// layers fill in; an entry point nobody filled in gives the result seNotReady.

#include "report/model/Bridge.h"
#include "report/model/ReportLocation.h"
#include "report/model/ReportModel.h"
#include "report/model/SestError.h"
#include "report/model/SestavaMessages.h"
#include "report/output/OutputStore.h"
#include "report/output/OutputWriters.h"
#include "report/output/PrinterMetrics.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QIODevice;
class QPainter;

namespace orv {

class TSestDetail;
class TSestava;
class TSestavaTyp;
class TTextCanvas;
class TSestProgress;

// Code page of character output.
enum TSestLanguage : int { slUndefined = 0, slASCII = 1, slCP867 = 2, slCP852 = 3, slCP1250 = 4 };

// The window states the preview and the designer open in.
enum TSestWindowState : int { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

// What the higher layers plug in. Each returns a TSestError code.
struct TSestavaEntryPoints {
    // The preview window on the report's store: 1 when closed with OK, else 0.
    std::function<int(TSestava &, const QRect &rect, int position, int zoom, int windowState)>
        Preview;
    // The designer, modally: 0 when closed with OK, else 3; 8 when it cannot be created.
    std::function<int(TSestavaTyp &, const QRect &rect, int position, int windowState)> Edit;
    std::function<int(TSestavaTyp &, void *owner, int option)> EditIn;
    // Character output of the store (a text-only printer's job, or a stream).
    std::function<int(TSestavaTyp &, QIODevice &stream)> CharacterOutput;
    // Whether the printer of that index (-1 the default) is a text-only one.
    std::function<bool(int printerIndex)> IsCharacterPrinter;
    // Prints the store on that text-only printer; seCancelled when the abort flag stopped it.
    std::function<int(TSestavaTyp &, int printerIndex, const bool *abortFlag)> PrintText;
    // The print-options window, asked when the report's sheet is bigger than the printer's.
    std::function<bool(TPrintTiling &)> AskTiling;
    // The save dialog of SaveTemplateAs: the chosen file, or empty for cancel.
    std::function<QString(const QString &startDir, const QString &currentPath)> SaveAsDialog;
};
TSestavaEntryPoints &sestavaEntryPoints();

// True while a print or preview runs anywhere in the process.
bool sestavaOperationRunning();

class TSestavaTyp : public TSestavaModel {
public:
    TSestavaTyp();
    ~TSestavaTyp() override;

    QString Name;
    bool Designing = false;     // the component is being designed (events are not raised)

    // Published properties.
    QString IniFileName = QStringLiteral("SestDLL.ini");
    int PrintCopies = 1;
    int StartPage = 1;
    int EndPage = 9999;
    int MaxRecords = 0;
    int ExportLanguage = slUndefined;
    bool TiskJedenZaznam = false;
    bool IsStored = false;

    TSestVystup Vystup;          // the output store (on the paper of Context)
    QImage BackgroundPicture;

    // --- virtual operations
    virtual QString ReportName() const { return {}; }
    virtual void setReportName(const QString &) {}
    virtual void DoGetData() {}
    virtual void DoPrintSection(TOddilSestavy *section, bool &print);
    virtual void DoPrintElement(TSiReportElement *element, bool &canPrint);
    virtual void DoComputeFunctions() {}
    // Discards the model, takes the lines and builds the model from them.
    virtual void SetPredloha(const QStringList &lines);
    virtual void DoBeforePrintPreview() {}
    virtual void DoAfterPrintPreview() {}
    virtual void DoPreviewCustom(int page) { (void)page; }
    virtual void DoPaintBox(int index, int width, int height, QPainter &canvas);
    virtual int PrintToStreamRaw(QIODevice &stream);
    virtual QString GetTemplatePath() const { return {}; }
    virtual bool CheckData() { return true; }
    bool IsCharacterMode() const { return CharacterMode; }
    virtual bool HasDetails() const { return false; }
    virtual bool PrepareFields() { return false; }
    void RequestPageBreak() { PageBreakRequest = true; }
    virtual int Edit();
    virtual int EditAt(const QRect &rect, int position, int windowState);
    virtual int EditIn(void *owner, int option);
    virtual int Print();
    int PrintOn(int printerIndex) { return PrintOnPort(printerIndex, QString()); }
    virtual int PrintOnPort(int printerIndex, const QString &port);
    virtual int PrintToStream(QIODevice &stream);
    virtual int PrintToFile(const QString &fileName);

    // Metafiles of the store's pages (index from 0).
    virtual int ExportEmfPage(QIODevice &stream, int page, int background = -1);
    virtual int ExportEmfPageFile(const QString &fileName, int page, int background = -1);
    virtual int ExportEmf(const QString &fileName, int background = -1);
    virtual int ExportWmfPage(QIODevice &stream, int page, int background = -1);
    virtual int ExportWmfPageFile(const QString &fileName, int page, int background = -1);
    virtual int ExportWmf(const QString &fileName, int background = -1);
    virtual int ExportHtmlPage(QIODevice &stream, const QString &directory, int page,
                               const QString &pictureFile);
    virtual int ExportHtmlPageFile(const QString &directory, const QString &fileName, int page,
                                   const QString &pictureFile);
    // Every page as fileName with its number before the extension, and fileName itself as
    // the index page linking them.
    virtual int ExportHtml(const QString &directory, const QString &fileName,
                           const QString &pictureBase);
    // The index page of the page files (names relative to the directory), titled Popis.
    int ExportHtmlIndex(const QString &directory, const QString &fileName, const QStringList &pageFiles);
    virtual int ExportRtf(QIODevice &stream);
    virtual int ExportRtfFile(const QString &directory, const QString &fileName);
    virtual int ExportPdf(QIODevice &stream);
    virtual int ExportPdfFile(const QString &directory, const QString &fileName);
    // The rows of the store as a spreadsheet (XlsxExport.h); *error gets the Czech reason.
    int ExportXlsx(const QString &fileName, QString *error = nullptr);

    int Preview();
    virtual int PreviewAt(const QRect &rect, int position, int zoom, int windowState);

    // Data access, field numbers from 0.
    virtual int FieldDataType(int n) const { (void)n; return 0; }
    virtual int FieldAlignment(int n) const { (void)n; return 0; }
    virtual int FieldDisplayWidth(int n) const { (void)n; return 10; }
    virtual QString FieldMemo(int n) const { return FieldText(n); }
    // The report's reusable picture filled from the field; false when there is none.
    virtual bool FieldPicture(int n, QImage &picture) const;
    virtual double FieldNumber(int n) const { return FieldValue(n).Number; }
    virtual bool FieldIsNull(int n) const { (void)n; return false; }
    QString ParameterCaption(int n) const;
    static QString ParameterCaption(int n, const QStringList &parameters);

    virtual TStepResult StepData(TStepDir dir) { (void)dir; return srNoData; }
    virtual int LoadTemplate(bool askCreate) { (void)askCreate; return seNotReady; }
    virtual int SaveTemplate() { return seNotReady; }
    virtual int SaveTemplateAs() { return seNotReady; }
    virtual void ListPictures(QStringList &items) { (void)items; }
    virtual void DoPreparePicture(QImage &picture, int width, int height);

    // --- the run
    // Fills the output store (final: the master; not final: a detail inside its master's
    // store). 0, or 3 when the user cancelled.
    int Run(bool final);
    bool EffectiveBackgroundPrint() const { return effectiveBackgroundPrinted(); }
    void LoadBackground();

    // Attached details in the order they were attached.
    const QList<TSestDetail *> &DetailList() const { return m_details; }
    void AttachDetail(TSestDetail *detail);
    void DetachDetail(TSestDetail *detail);

    // Run state, readable for the report's handlers.
    int RecordsPrinted = 0;
    bool FirstRecord = true;
    bool StopRequested = false;
    bool PageBreakRequest = false;
    // What went wrong in the last run, each element, group or function said once: a field
    // the data lacks, a condition, group expression or function that failed. A detail's
    // problems go to its master's list.
    QStringList RunProblems;

    // The store the run writes into: its own, or its master's while a detail runs.
    TSestVystup &store() { return *m_store; }

    bool EmfOrWmf(bool enhanced, QIODevice &stream, int page, int background);
    // The Czech message (file and reason) of the last export or file that was not written.
    QString OutputError;
    // What the text writer needs of this report: page range, copies, code page, line height.
    TWriteJob textJob() const;
    // Raised when an operation ends with a non-zero result (TSestava).
    virtual void DoError(int code) { (void)code; }

protected:
    // The master report a detail prints into, or null.
    virtual TSestavaTyp *masterReport() const { return nullptr; }
    int exportFiles(bool enhanced, const QString &fileName, int background);
    TWriteJob pageJob(int page, int background) const;
    int writeFile(const QString &format, const TWriteJob &job, const QString &fileName);

    QList<TSestDetail *> m_details;

private:
    friend class TSestDetail;

    // Run steps.
    void prepareRun(bool noRecords);
    void printRunHeaders();
    void printRecords(TStepResult step, bool noRecords);
    int finishRun();
    void recordProcessing();
    void storeGroupKeys(const std::vector<QString> &keys);
    void evaluateSectionValues(bool withHeader, bool withFooter);
    void evaluateBarcodes(bool withHeader, bool withFooter);
    void reloadPicture(TSiReportElement &e);
    int pageHeaderHeight() const;
    int pageFooterHeight() const;
    int remaining(int y) const;
    void pageFooter(int offset);
    void nextPageNumber();
    void newPage(bool keepBase, int offset);
    void printSection(TOddilSestavy *s, int &y, int &p);
    void printSectionAtCursor(TOddilSestavy *s) { printSection(s, m_store->CursorY, m_store->PageOffset); }
    void printElements(const std::vector<TSiReportElement *> &elements, int y, int p);
    void printGrowing(TSiReportElement &e, int &y, int &page);
    void placeDetail(TSiReportElement &e, int &y, int &page);
    void advanceAfter(TOddilSestavy *s, int &y);
    void returnToFirstColumn();
    void endOfReport();
    void layoutInto(TSiReportElement &e, bool growing, TRadky &lines);
    QString elementText(TSiReportElement &e);
    bool elementPrints(TSiReportElement &e);
    bool cancelled() const;
    void processMessages();
    bool multiColumnBody(const TOddilSestavy *s) const { return s->Kind == skBody && Columns > 1; }

    // How deep a chain of detail lists may nest, and how deep this report's run is in the
    // chain of its masters (0 for a run of its own).
    static constexpr int kMaxDetailDepth = 16;
    int m_detailDepth = 0;
    TSestVystup *m_store = &Vystup;
    bool m_final = true;
    TTextCanvas *m_canvas = nullptr;
    TSestProgress *m_progress = nullptr;
    bool *m_cancelFlag = nullptr;
    // Items waiting for the page count (pinned: they stay as they are while their pages are
    // packed like any other) and the pages they were put on.
    struct TPendingPageCount {
        int Page;
        TVystPrvek *Item;
    };
    std::vector<TPendingPageCount> m_pendingPageCount;
    std::vector<TSiReportElement *> m_variables;   // system-variable elements of all sections
    std::vector<TExpression> m_groupExpressions;
    std::unordered_map<const TSiReportElement *, TExpression> m_conditions;
    std::unordered_set<const void *> m_problemKeys;
    void runProblem(const void *key, const QString &text);
    void checkFieldBindings();
    QString describeElement(const TSiReportElement &e) const;
};

class TSestavaD : public TSestavaTyp {
public:
    TSestavaD();
    ~TSestavaD() override;

    // The data link (not owned); null when there is no data source.
    TBridge *DataSource = nullptr;

    std::function<void(TSestavaD &)> OnGetData;
    std::function<TStepResult(TSestavaD &, TStepDir)> OnStepData;
    std::function<void(TSestavaD &, int index, int &dataType)> OnGetDataType;
    std::function<void(TSestavaD &, int index, int &alignment)> OnGetAlignment;
    std::function<void(TSestavaD &, int index, int width, int height, QPainter &canvas)> OnPaintBox;
    std::function<void(TSestavaD &, TElementFont &font, const QString &ident, bool &canPrint)>
        OnPrintElement;

    bool getDataMode() const { return OnGetData && !Designing; }

    void DoGetData() override;
    void DoPrintElement(TSiReportElement *element, bool &canPrint) override;
    void DoPaintBox(int index, int width, int height, QPainter &canvas) override;
    bool CheckData() override;
    bool HasDetails() const override { return !m_details.isEmpty(); }
    bool PrepareFields() override;
    TStepResult StepData(TStepDir dir) override;

    int FieldDataType(int n) const override;
    int FieldAlignment(int n) const override;
    int FieldDisplayWidth(int n) const override;
    QString FieldText(int n) const override;
    QString FieldMemo(int n) const override;
    TCalcType FieldValue(int n) const override;
    bool FieldPicture(int n, QImage &picture) const override;
    bool FieldIsNull(int n) const override;

    // Closes the data sets CheckData opened, this report's and its details'.
    void CloseOpenedDataSets();

protected:
    bool fromBridge(int n) const;
    bool m_openedByReport = false;
};

class TSestava : public TSestavaD {
public:
    TSestava();
    ~TSestava() override;

    TReportLocation Location;
    QString ReportName() const override { return Location.ReportName(); }
    void setReportName(const QString &name) override { Location.setReportName(name); }
    // The executable's folder that default template names are relative to; the
    // application's folder unless set.
    QString ExecutableDir;

    // Events.
    std::function<bool(TSestava &)> OnUlozPredlohu;
    std::function<bool(TSestava &, QString &file)> OnUlozPredlohuJako;
    std::function<bool(TSestava &)> OnNactiPredlohu;
    std::function<void(TSestava &)> OnSetPredloha;
    std::function<void(TSestava &, int actualPage)> OnPreviewCustomEvent;
    std::function<void(TSestava &, QStringList &items)> OnNactiSeznamObrazu;
    std::function<bool(TSestava &, const QString &name, QImage &picture)> OnNactiObraz;
    std::function<void(TSestava &, QImage &picture, int width, int height)> OnPreparePicture;
    std::function<void(TSestava &)> OnVypoctiFunkce;
    std::function<void(TSestava &, int index, bool &print)> OnTiskOddilu;
    std::function<void(TSestava &)> BeforeEdit, AfterEdit, BeforePreview, AfterPreview,
        BeforePrint, AfterPrint, BeforePrintPreview, AfterPrintPreview;
    std::function<bool(TSestava &, int error)> OnError;

    void DoPrintSection(TOddilSestavy *section, bool &print) override;
    void DoComputeFunctions() override;
    void SetPredloha(const QStringList &lines) override;
    void DoBeforePrintPreview() override;
    void DoAfterPrintPreview() override;
    void DoPreviewCustom(int page) override;
    QString GetTemplatePath() const override { return TemplatePath(); }
    bool CheckData() override;
    int Edit() override;
    int PrintOnPort(int printerIndex, const QString &port) override;
    int PreviewAt(const QRect &rect, int position, int zoom, int windowState) override;
    int ExportEmf(const QString &fileName, int background = -1) override;
    int ExportWmf(const QString &fileName, int background = -1) override;
    int ExportHtml(const QString &directory, const QString &fileName,
                   const QString &pictureBase) override;
    int ExportRtf(QIODevice &stream) override;
    int ExportRtfFile(const QString &directory, const QString &fileName) override;
    int LoadTemplate(bool askCreate) override;
    int SaveTemplate() override;
    int SaveTemplateAs() override;
    void ListPictures(QStringList &items) override;
    bool LoadPicture(const QString &name, QImage &picture) override;
    void DoPreparePicture(QImage &picture, int width, int height) override;
    void DoError(int code) override;

    QString TemplatePath() const;
    // The preparation shared by print, preview and the exports that run: data checks,
    // template, the run, and the data set's position and controls restored.
    int Run();
    using TSestavaTyp::Run;

private:
    QString templateDir() const;
};

class TSestDetail : public TSestavaD {
public:
    TSestDetail();
    ~TSestDetail() override;

    TSestavaTyp *MasterSestava() const { return m_master; }
    // Moves the detail from its old master's detail list to the new one's. A master that is
    // this detail or has it among its own masters is refused: the detail stays where it was.
    void setMasterSestava(TSestavaTyp *master);

    std::function<void(TSestDetail &)> OnVypoctiFunkce;
    std::function<void(TSestDetail &, int index, bool &print)> OnTiskOddilu;

    void DoPrintSection(TOddilSestavy *section, bool &print) override;
    void DoComputeFunctions() override;
    int EditIn(void *owner, int option) override;
    void ListPictures(QStringList &items) override;
    bool LoadPicture(const QString &name, QImage &picture) override;

protected:
    TSestavaTyp *masterReport() const override { return m_master; }

private:
    friend class TSestavaTyp;
    TSestavaTyp *m_master = nullptr;
};

} // namespace orv
