#include "report/designer/DesignerElements.h"

#include "report/designer/EditorSettings.h"
#include "report/model/PageSetup.h"
#include "report/model/TemplateFile.h"
#include "report/output/Barcode.h"
#include "report/output/Sestava.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

const QString kClipboardTag = QStringLiteral("TolvaEditor");

} // namespace

std::unique_ptr<TSiReportElement> newDesignerElement(TSestavaTyp &report,
                                                     const TEditorSettings &settingsIn, int kind,
                                                     int source, QPoint at)
{
    TEditorSettings s = settingsIn;
    s.normalise();
    auto e = std::make_unique<TSiReportElement>();
    e->Kind = kind;
    e->SourceIndex = source;
    e->Left = at.x();
    e->Top = at.y();
    e->Width = s.ImplSirka;
    e->Height = s.ImplVyska;
    e->Font.Name = s.ImplNazevFontu;
    e->Font.Size = s.ImplVyskaFontu;
    e->Font.Style = s.ImplStylFontu;
    e->Font.Charset = s.ImplSkriptFontu;
    e->Font.Color = colorFromField(s.ImplBarvaFontu);
    e->Alignment = s.ImplZarovnani;
    const int sheet = report.Context.PageSetup.printableWidth();
    switch (kind) {
    case ekField:
    case ekFieldLabel:
        e->Width = std::max(3, std::min(report.FieldDisplayWidth(source) * 3 * e->Font.Size / 4,
                                        sheet / 2));
        e->Alignment = report.FieldAlignment(source) & 3;
        if (e->Alignment == alJustify)
            e->Alignment = alLeft;
        if (s.SledPodle && source >= 0 && source < report.FieldCount())
            e->SourceName = report.FieldName(source).left(32);
        break;
    case ekVariable:
        e->Width = std::min(s.ImplSirka, s.ImplVyska * (source <= 1 ? 5 : 3));
        e->Alignment = s.ImplZarovnaniCi;
        break;
    case ekFunction:
        if (const TRadekFunkce *f = report.Functions.at(source)) {
            if (s.SledPodle)
                e->SourceName = f->Name.left(32);
            if (f->Type == 0)
                e->Alignment = s.ImplZarovnaniCi;
        }
        break;
    case ekLine:
    case ekRectangle:
    case ekRoundRect:
    case ekEllipse:
        e->PenWidth = 1;
        e->PenColor = 0;
        e->PenStyle = 0;
        e->BrushColor = 0x00FFFFFF;
        e->BrushStyle = 0;
        if (kind != ekLine)
            e->SourceIndex = kind;
        break;
    case ekPicture:
        e->Flags = 0;
        break;
    case ekBarcode:
        e->SourceIndex = 0;
        e->PenStyle = kBarcodeEan13;
        e->PenWidth = BarcodeModuleCodes().at(4);
        e->Flags = efPrintText;
        break;
    case ekDetail:
        e->Left = 0;
        e->Width = sheet;
        break;
    default:
        break;
    }
    e->Width = std::max(e->Width, 1);
    e->Height = std::max(e->Height, 1);
    return e;
}

QString clipboardText(const TSiReportElement *focused,
                      const QList<const TSiReportElement *> &elements)
{
    QStringList lines{kClipboardTag, QString::number(focused ? focused->Left : 0),
                      QString::number(focused ? focused->Top : 0),
                      QString::number(focused ? int(elements.indexOf(focused)) : -1)};
    for (const TSiReportElement *e : elements)
        lines << writeElementLine(QStringLiteral("X"), *e);
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

bool parseClipboardText(const QString &text, TClipboardContent &content)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() < 4 || lines.first() != kClipboardTag)
        return false;
    bool ok1 = false, ok2 = false, ok3 = false;
    content.Left = lines.at(1).trimmed().toInt(&ok1);
    content.Top = lines.at(2).trimmed().toInt(&ok2);
    content.FocusIndex = lines.at(3).trimmed().toInt(&ok3);
    if (!ok1 || !ok2 || !ok3)
        return false;
    content.ElementLines.clear();
    for (int i = 4; i < lines.size(); ++i)
        if (lines.at(i).startsWith(QStringLiteral("X,")))
            content.ElementLines << lines.at(i);
    return true;
}

std::vector<TSiReportElement *> pasteElements(TSestavaTyp &report, TOddilSestavy *section,
                                              const TClipboardContent &content, QPoint at)
{
    std::vector<TSiReportElement *> out;
    if (!section)
        return out;
    for (const QString &line : content.ElementLines) {
        TSiReportElement *e = report.AddElement(section, line);
        if (!e)
            continue;
        e->Left = at.x() + (e->Left - content.Left);
        e->Top = at.y() + (e->Top - content.Top);
        out.push_back(e);
    }
    return out;
}

int snapToGrid(int value, int step)
{
    if (step < 1)
        step = 8;
    return int(std::lround(double(value) / step)) * step;
}

} // namespace orv
