// The designer sheet with a template of 2,000 elements: repainting the whole sheet at 100 %
// and 300 % (with the element pictures already kept, and drawn afresh after a zoom change),
// and a drag of 50 selected elements, each mouse move with the repaint of the visible area.

#include "report/designer/DesignerElements.h"
#include "report/designer/DesignerHost.h"
#include "report/designer/DesignerSheet.h"
#include "report/designer/EditorSettings.h"
#include "report/designer/SesPrvek.h"
#include "report/output/Sestava.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>
#include "support/BenchMain.h"

using namespace orv;

namespace {

struct BenchHost : TDesignerHost {
    double Zoom = 1.0;
    TEditorSettings Settings;
    int toolKind() const override { return 0; }
    int toolSource() const override { return 0; }
    bool pastePending() const override { return false; }
    const TClipboardContent *clipboardContent() const override { return nullptr; }
    double zoomFactor() const override { return Zoom; }
    int displayUnit() const override { return 1; }
    const TEditorSettings &editorSettings() const override { return Settings; }
    void record(const QString &) override {}
    void showPosition(const QString &) override {}
    void showGeometry(int, int, int, int) override {}
    void selectionChanged() override {}
    void openElementDialog(TSiReportElement *) override {}
    void openReportSettings(int, int) override {}
    void escapePressed() override {}
    void selectionToolActivated() override {}
    void insertionFinished(bool) override {}
};

// 2,000 elements in five sections: mostly texts and fields, with frames, lines and ellipses.
void fillReport(TSestavaTyp &report)
{
    report.SetFieldNames({QStringLiteral("Oznaceni"), QStringLiteral("Norma"),
                          QStringLiteral("Nazev")});
    for (int s = 0; s < kFixedSections; ++s) {
        TOddilSestavy *section = report.section(s);
        section->Visible = true;
        section->Height = 400;
        for (int i = 0; i < 400; ++i) {
            auto e = std::make_unique<TSiReportElement>();
            const int kind = i % 10 < 6 ? ekText : i % 10 < 8 ? ekField : i % 10 == 8 ? ekRectangle : ekEllipse;
            e->Kind = kind;
            e->Text = QStringLiteral("Mez kluzu %1").arg(i);
            e->SourceIndex = i % 3;
            e->Left = (i % 10) * 70;
            e->Top = (i / 10) * 10;
            e->Width = 66;
            e->Height = 9;
            e->Font.Size = 7;
            e->BrushColor = 0x00E0E0E0;
            section->appendElement(std::move(e));
        }
    }
}

struct Fixture {
    BenchHost host;
    TSestavaTyp report;
    std::unique_ptr<TDesignerSheet> sheet;
    explicit Fixture(double zoom)
    {
        host.Zoom = zoom;
        host.Settings.ShowRulesLR = host.Settings.ShowRulesTB = true;
        fillReport(report);
        sheet = std::make_unique<TDesignerSheet>(&host);
        sheet->resize(1200, 800);
        sheet->build(&report);
        sheet->show();
        QApplication::processEvents();
    }
};

void repaintAll(TPapir *paper, QImage &target)
{
    QPainter p(&target);
    paper->render(&p);
}

void BM_RepaintSheet(benchmark::State &state)
{
    Fixture f(state.range(0) / 100.0);
    TPapir *paper = f.sheet->paper();
    QImage target(paper->size(), QImage::Format_ARGB32_Premultiplied);
    // An element keeps its picture from its second paint on: two paints draw them all.
    repaintAll(paper, target);
    repaintAll(paper, target);
    for (auto _ : state)
        repaintAll(paper, target);
    state.counters["elements"] = 2000;
}
BENCHMARK(BM_RepaintSheet)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_RepaintSheetAfterZoomChange(benchmark::State &state)
{
    Fixture f(state.range(0) / 100.0);
    TPapir *paper = f.sheet->paper();
    QImage target(paper->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        paper->refresh();   // every element drawn afresh
        repaintAll(paper, target);
    }
}
BENCHMARK(BM_RepaintSheetAfterZoomChange)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

// The part of the sheet a 1200 x 800 window shows, as the window repaints it.
void repaintVisible(TDesignerSheet &sheet, QImage &target)
{
    QPainter p(&target);
    const QRect visible(-sheet.paper()->pos(), sheet.scrollBox()->viewport()->size());
    sheet.paper()->render(&p, QPoint(), QRegion(visible));
}

void BM_RepaintVisibleArea(benchmark::State &state)
{
    Fixture f(state.range(0) / 100.0);
    QImage target(f.sheet->scrollBox()->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        f.sheet->paper()->refresh();   // drawn afresh, as after a zoom change
        repaintVisible(*f.sheet, target);
    }
}
BENCHMARK(BM_RepaintVisibleArea)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_Drag50Selected(benchmark::State &state)
{
    Fixture f(1.0);
    f.host.Settings.PosunMimo = true;   // the elements follow the mouse without stopping
    TPapir *paper = f.sheet->paper();
    TOddilSestavy *body = f.report.section(skBody);
    for (int i = 0; i < 50; ++i)
        paper->select(body->element(i), i > 0);
    paper->select(body->element(0), true);
    TSesPrvek *c = paper->controlOf(body->element(0));
    QImage target(f.sheet->scrollBox()->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    auto send = [&](QEvent::Type type, QPoint bandPoint) {
        const QPoint local = c->mapFrom(c->band(), bandPoint);
        QMouseEvent ev(type, QPointF(local), QPointF(c->mapToGlobal(local)),
                       type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                       type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                       Qt::NoModifier);
        QApplication::sendEvent(c, &ev);
    };
    send(QEvent::MouseButtonPress, c->geometry().center());
    int step = 0;
    for (auto _ : state) {
        // Two pixels right, two back: every move shifts all 50 elements.
        ++step;
        send(QEvent::MouseMove, c->geometry().center() + QPoint(step % 2 ? 2 : -2, 1));
        repaintVisible(*f.sheet, target);
    }
    send(QEvent::MouseButtonRelease, c->geometry().center());
    state.counters["selected"] = paper->selectedCount();
}
BENCHMARK(BM_Drag50Selected)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return orv::bench::runWidgetBenchmarks(argc, argv);
}
