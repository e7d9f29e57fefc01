#include "report/designer/FormSestE.h"

#include "core/Utf8.h"
#include "report/designer/DesignerSheet.h"
#include "report/designer/DlgProstredi.h"
#include "report/designer/SesPrvek.h"
#include "report/designer/SestDlg.h"
#include "report/output/Barcode.h"
#include "report/output/Sestava.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>

#include <algorithm>

// The property panels: one page per element kind under the tool tabs, the position panel,
// and how their controls show and change the selected elements.

namespace orv {

namespace {

bool anyKind(int) { return true; }
bool textKind(int k) { return isTextKind(k); }
bool lineKind(int k) { return k == ekLine; }
bool shapeKind(int k) { return k == ekRectangle || k == ekRoundRect || k == ekEllipse; }
bool pictureKind(int k) { return k == ekPicture; }
bool barcodeKind(int k) { return k == ekBarcode; }
bool boxKind(int k) { return k == ekPaintBox; }

QIcon colorIcon(const QColor &c)
{
    QPixmap pm(16, 12);
    pm.fill(c);
    return QIcon(pm);
}

void fillColors(QComboBox *c, bool other)
{
    const QStringList names = paletteColorNames();
    for (int i = 0; i < names.size(); ++i)
        c->addItem(colorIcon(toQColor(paletteColor(i))), names.at(i));
    if (other)
        c->addItem(u8("jiná barva..."));
}

// The combo position of a colour: 0..15 for the palette, 16 "jiná barva..." otherwise.
void showColor(QComboBox *c, TColor color)
{
    const int field = colorToField(color);
    c->setCurrentIndex(field >= 0 && field <= 15 ? field : std::min(16, c->count() - 1));
}

// A caption and a number box after it on a panel row.
QSpinBox *addNumberBox(QHBoxLayout *h, const QString &caption, int min, int max, QWidget *parent)
{
    h->addWidget(new QLabel(caption, parent));
    auto *box = new QSpinBox(parent);
    box->setRange(min, max);
    h->addWidget(box);
    return box;
}

QToolButton *checkButton(const QString &text, const QString &tip, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setCheckable(true);
    b->setMinimumWidth(24);
    return b;
}

} // namespace

QWidget *TFormSestE::buildPositionPanel()
{
    auto *w = new QWidget(this);
    auto *h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);
    auto field = [&](const char *label, TDelkaEdit *&edit) {
        h->addWidget(new QLabel(u8(label), w));
        edit = new TDelkaEdit(w);
        edit->setFixedWidth(56);
        h->addWidget(edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] { applyPosition(edit); });
    };
    field("L:", PosLeft);
    field("H:", PosTop);
    field("Š:", PosWidth);
    field("V:", PosHeight);
    ForwardBtn = new QToolButton(w);
    ForwardBtn->setText(u8("▲"));
    ForwardBtn->setToolTip(u8("Přenést dopředu"));
    BackwardBtn = new QToolButton(w);
    BackwardBtn->setText(u8("▼"));
    BackwardBtn->setToolTip(u8("Přesunout dozadu"));
    h->addWidget(ForwardBtn);
    h->addWidget(BackwardBtn);
    connect(ForwardBtn, &QToolButton::clicked, this, [this] {
        TSiReportElement *e = m_sheet->paper()->focusedElement();
        if (m_doc.moveInOrder(e, +1)) {
            m_sheet->rebuild();
            m_sheet->paper()->select(e);
            afterElementsChanged({});
        }
    });
    connect(BackwardBtn, &QToolButton::clicked, this, [this] {
        TSiReportElement *e = m_sheet->paper()->focusedElement();
        if (m_doc.moveInOrder(e, -1)) {
            m_sheet->rebuild();
            m_sheet->paper()->select(e);
            afterElementsChanged({});
        }
    });
    return w;
}

void TFormSestE::buildPanels()
{
    Panels = new QStackedWidget(this);
    addPanelPage()->addStretch();   // ppNone
    buildTextPanel(addPanelPage());
    buildLinePanel(addPanelPage());
    buildShapePanel(addPanelPage());
    buildPicturePanel(addPanelPage());
    buildBarcodePanel(addPanelPage());
    buildBoxPanel(addPanelPage());
}

