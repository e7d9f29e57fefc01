#pragma once
// The preview window of a finished report: the page on white paper at one of eleven zoom
// steps, page navigation, printing through the print dialog, and saving the pages into
// files (text, RTF, PDF, metafiles, HTML).

#include <QDialog>
#include <QRect>
#include <QStyle>

#include <array>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QMenu;
class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace orv {

class TSestavaTyp;
class TSestVystup;
class TPrintDialogTyp;

struct TPreviewOptions {
    QRect Bounds;               // used when not empty
    int Position = 0;           // 0 default, 1 centred on the screen
    int WindowState = 2;        // TSestWindowState
    int Zoom = 100;             // per cent, mapped to a zoom step
    bool EditAllowed = false;   // "Oprava předlohy..." enabled (the designer's preview)
    bool PrintAllowed = true;
    bool CustomVisible = false;
    QString CustomHint;
};

class TFormSestP : public QDialog {
    Q_OBJECT
public:
    // Results of the window.
    enum { mrClose = 1, mrEdit = 2 };

    static constexpr int ZoomStepCount = 11;
    static const std::array<double, ZoomStepCount> &zoomFactors();
    static QString zoomCaption(int step);
    // The step whose interval holds the percentage.
    static int zoomStepFor(int percent);

    TFormSestP(TSestavaTyp &report, const TPreviewOptions &options, QWidget *parent = nullptr);
    ~TFormSestP() override;

    int zoomStep() const { return m_zoom; }
    void setZoomStep(int step);
    double zoomFactor() const;
    // The page index shown (from 0).
    int currentPage() const;
    QRect pageRect() const { return m_pageRect; }
    QWidget *panel() const;

    // Commands.
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    void GoToPage();          // "Zobrazit stránku ..."
    void ShowPage(int index);
    void PrintPreview();      // "Tisk náhledu..."
    void EditTemplate();      // "Oprava předlohy..."
    void CloseCommand();      // "Zavřít náhled"
    void CustomCommand();

    // The save commands; each asks for the file.
    void SaveText();
    void SaveRtf();
    void SavePdf();
    void SaveXlsx();          // the rows as a spreadsheet
    void SaveMetafilePage();
    void SaveMetafilePages();
    void SaveHtmlPage();
    void SaveHtmlPages();

    // The tool column's controls, for tests and shortcuts.
    QAbstractButton *button(const QString &name) const;
    QLabel *currentLabel() const { return m_current; }
    QLabel *totalLabel() const { return m_total; }
    QMenu *saveMenu() const { return m_saveMenu; }
    TPrintDialogTyp &printDialog() { return *m_printDialog; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    class Panel;
    // The tool column left of the page.
    void buildTools();
    QToolButton *columnButton(QVBoxLayout *v, const QString &name, const QString &hint,
                              QStyle::StandardPixmap icon);
    QToolButton *addCommandButton(QVBoxLayout *v, const QString &name, const QString &text,
                                  const QString &hint, QStyle::StandardPixmap icon,
                                  const std::function<void()> &slot);
    void addCommandButtons(QVBoxLayout *v);
    void addSaveButton(QVBoxLayout *v);
    void addZoomButtons(QVBoxLayout *v);
    void addPageButtons(QVBoxLayout *v);
    void updateCounters();
    void applyZoom();
    void scrollBy(int dx, int dy);
    void saveFailed(const QString &why = QString());
    bool askOverwrite(const QStringList &files);
    QString askFile(const QString &filter, const QString &suffix, bool confirmOverwrite);
    void saveAllPages(bool html, const QString &file);

    TSestavaTyp &m_report;
    TSestVystup &m_store;
    TPreviewOptions m_options;
    std::unique_ptr<TPrintDialogTyp> m_printDialog;
    int m_zoom = 6;
    QRect m_pageRect;
    Panel *m_panel = nullptr;
    QScrollArea *m_scroll = nullptr;
    QButtonGroup *m_zoomGroup = nullptr;
    QLabel *m_current = nullptr;
    QLabel *m_total = nullptr;
    QMenu *m_saveMenu = nullptr;
};

// Shows the preview of the report's store modally; 1 closed, 2 back to the template.
int ShowPreview(TSestavaTyp &report, const TPreviewOptions &options, QWidget *parent = nullptr);

} // namespace orv
