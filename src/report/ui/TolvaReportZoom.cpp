#include "report/ui/TolvaReportZoom.h"

#include "core/Utf8.h"
#include "report/model/SestavaMessages.h"
#include "report/output/OutputStore.h"
#include "report/output/PrinterMetrics.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orv {

namespace {
// Columns (or rows) of tiles along one direction; 0 when the step is not positive.
int tilesAlong(int sheet, int printer, int marginA, int marginB)
{
    const int step = printer - marginA - marginB;
    int n = 1;
    int r = sheet - printer;
    if (r > printer / 100 && step <= 0)
        return 0;
    while (r > printer / 100) {
        ++n;
        r -= step;
    }
    return n;
}
} // namespace

TTilingAnswer ComputeTiling(int option, int sheetW, int sheetH, int printerW, int printerH,
                            int ml, int mt, int mr, int mb)
{
    TTilingAnswer a;
    if (option == toScale) {
        if (sheetW > 0 && sheetH > 0)
            a.Scale = std::max(1, std::min(printerW * 100 / sheetW, printerH * 100 / sheetH));
    } else if (option == toTiles) {
        a.Columns = tilesAlong(sheetW, printerW, ml, mr);
        a.Rows = tilesAlong(sheetH, printerH, mt, mb);
        if (a.Columns == 0 || a.Rows == 0) {
            a.Valid = false;
            a.Columns = std::max(1, a.Columns);
            a.Rows = std::max(1, a.Rows);
        }
    }
    return a;
}