QHBoxLayout *TFormSestE::addPanelPage()
{
    auto *w = new QWidget(Panels);
    auto *h = new QHBoxLayout(w);
    h->setContentsMargins(4, 0, 0, 0);
    h->setSpacing(2);
    Panels->addWidget(w);
    return h;
}

void TFormSestE::connectFlag(QAbstractButton *button, bool (*kindFilter)(int), int bit)
{
    connect(button, &QAbstractButton::toggled, this, [this, kindFilter, bit](bool on) {
        applyToTargets(kindFilter, [bit, on](TSiReportElement &e) {
            e.Flags = on ? e.Flags | bit : e.Flags & ~bit;
        }, u8(ChangeName::Element));
    });
}

void TFormSestE::connectNumber(QSpinBox *box, bool (*kindFilter)(int), int TSiReportElement::*field)
{
    connect(box, &QSpinBox::valueChanged, this, [this, kindFilter, field](int v) {
        applyToTargets(kindFilter, [field, v](TSiReportElement &e) { e.*field = v; },
                       u8(ChangeName::Element));
    });
}

void TFormSestE::connectChoice(QComboBox *box, bool (*kindFilter)(int), int TSiReportElement::*field)
{
    connect(box, &QComboBox::activated, this, [this, kindFilter, field](int i) {
        applyToTargets(kindFilter, [field, i](TSiReportElement &e) { e.*field = i; },
                       u8(ChangeName::Element));
    });
}

void TFormSestE::connectPenColor(QComboBox *box, bool (*kindFilter)(int))
{
    connect(box, &QComboBox::activated, this, [this, kindFilter](int i) {
        applyToTargets(kindFilter, [i](TSiReportElement &e) { e.PenColor = paletteColor(i); },
                       u8(ChangeName::Element));
    });
}

void TFormSestE::buildTextPanel(QHBoxLayout *h)
{
    FontBtn = new QToolButton(Panels);
    FontBtn->setText(u8("Písmo..."));
    h->addWidget(FontBtn);
    connect(FontBtn, &QToolButton::clicked, this, &TFormSestE::chooseFont);
    const char *const marks[4] = {"▏", "▔", "▕", "▁"};
    const char *const tips[4] = {"Čára vlevo", "Čára nahoře", "Čára vpravo", "Čára dole"};
    for (int i = 0; i < 4; ++i) {
        FrameBtn[i] = checkButton(u8(marks[i]), u8(tips[i]), Panels);
        h->addWidget(FrameBtn[i]);
        connectFlag(FrameBtn[i], textKind, 1 << i);
    }
    h->addSpacing(6);
    const char *const align[3] = {"Vlevo", "Vpravo", "Uprostřed"};
    const char *const alignMarks[3] = {"⇤", "⇥", "↔"};
    for (int i = 0; i < 3; ++i) {
        AlignBtn[i] = checkButton(u8(alignMarks[i]), u8(align[i]), Panels);
        AlignBtn[i]->setAutoExclusive(true);
        h->addWidget(AlignBtn[i]);
        connect(AlignBtn[i], &QToolButton::clicked, this, [this, i] {
            if (m_filling)
                return;
            if (m_doc.setAlignment(targets(textKind), i))
                afterElementsChanged(targets(textKind));
        });
    }
    h->addSpacing(6);
    TextEdit = new QLineEdit(Panels);
    TextEdit->setPlaceholderText(u8("Text prvku"));
    TextEdit->setMinimumWidth(200);
    h->addWidget(TextEdit, 1);
    connect(TextEdit, &QLineEdit::editingFinished, this, [this] {
        TSiReportElement *e = m_sheet->paper()->focusedElement();
        if (m_filling || !e || e->Kind != ekText)
            return;
        if (m_doc.setText(e, TextEdit->text()))
            afterElementsChanged({e});
    });
    MemoJustify = new QCheckBox(u8("Zarovnávat do bloku"), Panels);
    MemoVariable = new QCheckBox(u8("Proměnná výška"), Panels);
    h->addWidget(MemoJustify);
    h->addWidget(MemoVariable);
    for (auto [box, bit] : {std::pair{MemoJustify, int(tfJustify)},
                            std::pair{MemoVariable, int(tfVariableHeight)}}) {
        connect(box, &QCheckBox::toggled, this, [this, bit = bit](bool on) {
            applyToTargets(textKind, [bit, on](TSiReportElement &e) {
                if (e.Kind == ekField && e.isRtf())
                    e.TextFlags = on ? e.TextFlags | bit : e.TextFlags & ~bit;
            }, u8(ChangeName::Element));
        });
    }
}

