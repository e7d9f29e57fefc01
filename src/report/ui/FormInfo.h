#pragma once
// The progress window of a report run and of printing: "Připravuji tisk položky číslo: n"
// while the run prepares records, "Odesílám data do tiskárny ..." while pages go to the
// printer, and the button "Přerušit" that sets the abort flag the run and printing poll.

#include "report/model/SestavaMessages.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace orv {

class TFormInfo : public QDialog, public TSestProgress {
    Q_OBJECT
public:
    explicit TFormInfo(const QString &caption, QWidget *parent = nullptr);

    void ShowRecord(int n);
    void ShowSending();
    bool Aborted = false;
    const bool *abortFlag() const override { return &Aborted; }

    // TSestProgress
    void setText(const QString &text) override;
    void processEvents() override;
    bool cancelled() const override { return Aborted; }

    QLabel *textLabel() const { return m_text; }
    QPushButton *abortButton() const { return m_abort; }

private:
    QLabel *m_text;
    QPushButton *m_abort;
};

} // namespace orv