class TFormTolvaReportZoom::Box : public QWidget {
public:
    explicit Box(TFormTolvaReportZoom *owner) : QWidget(owner), m_owner(owner) { setFixedSize(200, 200); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        const auto &o = *m_owner;
        const TTilingAnswer &a = o.m_answer;
        const double scale = a.Scale / 100.0;
        // Everything that will be drawn, in hundredths of an inch.
        const double sheetW = o.m_sheetW * scale, sheetH = o.m_sheetH * scale;
        const double stepW = o.m_option == toTiles ? o.m_printerW - o.m_ml - o.m_mr : o.m_printerW;
        const double stepH = o.m_option == toTiles ? o.m_printerH - o.m_mt - o.m_mb : o.m_printerH;
        const double paperW = (a.Columns - 1) * stepW + o.m_printerW;
        const double paperH = (a.Rows - 1) * stepH + o.m_printerH;
        const double w = std::max(sheetW, paperW) + 10, h = std::max(sheetH, paperH) + 10;
        const double f = std::min(190.0 / std::max(1.0, w), 190.0 / std::max(1.0, h));
        auto r = [&](double x, double y, double ww, double hh) {
            return QRectF(5 + x * f, 5 + y * f, ww * f, hh * f);
        };
        p.fillRect(r(6, 6, sheetW, sheetH), Qt::gray);
        p.fillRect(r(0, 0, sheetW, sheetH), Qt::white);
        p.setPen(Qt::black);
        p.drawRect(r(0, 0, sheetW, sheetH));
        p.fillRect(r(o.m_ml * scale, o.m_mt * scale, (o.m_sheetW - o.m_ml - o.m_mr) * scale,
                     (o.m_sheetH - o.m_mt - o.m_mb) * scale),
                   QBrush(Qt::lightGray, Qt::Dense5Pattern));
        p.setPen(QPen(Qt::red, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < a.Rows; ++i)
            for (int j = 0; j < a.Columns; ++j)
                p.drawRect(r(j * stepW, i * stepH, o.m_printerW, o.m_printerH));
    }

private:
    TFormTolvaReportZoom *m_owner;
};

TFormTolvaReportZoom::TFormTolvaReportZoom(const TPrintTiling &t, QWidget *parent)
    : QDialog(parent), m_sheetW(t.SheetWidth), m_sheetH(t.SheetHeight), m_ml(t.MarginLeft),
      m_mt(t.MarginTop), m_mr(t.MarginRight), m_mb(t.MarginBottom)
{
    setWindowTitle(u8("Tolva - možnosti tisku"));
    auto *top = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    auto *grid = new QGridLayout;
    m_sheetLabel = new QLabel(this);
    m_printerLabel = new QLabel(this);
    m_scaleLabel = new QLabel(this);
    grid->addWidget(new QLabel(u8("Formát tiskové sestavy:"), this), 0, 0);
    grid->addWidget(m_sheetLabel, 0, 1);
    grid->addWidget(new QLabel(u8("Formát média v tiskárně:"), this), 1, 0);
    grid->addWidget(m_printerLabel, 1, 1);
    grid->addWidget(new QLabel(u8("Měřítko:"), this), 2, 0);
    grid->addWidget(m_scaleLabel, 2, 1);
    left->addLayout(grid);
    m_cut = new QRadioButton(u8("Oříznout tiskovou sestavu"), this);
    m_scale = new QRadioButton(u8("Zmenšit měřítko tisku"), this);
    m_tiles = new QRadioButton(u8("Tisknout na více listů"), this);
    m_cut->setChecked(true);
    left->addWidget(m_cut);
    left->addWidget(m_scale);
    left->addWidget(m_tiles);
    m_turn = new QCheckBox(u8("Otočit médium v tiskárně"), this);
    left->addWidget(m_turn);
    auto *buttons = new QHBoxLayout;
    auto *printer = new QPushButton(u8("Tiskárna..."), this);
    auto *ok = new QPushButton(u8("Tisknout"), this);
    auto *cancel = new QPushButton(u8("Storno"), this);
    ok->setDefault(true);
    buttons->addWidget(printer);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    left->addStretch(1);
    left->addLayout(buttons);
    top->addLayout(left);
    m_box = new Box(this);
    top->addWidget(m_box, 0, Qt::AlignTop);

    connect(m_cut, &QRadioButton::toggled, this, [this](bool on) { if (on) setOption(toCut); });
    connect(m_scale, &QRadioButton::toggled, this, [this](bool on) { if (on) setOption(toScale); });
    connect(m_tiles, &QRadioButton::toggled, this, [this](bool on) { if (on) setOption(toTiles); });
    connect(m_turn, &QCheckBox::toggled, this, [this](bool on) { setTurned(on); });
    connect(printer, &QPushButton::clicked, this, [this] { printerSetup(); });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (!m_answer.Valid) {
            showSestMessage(TSestMessageKind::Error, u8(SestavaMessages::CaptionError),
                            u8("Papír v tiskárně je menší než okraje sestavy, na více listů ji nelze rozdělit."));
            return;
        }
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    readPrinterPage();
}

void TFormTolvaReportZoom::readPrinterPage()
{
    const TPrinterMetrics m = printerMetrics();
    int w = m.physicalWidth() * 100 / std::max(1, m.ResolutionX);
    int h = m.physicalHeight() * 100 / std::max(1, m.ResolutionY);
    if (QPrinter *p = currentPrinter()) {
        const TPrinterMetrics pm = MetricsOf(*p);
        w = pm.physicalWidth() * 100 / std::max(1, pm.ResolutionX);
        h = pm.physicalHeight() * 100 / std::max(1, pm.ResolutionY);
        m_landscape = pm.Orientation == 1;
    }
    setPrinterPage(w, h);
}

void TFormTolvaReportZoom::setPrinterPage(int width, int height)
{
    m_printerW = width;
    m_printerH = height;
    recompute();
}

void TFormTolvaReportZoom::setTurned(bool turned)
{
    if (m_turn->isChecked() != turned) {
        m_turn->setChecked(turned);   // comes back here through the signal
        return;
    }
    std::swap(m_printerW, m_printerH);
    m_landscape = !m_landscape;
    recompute();
}

void TFormTolvaReportZoom::setOption(int option)
{
    m_option = option;
    QRadioButton *b = option == toScale ? m_scale : option == toTiles ? m_tiles : m_cut;
    if (!b->isChecked())
        b->setChecked(true);
    recompute();
}

void TFormTolvaReportZoom::recompute()
{
    // A side not larger than the margins on it gets just past them.
    const int scale = m_answer.Scale > 0 ? m_answer.Scale : 100;
    if (m_printerW <= (m_ml + m_mr) * scale / 100)
        m_printerW = (m_ml + m_mr) * scale / 100 + 1;
    if (m_printerH <= (m_mt + m_mb) * scale / 100)
        m_printerH = (m_mt + m_mb) * scale / 100 + 1;
    m_answer = ComputeTiling(m_option, m_sheetW, m_sheetH, m_printerW, m_printerH, m_ml, m_mt, m_mr, m_mb);
    m_sheetLabel->setText(QString::asprintf("%d x %d", m_sheetW, m_sheetH));
    m_printerLabel->setText(QString::asprintf("%d x %d", m_printerW, m_printerH));
    m_scaleLabel->setText(QString::asprintf("%d %%", m_answer.Scale));
    m_box->update();
}

void TFormTolvaReportZoom::printerSetup()
{
    QPrinter *p = currentPrinter();
    if (!p || p->outputFormat() != QPrinter::NativeFormat)
        return;
    p->setPageOrientation(m_landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPageSetupDialog dialog(p, this);
    if (dialog.exec() == QDialog::Accepted) {
        const QSignalBlocker block(m_turn);
        m_turn->setChecked(false);
        readPrinterPage();
    }
}

bool TFormTolvaReportZoom::Show(TPrintTiling &t)
{
    if (exec() != QDialog::Accepted)
        return false;
    if (m_turn->isChecked())
        if (QPrinter *p = currentPrinter())
            p->setPageOrientation(m_landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    t.Rows = m_answer.Rows;
    t.Columns = m_answer.Columns;
    t.Scale = m_answer.Scale;
    return true;
}

} // namespace orv