void TFormSestE::buildLinePanel(QHBoxLayout *h)
{
    const char *const marks[7] = {"▏", "▔", "▕", "▁", "╲", "╱", "◯"};
    const char *const tips[7] = {"Čára vlevo", "Čára nahoře", "Čára vpravo", "Čára dole",
                                 "Úhlopříčka zleva shora", "Úhlopříčka zleva zdola", "Elipsa"};
    for (int i = 0; i < 7; ++i) {
        LineBtn[i] = checkButton(u8(marks[i]), u8(tips[i]), Panels);
        h->addWidget(LineBtn[i]);
        connectFlag(LineBtn[i], lineKind, 1 << i);
    }
    h->addWidget(new QLabel(u8(" Barva:"), Panels));
    LineColor = new QComboBox(Panels);
    fillColors(LineColor, false);
    h->addWidget(LineColor);
    LineWidth = addNumberBox(h, u8(" Šířka:"), 1, 50, Panels);
    h->addWidget(new QLabel(u8(" Styl:"), Panels));
    LineStyle = new QComboBox(Panels);
    LineStyle->addItems({u8("plná"), u8("čárkovaná"), u8("tečkovaná"), u8("čerchovaná")});
    h->addWidget(LineStyle);
    h->addStretch();
    connectPenColor(LineColor, lineKind);
    connectNumber(LineWidth, lineKind, &TSiReportElement::PenWidth);
    connectChoice(LineStyle, lineKind, &TSiReportElement::PenStyle);
}

void TFormSestE::buildShapePanel(QHBoxLayout *h)
{
    h->addWidget(new QLabel(u8("Výplň:"), Panels));
    FillColor = new QComboBox(Panels);
    fillColors(FillColor, true);
    h->addWidget(FillColor);
    FillStyle = new QComboBox(Panels);
    FillStyle->addItems({u8("plné"), u8("prázdné"), u8("vodorovné"), u8("svislé"), u8("šikmé F"),
                         u8("šikmé B"), u8("svis/vod"), u8("šikmé")});
    h->addWidget(FillStyle);
    h->addWidget(new QLabel(u8(" Okraj:"), Panels));
    BorderColor = new QComboBox(Panels);
    fillColors(BorderColor, false);
    h->addWidget(BorderColor);
    BorderWidth = new QSpinBox(Panels);
    BorderWidth->setRange(0, 50);
    BorderWidth->setToolTip(u8("Šířka okraje"));
    h->addWidget(BorderWidth);
    h->addStretch();
    connect(FillColor, &QComboBox::activated, this, [this](int i) {
        TColor c = paletteColor(std::min(i, 15));
        if (i >= 16) {
            TSiReportElement *e = m_sheet->paper()->focusedElement();
            const QColor chosen = QColorDialog::getColor(
                e ? toQColor(e->BrushColor) : QColor(Qt::white), this, u8("Barva výplně"));
            if (!chosen.isValid()) {
                updatePanels();
                return;
            }
            c = fromQColor(chosen);
        }
        applyToTargets(shapeKind, [c](TSiReportElement &e) { e.BrushColor = c; },
                       u8(ChangeName::Element));
    });
    connectChoice(FillStyle, shapeKind, &TSiReportElement::BrushStyle);
    connectPenColor(BorderColor, shapeKind);
    connectNumber(BorderWidth, shapeKind, &TSiReportElement::PenWidth);
}

void TFormSestE::buildPicturePanel(QHBoxLayout *h)
{
    h->addWidget(new QLabel(u8("Soubor:"), Panels));
    PictureFile = new QComboBox(Panels);
    PictureFile->setEditable(true);
    PictureFile->setMinimumWidth(220);
    h->addWidget(PictureFile);
    PicStretch = new QCheckBox(u8("Podle okna"), Panels);
    PicAspect = new QCheckBox(u8("Zachovat poměr stran"), Panels);
    PicChange = new QCheckBox(u8("Povolit změnu"), Panels);
    for (QCheckBox *b : {PicStretch, PicAspect, PicChange})
        h->addWidget(b);
    h->addStretch();
    connect(PictureFile->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        const QString name = PictureFile->currentText().trimmed();
        applyToTargets(pictureKind, [this, name](TSiReportElement &e) {
            if (e.Text == name)
                return;
            e.Text = name;
            QImage img;
            if (m_report.LoadPicture(name, img)) {
                e.Picture = img;
                e.PictureFileName = name;
            } else {
                e.Picture = QImage();
                e.PictureFileName.clear();
            }
        }, u8(ChangeName::Element));
    });
    connect(PictureFile, &QComboBox::activated, this,
            [this] { emit PictureFile->lineEdit()->editingFinished(); });
    connectFlag(PicStretch, pictureKind, efStretch);
    connectFlag(PicAspect, pictureKind, efKeepAspect);
    connectFlag(PicChange, pictureKind, efPassPicture);
}

