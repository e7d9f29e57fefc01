#pragma once
// The program's message dialogs: the standard Czech one that almost every window uses for
// questions, warnings and errors, and the plain one with the system's English captions.
// Both are laid out from the message font the same way, so a message looks alike whatever
// its length: the text wraps at half the screen width and the dialog grows downwards.

#include <QDialog>
#include <QFlags>
#include <QHash>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace orv::ui {

enum class MsgType { Warning, Error, Information, Confirmation, Custom };

enum class MsgButton {
    Yes = 0x001,
    No = 0x002,
    OK = 0x004,
    Cancel = 0x008,
    Abort = 0x010,
    Retry = 0x020,
    Ignore = 0x040,
    All = 0x080,
    NoToAll = 0x100,
    YesToAll = 0x200,
    Help = 0x400,
};
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

// Results; the close box gives mrCancel.
enum MsgResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

enum class MsgCaptions { Czech, Plain };

// The program's title ("Orvalis 2.1"), the caption of messages of the custom type. It is
// not Qt's application display name, which the platform would append to every window title
// (the frame's title would name the program twice).
void setProgramTitle(const QString &title);
QString programTitle(); // the application's display name until a title is set

class MessageDialog : public QDialog
{
    Q_OBJECT
public:
    MessageDialog(const QString &text, MsgType type, MsgButtons buttons, int helpContext = 0,
                  MsgCaptions captions = MsgCaptions::Czech, QWidget *parent = nullptr);

    QPushButton *button(MsgButton kind) const;   // nullptr when not shown
    QPushButton *defaultButton() const { return m_default; }
    QPushButton *cancelButton() const { return m_cancel; }
    QLabel *messageLabel() const { return m_message; }
    QLabel *imageLabel() const { return m_image; }   // nullptr for the custom type
    int helpContext() const { return m_helpContext; }
    void setHelpFile(const QString &file) { m_helpFile = file; }

    // Centres the dialog on the screen; a negative coordinate keeps the centred value.
    void placeAt(int left = -1, int top = -1);

    static QString caption(MsgType type, MsgCaptions captions);
    static QString buttonCaption(MsgButton kind, MsgCaptions captions);
    static int buttonResult(MsgButton kind);
    static MsgButton defaultButtonKind(MsgButtons shown);                 // OK, else Yes, else Retry
    static bool cancelButtonKind(MsgButtons shown, MsgButton *kind);      // Cancel, else No, else OK

protected:
    void keyPressEvent(QKeyEvent *event) override;

public slots:
    void reject() override;

private:
    void layOut(const QString &text, MsgButtons buttons, MsgCaptions captions);

    QHash<int, QPushButton *> m_buttons;
    QPushButton *m_default = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_message = nullptr;
    QLabel *m_image = nullptr;
    int m_helpContext = 0;
    QString m_helpFile;
};

// Standard Czech message dialog, modal, centred on the screen; returns the result of the
// button that closed it.
int message(const QString &text, MsgType type, MsgButtons buttons, int helpContext = 0);
// The same at a given position; a negative left or top keeps that coordinate centred.
int messageAt(const QString &text, MsgType type, MsgButtons buttons, int helpContext,
              const QString &helpFile, int left, int top);
// Plain message dialog: the same dialog with the system's English captions.
int plainMessage(const QString &text, MsgType type, MsgButtons buttons, int helpContext = 0);
// The simplest message box: the text, "OK", and the application title as caption.
void simpleMessage(const QString &text);

// What the Help button does: show topic `helpContext` of `helpFile` (empty: the
// application's help file). Set once by the application.
void setHelpHandler(std::function<void(const QString &helpFile, int helpContext)> handler);

// Rounded a * b / c, as the layout computes all its sizes.
int mulDiv(int a, int b, int c);

} // namespace orv::ui
