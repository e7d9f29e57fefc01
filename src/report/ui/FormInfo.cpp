#include "report/ui/FormInfo.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orv {

TFormInfo::TFormInfo(const QString &caption, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(caption);
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(this);
    m_text->setMinimumWidth(300);
    m_text->setAlignment(Qt::AlignCenter);
    m_abort = new QPushButton(QString::fromUtf8(SestavaMessages::Cancel), this);
    layout->addWidget(m_text);
    layout->addWidget(m_abort, 0, Qt::AlignHCenter);
    connect(m_abort, &QPushButton::clicked, this, [this] { Aborted = true; });
}

void TFormInfo::ShowRecord(int n)
{
    setText(QString::fromUtf8(SestavaMessages::Preparing) + QString::number(n));
}

void TFormInfo::ShowSending()
{
    m_abort->setEnabled(false);
    setText(QString::fromUtf8("Odesílám data do tiskárny ..."));
}

void TFormInfo::setText(const QString &text)
{
    m_text->setText(text);
    if (!isVisible())
        show();
    processEvents();
}

void TFormInfo::processEvents()
{
    QApplication::processEvents();
}

} // namespace orv