void TFormSestE::buildBarcodePanel(QHBoxLayout *h)
{
    CodeType = new QComboBox(Panels);
    CodeType->addItems(BarcodeTypeNames());
    h->addWidget(CodeType);
    CodeCheck = new QCheckBox(u8("Kontrolní součet"), Panels);
    h->addWidget(CodeCheck);
    CodeModule = new QComboBox(Panels);
    for (int code : BarcodeModuleCodes())
        CodeModule->addItem(BarcodeModuleCaption(code));
    CodeModule->setToolTip(u8("Šířka čar"));
    h->addWidget(CodeModule);
    CodeText = new QCheckBox(u8("Text"), Panels);
    h->addWidget(CodeText);
    CodeContent = new QLineEdit(Panels);
    CodeContent->setPlaceholderText(u8("Text čárového kódu"));
    h->addWidget(CodeContent, 1);
    connectChoice(CodeType, barcodeKind, &TSiReportElement::PenStyle);
    connect(CodeModule, &QComboBox::activated, this, [this](int i) {
        const int code = BarcodeModuleCodes().at(size_t(i));
        applyToTargets(barcodeKind, [code](TSiReportElement &e) { e.PenWidth = code; },
                       u8(ChangeName::Element));
    });
    connectFlag(CodeCheck, barcodeKind, efCheckDigit);
    connectFlag(CodeText, barcodeKind, efPrintText);
    connect(CodeContent, &QLineEdit::editingFinished, this, [this] {
        const QString text = CodeContent->text();
        applyToTargets(barcodeKind, [text](TSiReportElement &e) { e.Text = text; },
                       u8(ChangeName::Text));
    });
}

void TFormSestE::buildBoxPanel(QHBoxLayout *h)
{
    BoxIndex = addNumberBox(h, u8("Index:"), 0, 9999, Panels);
    BoxZoom = addNumberBox(h, u8(" Zoom:"), 1, 6, Panels);
    h->addStretch();
    connectNumber(BoxIndex, boxKind, &TSiReportElement::SourceIndex);
    connectNumber(BoxZoom, boxKind, &TSiReportElement::BrushStyle);
}

void TFormSestE::fillSourceCombos()
{
    const TEditorSettings &s = m_doc.settings();
    auto refill = [](QComboBox *c, const QStringList &items) {
        const int keep = c->currentIndex();
        const QSignalBlocker block(c);
        c->clear();
        c->addItems(items);
        c->setCurrentIndex(items.isEmpty() ? -1 : std::clamp(keep, 0, int(items.size()) - 1));
    };
    QStringList fields;
    for (int n = 0; n < m_report.FieldCount(); ++n) {
        const QString label = m_report.FieldLabel(n);
        fields << (s.PopisyPol && !label.isEmpty() ? label : m_report.FieldName(n));
    }
    refill(FieldCombo, fields);
    QStringList vars;
    for (int n = 0; n < m_report.Parametry.size(); ++n)
        vars << m_report.ParameterCaption(n + 1);
    for (int g = 1; g <= m_report.Groups.count(); ++g)
        vars << u8("Skupina %1").arg(g);
    refill(VariableCombo, vars);
    QStringList functions;
    for (int n = 0; n < m_report.Functions.count(); ++n)
        functions << m_report.Functions.Caption(n);
    refill(FunctionCombo, functions);
    // Detail n is the template's D<n> record and the n-th attached detail report.
    QStringList details;
    const QList<TSestDetail *> &list = m_report.DetailList();
    const int detailCount = std::max<int>({int(list.size()), int(m_report.Details.size()), 1});
    for (int n = 0; n < detailCount; ++n)
        details << (n < list.size() && !list.at(n)->Name.isEmpty()
                        ? u8("Detail %1 (%2)").arg(n).arg(list.at(n)->Name)
                        : u8("Detail %1").arg(n));
    refill(DetailCombo, details);
    fillPictureFiles();
}

