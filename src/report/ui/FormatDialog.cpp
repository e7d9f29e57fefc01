#include "report/ui/FormatDialog.h"

#include "core/Utf8.h"
#include "report/model/SestavaMessages.h"
#include "report/output/PaperFormats.h"
#include "report/output/Printers.h"
#include "report/output/ReportUnits.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cmath>

namespace orv {

TFormatDialog::TFormatDialog(const TFormatPapiru &format, bool editable, int unitIndex,
                             const QString &unitName, QWidget *parent)
    : QDialog(parent), m_unit(unitIndex), m_format(&format)
{
    setWindowTitle(u8("Formát papíru"));
    auto *form = new QFormLayout(this);
    m_name = new QLineEdit(format.Name, this);
    m_name->setMaxLength(TListFormatu::MaxNameLength);
    m_width = new QLineEdit(QString::number(ToDisplayUnits(format.Width, unitIndex)), this);
    m_height = new QLineEdit(QString::number(ToDisplayUnits(format.Height, unitIndex)), this);
    for (QLineEdit *e : {m_name, m_width, m_height})
        e->setEnabled(editable);
    auto withUnit = [&](QLineEdit *e) {
        auto *row = new QHBoxLayout;
        row->addWidget(e);
        row->addWidget(new QLabel(unitName, this));
        return row;
    };
    form->addRow(u8("Název formátu:"), m_name);
    form->addRow(u8("Šířka papíru:"), withUnit(m_width));
    form->addRow(u8("Výška papíru:"), withUnit(m_height));
    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton(u8("Konec"), this);
    auto *cancel = new QPushButton(u8("Zpět"), this);
    ok->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    form->addRow(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        TFormatPapiru probe = *m_format;
        if (takeInto(probe))
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TFormatDialog::takeInto(TFormatPapiru &format) const
{
    auto read = [&](QLineEdit *e, int old) {
        bool ok = false;
        const double v = QLocale::c().toDouble(e->text().trimmed().replace(u',', u'.'), &ok);
        if (!ok)
            return old;
        return int(std::lround(v * 1.0 / UnitFactor(m_unit)));
    };
    const int w = read(m_width, format.Width);
    const int h = read(m_height, format.Height);
    // A sheet without size would divide by zero wherever it is scaled.
    if (w < 1 || h < 1) {
        showSestMessage(TSestMessageKind::Error, u8(SestavaMessages::CaptionError),
                        u8("Šířka i výška papíru musí být větší než nula."));
        return false;
    }
    format.Name = m_name->text().left(TListFormatu::MaxNameLength);
    format.Width = w;
    format.Height = h;
    return true;
}

int ShowFormat(TFormatPapiru &format, bool editable, int unitIndex, const QString &unitName, QWidget *parent)
{
    TFormatDialog dialog(format, editable, unitIndex, unitName, parent);
    const int r = dialog.exec();
    if (r == QDialog::Accepted && editable)
        dialog.takeInto(format);
    return r;
}

int EditFormat(TListFormatu &list, int index, bool editable, int unitIndex, const QString &unitName,
               QWidget *parent)
{
    if (index < 0 || index >= list.count())
        return QDialog::Rejected;
    return ShowFormat(list.Format(index), editable, unitIndex, unitName, parent);
}

bool ConfirmMargins(int orientation, int &left, int &top, int &right, int &bottom)
{
    if (CheckMargins(orientation, left, top, bottom, right))
        return true;
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(u8(SestavaMessages::CaptionConfirm));
    box.setIcon(QMessageBox::Question);
    box.setText(u8("Nastavené okraje tisku jsou menší, než umožňuje připojená tiskárna. "
                   "Upravit velikost okrajů podle možností tiskárny?"));
    QPushButton *yes = box.addButton(u8("&Ano"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(u8("&Ne"), QMessageBox::NoRole);
    box.addButton(u8("Storno"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    if (confirmMarginsAnswer())
        return applyMarginsAnswer(confirmMarginsAnswer()(), orientation, left, top, right, bottom);
    box.exec();
    const int answer = box.clickedButton() == yes ? 1 : box.clickedButton() == no ? 0 : -1;
    return applyMarginsAnswer(answer, orientation, left, top, right, bottom);
}

std::function<int()> &confirmMarginsAnswer()
{
    static std::function<int()> answer;
    return answer;
}

bool applyMarginsAnswer(int answer, int orientation, int &left, int &top, int &right, int &bottom)
{
    if (answer < 0)
        return false;
    if (answer > 0)
        AdjustMargins(orientation, left, top, right, bottom);
    return true;
}

} // namespace orv
