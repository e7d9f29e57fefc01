#include "report/ui/PrintButton.h"

#include "report/output/PaperFormats.h"
#include "report/output/Sestava.h"
#include "report/ui/ReportUi.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <stdexcept>

namespace orv {

namespace {

const QColor kOlive(0x80, 0x80, 0x00);

// Only a-z are raised, as the captions were written for a code page without case tables.
QString raiseAsciiLetters(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return out;
}

QString czech(tPrintButton::TButtonState s)
{
    switch (s) {
    case tPrintButton::bsPrint: return QString::fromUtf8("&Tisk");
    case tPrintButton::bsPreview: return QString::fromUtf8("&Předtisk");
    case tPrintButton::bsEdit: return QString::fromUtf8("&Editace");
    }
    return {};
}

QString english(tPrintButton::TButtonState s)
{
    switch (s) {
    case tPrintButton::bsPrint: return QStringLiteral("&Print");
    case tPrintButton::bsPreview: return QStringLiteral("Pre&view");
    case tPrintButton::bsEdit: return QStringLiteral("&Edit");
    }
    return {};
}

} // namespace

QImage DefaultPrintButtonGlyph()
{
    QImage img(64, 16, QImage::Format_RGB32);
    img.fill(kOlive);
    QPainter p(&img);
    auto printer = [&](int x, QColor body, QColor paper) {
        p.setPen(Qt::black);
        p.setBrush(paper);
        p.drawRect(x + 4, 1, 7, 5);
        p.setBrush(body);
        p.drawRect(x + 1, 6, 13, 6);
        p.setBrush(paper);
        p.drawRect(x + 4, 10, 7, 4);
    };
    printer(0, QColor(0xc0, 0xc0, 0xc0), Qt::white);
    // Preview: a page under a magnifying glass.
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(17, 1, 9, 13);
    p.setBrush(QColor(0xa0, 0xd0, 0xff));
    p.drawEllipse(21, 5, 6, 6);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(27, 11, 30, 14);
    // Edit: a page and a pencil.
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(33, 1, 9, 13);
    p.setPen(QPen(QColor(0xc0, 0x80, 0x00), 3));
    p.drawLine(37, 13, 46, 4);
    printer(48, QColor(0x80, 0x80, 0x80), QColor(0xc0, 0xc0, 0xc0));
    return img;
}

tPrintButton::tPrintButton(QWidget *parent) : QAbstractButton(parent)
{
    InstallReportUi();
    m_glyph = DefaultPrintButtonGlyph();
    m_userCaptions = {raiseAsciiLetters(czech(bsPrint)), raiseAsciiLetters(czech(bsPreview)),
                      raiseAsciiLetters(czech(bsEdit))};
    setFocusPolicy(Qt::StrongFocus);
    resize(75, 25);
    connect(this, &QAbstractButton::clicked, this, [this] { runAction(); });
    updateCaption();
}

QString tPrintButton::stateCaption(TButtonState state) const
{
    switch (m_captionType) {
    case ctEnglish: return english(state);
    case ctCzech: return czech(state);
    case ctUser: return m_userCaptions.value(int(state));
    case ctSingle: return m_caption;
    }
    return {};
}

void tPrintButton::updateCaption()
{
    if (m_captionType != ctSingle && m_showCaption)
        m_caption = stateCaption(m_state);
    setText(m_showCaption && m_layout != blGlyphCenter ? m_caption : QString());
    setToolTip(QString(m_caption).remove(u'&'));
    update();
}

void tPrintButton::setState(TButtonState state)
{
    if (state == bsEdit && !m_editEnabled)
        state = bsPrint;
    m_state = state;
    updateCaption();
}

void tPrintButton::setCaptionType(TCaptionType type)
{
    m_captionType = type;
    updateCaption();
}

void tPrintButton::setShowCaption(bool on)
{
    m_showCaption = on;
    updateCaption();
}

void tPrintButton::setShowGlyph(bool on)
{
    m_showGlyph = on;
    update();
}

void tPrintButton::setLayout(TButtonLayout layout)
{
    m_layout = layout;
    updateCaption();
}

void tPrintButton::setGlyphOffset(int offset)
{
    m_glyphOffset = offset;
    update();
}

void tPrintButton::setGlyphSpacing(int spacing)
{
    m_glyphSpacing = spacing;
    update();
}

void tPrintButton::setGlyph(const QImage &glyph)
{
    m_glyph = glyph.isNull() ? DefaultPrintButtonGlyph() : glyph;
    update();
}

void tPrintButton::setCaption(const QString &caption)
{
    m_caption = caption;
    if (!Loading)
        m_captionType = ctSingle;
    updateCaption();
}

void tPrintButton::setUserCaptions(const QStringList &captions)
{
    if (captions.size() < 3)
        throw std::invalid_argument("3 captions should be defined: Print,Preview,Edit.");
    m_userCaptions = captions.mid(0, 3);
    updateCaption();
}

void tPrintButton::setEditEnabled(bool on)
{
    m_editEnabled = on;
    if (!on && m_state == bsEdit)
        setState(bsPrint);
}

void tPrintButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        if (m_stateEnabled && isEnabled()) {
            switch (m_state) {
            case bsPrint: setState(bsPreview); break;
            case bsPreview: setState(m_editEnabled ? bsEdit : bsPrint); break;
            case bsEdit: setState(bsPrint); break;
            }
        }
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void tPrintButton::applyParams()
{
    if (m_paramsIniFile.isEmpty() || !m_report)
        return;
    const QString section = QFileInfo(m_report->ReportName()).completeBaseName();
    if (section.isEmpty())
        return;
    for (const auto &kv : ReadIniSection(m_paramsIniFile, section)) {
        bool ok = false;
        const int n = kv.first.toInt(&ok);
        if (!ok || n < 1 || n > 1000)
            continue;
        while (m_report->Parametry.size() < n)
            m_report->Parametry << QString();
        m_report->Parametry[n - 1] = kv.second;
    }
}

void tPrintButton::runAction()
{
    applyParams();
    if (AfterParams)
        AfterParams(*this);
    LastResult = -1;
    if (OnReport) {
        OnReport(*this);
    } else if (m_report) {
        switch (m_state) {
        case bsPrint: LastResult = m_report->Print(); break;
        case bsPreview: LastResult = m_report->Preview(); break;
        case bsEdit: LastResult = m_report->Edit(); break;
        }
    }
    if (AfterReport)
        AfterReport(*this);
}

void tPrintButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    if (isDown())
        opt.state |= QStyle::State_Sunken;
    else
        opt.state |= QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);

    // The glyph: a square cell of the four, as tall as the bitmap, at most the button's
    // side minus 6.
    QImage cell;
    const int side = std::min({m_glyph.height(), width() - 6, height() - 6});
    if (m_showGlyph && !m_glyph.isNull() && side > 0) {
        const int w = m_glyph.height();
        const int index = isEnabled() ? int(m_state) : 3;
        cell = m_glyph.copy(index * w, 0, w, m_glyph.height())
                   .convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < cell.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(cell.scanLine(y));
            for (int x = 0; x < cell.width(); ++x)
                if ((line[x] & 0xffffff) == (kOlive.rgb() & 0xffffff))
                    line[x] = 0;
        }
        if (cell.height() != side)
            cell = cell.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    const QString caption = text();
    const QFontMetrics fm = fontMetrics();
    QString shown = caption;
    int mnemonic = -1;
    for (int i = 0; i < shown.size(); ++i)
        if (shown.at(i) == u'&') {
            shown.remove(i, 1);
            if (i < shown.size() && shown.at(i) != u'&' && mnemonic < 0)
                mnemonic = i;
        }
    const int textW = shown.isEmpty() ? 0 : fm.horizontalAdvance(shown);
    const int textH = shown.isEmpty() ? 0 : fm.height();
    const int spacing = m_glyphSpacing < 0 ? 4 : m_glyphSpacing;
    const int gw = cell.isNull() ? 0 : cell.width();
    const int gh = cell.isNull() ? 0 : cell.height();
    const int shift = isDown() ? 1 : 0;
    QPoint glyphAt, textAt;
    if (m_layout == blGlyphTop) {
        const int total = gh + (gh && textH ? spacing : 0) + textH;
        const int top = (height() - total) / 2 + m_glyphOffset;
        glyphAt = QPoint((width() - gw) / 2, top);
        textAt = QPoint((width() - textW) / 2, top + gh + (gh && textH ? spacing : 0));
    } else if (m_layout == blGlyphLeft) {
        const int total = gw + (gw && textW ? spacing : 0) + textW;
        const int left = (width() - total) / 2 + m_glyphOffset;
        glyphAt = QPoint(left, (height() - gh) / 2);
        textAt = QPoint(left + gw + (gw && textW ? spacing : 0), (height() - textH) / 2);
    } else {
        glyphAt = QPoint((width() - gw) / 2, (height() - gh) / 2);
    }
    if (!cell.isNull())
        p.drawImage(glyphAt + QPoint(shift, shift), cell);
    if (!shown.isEmpty()) {
        const QRect textRect(textAt + QPoint(shift, shift), QSize(textW, textH));
        auto drawText = [&](const QPoint &offset, const QColor &color) {
            p.setPen(color);
            p.drawText(textRect.translated(offset), Qt::AlignLeft | Qt::AlignTop, shown);
            if (mnemonic >= 0) {
                const int x = textRect.left() + offset.x() + fm.horizontalAdvance(shown.left(mnemonic));
                const int y = textRect.top() + offset.y() + fm.ascent() + 1;
                p.drawLine(x, y, x + fm.horizontalAdvance(shown.at(mnemonic)) - 1, y);
            }
        };
        if (isEnabled()) {
            drawText({0, 0}, palette().color(QPalette::ButtonText));
        } else {
            drawText({1, 1}, Qt::white);
            drawText({0, 0}, Qt::gray);
        }
        if (hasFocus()) {
            p.setPen(QPen(Qt::gray, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(textRect.adjusted(-2, -1, 1, 0));
        }
    }
}

} // namespace orv