void TFormSestE::fillPictureFiles()
{
    QStringList items;
    m_report.ListPictures(items);
    if (items.isEmpty() && !m_report.TemplateDir.isEmpty()) {
        const QDir dir(m_report.TemplateDir);
        items = dir.entryList({QStringLiteral("*.bmp"), QStringLiteral("*.jpg"),
                               QStringLiteral("*.jpeg"), QStringLiteral("*.png"),
                               QStringLiteral("*.wmf"), QStringLiteral("*.emf")},
                              QDir::Files, QDir::Name | QDir::IgnoreCase);
    }
    const QSignalBlocker block(PictureFile);
    PictureFile->clear();
    PictureFile->addItems(items);
}

void TFormSestE::setPanelValue(const std::function<void()> &fill)
{
    const bool keep = m_filling;
    m_filling = true;
    const QList<QWidget *> all = Panels->findChildren<QWidget *>();
    QList<QWidget *> blocked;
    for (QWidget *w : all)
        if (!w->signalsBlocked()) {
            w->blockSignals(true);
            blocked << w;
        }
    fill();
    for (QWidget *w : blocked)
        w->blockSignals(false);
    m_filling = keep;
}

void TFormSestE::updatePanels()
{
    TSiReportElement *e = m_sheet->paper()->focusedElement();
    const int unit = displayUnit();
    for (TDelkaEdit *d : {PosLeft, PosTop, PosWidth, PosHeight}) {
        d->setUnit(unit);
        d->setEnabled(e != nullptr);
    }
    if (!e) {
        for (TDelkaEdit *d : {PosLeft, PosTop, PosWidth, PosHeight})
            d->clear();
        Panels->setCurrentIndex(ppNone);
        return;
    }
    showGeometry(e->Left, e->Top, e->Width, e->Height);
    // With several elements selected the panel shows what they have in common: a value they
    // do not share is left empty (typing one gives it to all of them).
    const QList<TSiReportElement *> selected = m_sheet->paper()->selectedElements();
    auto shared = [&](auto value) {
        for (const TSiReportElement *s : selected)
            if (value(s) != value(e))
                return false;
        return true;
    };
    const std::pair<TDelkaEdit *, int TSiReportElement::*> geometry[] = {
        {PosLeft, &TSiReportElement::Left}, {PosTop, &TSiReportElement::Top},
        {PosWidth, &TSiReportElement::Width}, {PosHeight, &TSiReportElement::Height}};
    for (const auto &[edit, field] : geometry)
        if (!shared([field = field](const TSiReportElement *s) { return s->*field; }))
            edit->clear();
    setPanelValue([&] {
        if (isTextKind(e->Kind)) {
            Panels->setCurrentIndex(ppText);
            for (int i = 0; i < 4; ++i)
                FrameBtn[i]->setChecked(
                    shared([i](const TSiReportElement *s) { return bool(s->Flags & (1 << i)); })
                    && (e->Flags & (1 << i)));
            for (int i = 0; i < 3; ++i)
                AlignBtn[i]->setChecked(
                    shared([](const TSiReportElement *s) { return s->Alignment; }) && e->Alignment == i);
            TextEdit->setVisible(e->Kind == ekText);
            TextEdit->setText(e->Kind == ekText ? e->Text : QString());
            const bool rtf = e->Kind == ekField && e->isRtf();
            MemoJustify->setVisible(rtf);
            MemoVariable->setVisible(rtf);
            MemoJustify->setChecked(e->TextFlags & tfJustify);
            MemoVariable->setChecked(e->TextFlags & tfVariableHeight);
        } else if (e->Kind == ekLine) {
            Panels->setCurrentIndex(ppLine);
            for (int i = 0; i < 7; ++i)
                LineBtn[i]->setChecked(e->Flags & (1 << i));
            showColor(LineColor, e->PenColor);
            LineWidth->setValue(std::max(1, e->PenWidth));
            LineStyle->setCurrentIndex(std::clamp(e->PenStyle, 0, 3));
        } else if (shapeKind(e->Kind)) {
            Panels->setCurrentIndex(ppShape);
            showColor(FillColor, e->BrushColor);
            FillStyle->setCurrentIndex(std::clamp(e->BrushStyle, 0, 7));
            showColor(BorderColor, e->PenColor);
            BorderWidth->setValue(std::max(0, e->PenWidth));
        } else if (e->Kind == ekPicture) {
            Panels->setCurrentIndex(ppPicture);
            PictureFile->setCurrentText(e->Text);
            PicStretch->setChecked(e->Flags & efStretch);
            PicAspect->setChecked(e->Flags & efKeepAspect);
            PicChange->setChecked(e->Flags & efPassPicture);
        } else if (e->Kind == ekBarcode) {
            Panels->setCurrentIndex(ppBarcode);
            CodeType->setCurrentIndex(e->PenStyle >= 0 && e->PenStyle < CodeType->count() ? e->PenStyle
                                                                                         : kBarcodeEan13);
            const std::vector<int> &codes = BarcodeModuleCodes();
            const auto it = std::find(codes.begin(), codes.end(), BarcodeModuleChoice(e->PenWidth));
            CodeModule->setCurrentIndex(it == codes.end() ? 4 : int(it - codes.begin()));
            CodeCheck->setChecked(e->Flags & efCheckDigit);
            CodeText->setChecked(e->Flags & efPrintText);
            CodeContent->setText(e->Text);
        } else if (e->Kind == ekPaintBox) {
            Panels->setCurrentIndex(ppBox);
            BoxIndex->setValue(e->SourceIndex);
            BoxZoom->setValue(std::clamp(e->BrushStyle, 1, 6));
        } else {
            Panels->setCurrentIndex(ppNone);
        }
    });
}

