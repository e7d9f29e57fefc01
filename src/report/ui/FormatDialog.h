#pragma once
// The paper-format dialog ("Formát papíru") and the margin question the report settings
// ask before they close.

#include <QDialog>

#include <functional>

class QLineEdit;

namespace orv {

struct TFormatPapiru;
class TListFormatu;

class TFormatDialog : public QDialog {
    Q_OBJECT
public:
    TFormatDialog(const TFormatPapiru &format, bool editable, int unitIndex, const QString &unitName,
                  QWidget *parent = nullptr);

    QLineEdit *nameEdit() const { return m_name; }
    QLineEdit *widthEdit() const { return m_width; }
    QLineEdit *heightEdit() const { return m_height; }
    // Reads the fields back into the format: a text that is not a number keeps the old
    // value. False (with a message) when a size is below 1.
    bool takeInto(TFormatPapiru &format) const;

private:
    QLineEdit *m_name, *m_width, *m_height;
    int m_unit;
    TFormatPapiru const *m_format;
};

// Shows the dialog on the format; on OK the values are stored. Returns the dialog's result.
int ShowFormat(TFormatPapiru &format, bool editable, int unitIndex, const QString &unitName,
               QWidget *parent = nullptr);
// The dialog on an entry of the list; on OK the entry takes the new name and size.
int EditFormat(TListFormatu &list, int index, bool editable, int unitIndex, const QString &unitName,
               QWidget *parent = nullptr);

// The margin check of the report settings in graphic mode: when the margins are below what
// the printer prints, asks whether to raise them. Yes raises them; returns false for Cancel
// (the settings stay open).
bool ConfirmMargins(int orientation, int &left, int &top, int &right, int &bottom);
// The answer to the margin question without the message box (tests): 1 Yes, 0 No, -1 Cancel.
std::function<int()> &confirmMarginsAnswer();
bool applyMarginsAnswer(int answer, int orientation, int &left, int &top, int &right, int &bottom);

} // namespace orv
