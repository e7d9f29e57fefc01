#include "ui/MessageDialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <array>
#include <cmath>

namespace orv::ui {

namespace {

std::function<void(const QString &, int)> g_helpHandler;

struct ButtonInfo
{
    MsgButton kind;
    const char *name;
    const char *czech;
    const char *plain;
    int result;
};

// Left-to-right order of the button row.
const std::array<ButtonInfo, 11> &buttonTable()
{
    static const std::array<ButtonInfo, 11> table{{
        {MsgButton::Yes, "Yes", "&Ano", "&Yes", mrYes},
        {MsgButton::No, "No", "&Ne", "&No", mrNo},
        {MsgButton::OK, "OK", "OK", "OK", mrOk},
        {MsgButton::Cancel, "Cancel", "Storno", "Cancel", mrCancel},
        {MsgButton::Abort, "Abort", "&Zrušit", "&Abort", mrAbort},
        {MsgButton::Retry, "Retry", "&Zpět", "&Retry", mrRetry},
        {MsgButton::Ignore, "Ignore", "&Ignorovat", "&Ignore", mrIgnore},
        {MsgButton::All, "All", "&Vše", "&All", mrAll},
        {MsgButton::NoToAll, "NoToAll", "N&e pro vše", "N&o to All", mrNoToAll},
        {MsgButton::YesToAll, "YesToAll", "Ano pro &Vše", "Yes to &All", mrYesToAll},
        {MsgButton::Help, "Help", "&Help", "&Help", mrNone},
    }};
    return table;
}

const ButtonInfo &info(MsgButton kind)
{
    for (const ButtonInfo &b : buttonTable()) {
        if (b.kind == kind)
            return b;
    }
    return buttonTable().front();
}

// The caption as drawn: a single "&" marks the mnemonic and takes no room.
QString visibleCaption(const QString &caption)
{
    QString out;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out;
}

// Caption widths are measured once per font and caption and kept.
int captionWidth(const QFontMetrics &fm, const QFont &font, const QString &caption)
{
    static QHash<QString, int> cache;
    const QString key = font.key() + QLatin1Char('\n') + caption;
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    const int w = fm.horizontalAdvance(visibleCaption(caption));
    cache.insert(key, w);
    return w;
}

// Windows takes a lone carriage return as a line break; the messages are written that way.
QString normaliseBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QRect screenRect(const QWidget *w)
{
    QScreen *screen = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QIcon typeIcon(MsgType type, const QStyle *style)
{
    switch (type) {
    case MsgType::Warning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case MsgType::Error:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case MsgType::Information:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case MsgType::Confirmation:
        return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case MsgType::Custom:
        break;
    }
    return {};
}

} // namespace

int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

void setHelpHandler(std::function<void(const QString &, int)> handler)
{
    g_helpHandler = std::move(handler);
}

namespace {
QString g_programTitle;
} // namespace

void setProgramTitle(const QString &title)
{
    g_programTitle = title;
}

QString programTitle()
{
    return g_programTitle.isEmpty() ? QGuiApplication::applicationDisplayName() : g_programTitle;
}

QString MessageDialog::caption(MsgType type, MsgCaptions captions)
{
    const bool czech = captions == MsgCaptions::Czech;
    switch (type) {
    case MsgType::Warning:
        return czech ? QStringLiteral("Pozor") : QStringLiteral("Warning");
    case MsgType::Error:
        return czech ? QStringLiteral("Chyba") : QStringLiteral("Error");
    case MsgType::Information:
        return czech ? QStringLiteral("Informace") : QStringLiteral("Information");
    case MsgType::Confirmation:
        return czech ? QStringLiteral("Potvrzení") : QStringLiteral("Confirm");
    case MsgType::Custom:
        break;
    }
    return programTitle();
}

QString MessageDialog::buttonCaption(MsgButton kind, MsgCaptions captions)
{
    const ButtonInfo &b = info(kind);
    return QString::fromUtf8(captions == MsgCaptions::Czech ? b.czech : b.plain);
}

int MessageDialog::buttonResult(MsgButton kind)
{
    return info(kind).result;
}

MsgButton MessageDialog::defaultButtonKind(MsgButtons shown)
{
    if (shown & MsgButton::OK)
        return MsgButton::OK;
    if (shown & MsgButton::Yes)
        return MsgButton::Yes;
    return MsgButton::Retry;
}

bool MessageDialog::cancelButtonKind(MsgButtons shown, MsgButton *kind)
{
    for (MsgButton k : {MsgButton::Cancel, MsgButton::No, MsgButton::OK}) {
        if (shown & k) {
            *kind = k;
            return true;
        }
    }
    return false;
}

MessageDialog::MessageDialog(const QString &text, MsgType type, MsgButtons buttons, int helpContext,
                             MsgCaptions captions, QWidget *parent)
    : QDialog(parent)
    , m_helpContext(helpContext)
{
    // F1 and the "?" button find the help of a window by this property.
    if (helpContext != 0)
        setProperty("helpContext", helpContext);
    setWindowTitle(caption(type, captions));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                   | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    const QIcon icon = typeIcon(type, style());
    if (!icon.isNull()) {
        m_image = new QLabel(this);
        m_image->setObjectName(QStringLiteral("Image"));
        m_image->setPixmap(icon.pixmap(32, 32));
        m_image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("Message"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_message->setMargin(0);
    m_message->setIndent(0);

    for (const ButtonInfo &b : buttonTable()) {
        if (!(buttons & b.kind))
            continue;
        auto *btn = new QPushButton(buttonCaption(b.kind, captions), this);
        btn->setObjectName(QString::fromLatin1(b.name));
        btn->setAutoDefault(false);
        m_buttons.insert(static_cast<int>(b.kind), btn);
        if (b.kind == MsgButton::Help) {
            connect(btn, &QPushButton::clicked, this, [this] {
                if (g_helpHandler)
                    g_helpHandler(m_helpFile, m_helpContext);
            });
        } else {
            const int result = b.result;
            connect(btn, &QPushButton::clicked, this, [this, result] { done(result); });
        }
    }
    m_default = button(defaultButtonKind(buttons));
    if (m_default) {
        m_default->setDefault(true);
        m_default->setFocus();
    }
    MsgButton cancelKind;
    if (cancelButtonKind(buttons, &cancelKind))
        m_cancel = button(cancelKind);

    layOut(normaliseBreaks(text), buttons, captions);
    placeAt();
}

QPushButton *MessageDialog::button(MsgButton kind) const
{
    return m_buttons.value(static_cast<int>(kind), nullptr);
}

void MessageDialog::layOut(const QString &text, MsgButtons buttons, MsgCaptions captions)
{
    const QFont font = QApplication::font("QMessageBox");
    setFont(font);
    const QFontMetrics fm(font);

    // Average character width from the 52 letters; the height of a line of text.
    const int cw = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    const int ch = fm.height();

    const int horzMargin = mulDiv(8, cw, 4);
    const int vertMargin = mulDiv(8, ch, 8);
    const int horzSpacing = mulDiv(10, cw, 4);
    const int vertSpacing = mulDiv(10, ch, 8);
    const int buttonSpacing = mulDiv(4, cw, 4);
    const int buttonHeight = mulDiv(14, ch, 8);
    int buttonWidth = mulDiv(50, cw, 4);
    int buttonCount = 0;
    for (const ButtonInfo &b : buttonTable()) {
        if (!(buttons & b.kind))
            continue;
        ++buttonCount;
        buttonWidth = std::max(buttonWidth, captionWidth(fm, font, buttonCaption(b.kind, captions)) + 8);
    }

    const int wrapWidth = screenRect(this).width() / 2;
    const QRect textRect = fm.boundingRect(QRect(0, 0, wrapWidth, 0),
                                           Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs, text);
    const int textWidth = textRect.width();
    const int textHeight = textRect.height();

    int blockWidth = textWidth;
    int blockHeight = textHeight;
    int textLeft = 0;
    if (m_image) {
        textLeft = 32 + horzSpacing;
        blockWidth += textLeft;
        blockHeight = std::max(blockHeight, 32);
    }
    const int rowWidth = buttonCount * buttonWidth + std::max(0, buttonCount - 1) * buttonSpacing;
    const int clientWidth = std::max(blockWidth, rowWidth) + 2 * horzMargin;
    const int clientHeight = blockHeight + buttonHeight + vertSpacing + 2 * vertMargin;
    setFixedSize(clientWidth, clientHeight);

    const bool rtl = QGuiApplication::isRightToLeft();
    auto place = [&](QWidget *w, int x, int y, int width, int height) {
        w->setGeometry(rtl ? clientWidth - x - width : x, y, width, height);
    };
    if (m_image)
        place(m_image, horzMargin, vertMargin, 32, 32);
    m_message->setText(text);
    place(m_message, horzMargin + textLeft, vertMargin, textWidth, textHeight);

    int x = (clientWidth - rowWidth) / 2;
    const int y = blockHeight + vertSpacing + vertMargin;
    for (const ButtonInfo &b : buttonTable()) {
        if (QPushButton *btn = button(b.kind)) {
            place(btn, x, y, buttonWidth, buttonHeight);
            x += buttonWidth + buttonSpacing;
        }
    }
}

void MessageDialog::placeAt(int left, int top)
{
    const QRect screen = screenRect(this);
    const int x = left >= 0 ? left : screen.x() + (screen.width() - width()) / 2;
    const int y = top >= 0 ? top : screen.y() + (screen.height() - height()) / 2;
    move(x, y);
}

void MessageDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Esc presses the cancel button; without one it does nothing.
        if (m_cancel)
            m_cancel->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageDialog::reject()
{
    // Only the close box gets here (Esc is handled above): it answers as Cancel would,
    // whichever buttons are shown.
    done(mrCancel);
}

namespace {

int run(const QString &text, MsgType type, MsgButtons buttons, int helpContext, const QString &helpFile,
        int left, int top, MsgCaptions captions)
{
    MessageDialog dlg(text, type, buttons, helpContext, captions, QApplication::activeWindow());
    dlg.setHelpFile(helpFile);
    dlg.placeAt(left, top);
    return dlg.exec();
}

} // namespace

int message(const QString &text, MsgType type, MsgButtons buttons, int helpContext)
{
    return run(text, type, buttons, helpContext, QString(), -1, -1, MsgCaptions::Czech);
}

int messageAt(const QString &text, MsgType type, MsgButtons buttons, int helpContext,
              const QString &helpFile, int left, int top)
{
    return run(text, type, buttons, helpContext, helpFile, left, top, MsgCaptions::Czech);
}

int plainMessage(const QString &text, MsgType type, MsgButtons buttons, int helpContext)
{
    return run(text, type, buttons, helpContext, QString(), -1, -1, MsgCaptions::Plain);
}

void simpleMessage(const QString &text)
{
    run(text, MsgType::Custom, MsgButton::OK, 0, QString(), -1, -1, MsgCaptions::Plain);
}

} // namespace orv::ui