QList<TSiReportElement *> TFormSestE::targets(bool (*kindFilter)(int)) const
{
    QList<TSiReportElement *> out;
    TPapir *paper = m_sheet->paper();
    QList<TSiReportElement *> all = paper->selectedElements();
    if (all.isEmpty() && paper->focusedElement())
        all << paper->focusedElement();
    for (TSiReportElement *e : all)
        if (kindFilter(e->Kind))
            out << e;
    return out;
}

void TFormSestE::applyToTargets(bool (*kindFilter)(int),
                                const std::function<void(TSiReportElement &)> &f,
                                const QString &changeName)
{
    if (m_filling)
        return;
    const QList<TSiReportElement *> list = targets(kindFilter);
    if (m_doc.changeElements(list, f, changeName))
        afterElementsChanged(list);
}

void TFormSestE::applyPosition(TDelkaEdit *edit)
{
    if (m_filling || !edit->isModified())
        return;
    edit->setModified(false);
    const QList<TSiReportElement *> list = targets(anyKind);
    if (list.isEmpty())
        return;
    std::optional<int> l, t, w, h;
    const int v = edit->value();
    if (edit == PosLeft)
        l = v;
    else if (edit == PosTop)
        t = v;
    else if (edit == PosWidth)
        w = v;
    else
        h = v;
    if (m_doc.setGeometry(list, l, t, w, h))
        afterElementsChanged(list);
    else
        updatePanels();
}

void TFormSestE::chooseFont()
{
    const QList<TSiReportElement *> list = targets(textKind);
    TSiReportElement *e = m_sheet->paper()->focusedElement();
    if (list.isEmpty() || !e)
        return;
    TEditorSettings s = m_doc.settings();
    s.ImplNazevFontu = e->Font.Name;
    s.ImplVyskaFontu = e->Font.Size;
    s.ImplStylFontu = e->Font.Style;
    s.ImplBarvaFontu = colorToField(e->Font.Color);
    s.ImplSkriptFontu = e->Font.Charset;
    TDlgPismo dlg(s, this);
    dlg.setWindowTitle(u8("Písmo"));
    if (dlg.exec() != QDialog::Accepted)
        return;
    dlg.applyTo(s);
    TElementFont f;
    f.Name = s.ImplNazevFontu;
    f.Size = s.ImplVyskaFontu;
    f.Style = s.ImplStylFontu;
    f.Color = colorFromField(s.ImplBarvaFontu);
    f.Charset = s.ImplSkriptFontu;
    if (m_doc.setFont(list, f))
        afterElementsChanged(list);
}

} // namespace orv
