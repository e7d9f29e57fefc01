#pragma once
// The three-state button that applications put on their print windows: print, preview or
// edit the report it is bound to. A right-button press cycles the state.

#include <QAbstractButton>
#include <QImage>
#include <QStringList>

#include <functional>

namespace orv {

class TSestavaTyp;

class tPrintButton : public QAbstractButton {
    Q_OBJECT
public:
    enum TButtonState { bsPrint = 0, bsPreview = 1, bsEdit = 2 };
    enum TCaptionType { ctEnglish = 0, ctCzech = 1, ctSingle = 2, ctUser = 3 };
    enum TButtonLayout { blGlyphTop = 0, blGlyphLeft = 1, blGlyphCenter = 2 };

    explicit tPrintButton(QWidget *parent = nullptr);

    TButtonState State() const { return m_state; }
    void setState(TButtonState state);
    bool StateEnabled() const { return m_stateEnabled; }
    void setStateEnabled(bool on) { m_stateEnabled = on; }
    TCaptionType CaptionType() const { return m_captionType; }
    void setCaptionType(TCaptionType type);
    bool ShowCaption() const { return m_showCaption; }
    void setShowCaption(bool on);
    bool ShowGlyph() const { return m_showGlyph; }
    void setShowGlyph(bool on);
    TButtonLayout Layout() const { return m_layout; }
    void setLayout(TButtonLayout layout);
    int GlyphOffset() const { return m_glyphOffset; }
    void setGlyphOffset(int offset);
    int GlyphSpacing() const { return m_glyphSpacing; }
    void setGlyphSpacing(int spacing);
    // Four square images side by side: print, preview, edit, disabled.
    QImage Glyph() const { return m_glyph; }
    void setGlyph(const QImage &glyph);
    QString Caption() const { return m_caption; }
    // Switches the caption type to ctSingle (unless the button is being loaded).
    void setCaption(const QString &caption);
    QStringList UserCaptions() const { return m_userCaptions; }
    // Throws std::invalid_argument with fewer than three lines.
    void setUserCaptions(const QStringList &captions);
    TSestavaTyp *Report() const { return m_report; }
    // The report the button drives (not owned); set it to null when the report goes away.
    void setReport(TSestavaTyp *report) { m_report = report; }
    bool EditEnabled() const { return m_editEnabled; }
    void setEditEnabled(bool on);
    QString ParamsIniFile() const { return m_paramsIniFile; }
    void setParamsIniFile(const QString &file) { m_paramsIniFile = file; }
    // True while the button's properties are loaded: setting the caption keeps its type.
    bool Loading = false;

    std::function<void(tPrintButton &)> OnReport;
    std::function<void(tPrintButton &)> AfterReport;
    std::function<void(tPrintButton &)> AfterParams;

    // The caption of a state under the current caption type.
    QString stateCaption(TButtonState state) const;
    // The result of the report operation the last click ran (-1 when OnReport ran instead).
    int LastResult = -1;

    QSize sizeHint() const override { return {75, 25}; }
    QSize minimumSizeHint() const override { return {24, 20}; }

    // Runs what a left click runs.
    void runAction();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void updateCaption();
    void applyParams();

    TButtonState m_state = bsPrint;
    bool m_stateEnabled = true;
    TCaptionType m_captionType = ctCzech;
    bool m_showCaption = true;
    bool m_showGlyph = true;
    TButtonLayout m_layout = blGlyphLeft;
    int m_glyphOffset = 0;
    int m_glyphSpacing = -1;
    QImage m_glyph;
    QString m_caption;
    QStringList m_userCaptions;
    TSestavaTyp *m_report = nullptr;
    bool m_editEnabled = false;
    QString m_paramsIniFile;
};

// The default glyph: print, preview, edit and disabled images of 16 x 16 pixels on olive.
QImage DefaultPrintButtonGlyph();

} // namespace orv
