#include "report/designer/DesignerQuestion.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>

namespace orv {

namespace {
TQuestionHandler &handler()
{
    static TQuestionHandler h;
    return h;
}
} // namespace

TQuestionHandler setDesignerQuestionHandler(TQuestionHandler h)
{
    TQuestionHandler old = handler();
    handler() = std::move(h);
    return old;
}

TAnswer askYesNoCancel(const QString &caption, const QString &text)
{
    if (handler())
        return handler()(caption, text);
    QMessageBox box(QMessageBox::Question, caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ano"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Ne"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Storno"));
    switch (box.exec()) {
    case QMessageBox::Yes: return TAnswer::Yes;
    case QMessageBox::No: return TAnswer::No;
    default: return TAnswer::Cancel;
    }
}

bool askYesNo(const QString &caption, const QString &text)
{
    if (handler())
        return handler()(caption, text) == TAnswer::Yes;
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ano"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Ne"));
    return box.exec() == QMessageBox::Yes;
}

} // namespace orv
