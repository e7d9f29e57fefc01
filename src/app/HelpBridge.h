#pragma once
// Every help request of the program goes through the one help bridge the main window owns:
// the help contents, and context help by a window's or control's help context number.
//
// A help file "X.chm" is shipped as HTML pages: the table of contents "X.htm" and the topic
// pages beside it in the same folder (the application's is Help/ZEB21.chm, so its pages lie
// in Help/ with the contents in Help/ZEB21.htm). A topic is a page name without ".htm":
// "TOPIC" + the context number for numbers at or above the start context, otherwise the
// name of the active window (material cards share the first card's page).
//
// Widgets carry their help context in the dynamic property "helpContext" (int) and may name
// a help file of their own in the property "helpFile"; the application's help file is the
// application object's property "helpFile".

#include <QObject>
#include <QPointer>

#include "app/HelpViewer.h"
#include <QString>

#include <functional>

class QWidget;

namespace orv::app {



class HelpBridge : public QObject
{
    Q_OBJECT
public:
    static constexpr int initialStartContext = 1000;

    explicit HelpBridge(QObject *parent = nullptr);
    ~HelpBridge() override;

    int startContext() const { return m_startContext; }
    void setStartContext(int context) { m_startContext = context; }

    // The application's help file, as set at start-up (may be relative to the program folder).
    static QString applicationHelpFile();
    static void setApplicationHelpFile(const QString &file);

    // The help file a request from `active` uses: the window's own "helpFile" when it names
    // one, else the application's (in the program folder, extension ".chm"), else the
    // program file's name with ".chm".
    QString helpFilePath(const QWidget *active) const;
    // The topic page name for context `context` asked while `active` is the active window.
    QString topicName(int context, const QWidget *active) const;
    // The name of a window as a topic: for a child window a trailing "_" followed by at most
    // two characters is dropped ("fMaterial_3" -> "fMaterial").
    static QString windowTopicName(const QWidget *window);

    // The window help requests are answered for: the child window that holds the focus in
    // the active frame, else the active top-level window.
    static QWidget *activeHelpWindow();

    // Opens the help file at its table of contents / at the topic for `context`. An explicit
    // `helpFile` overrides the one the active window would use. False (after the failure
    // message) when the help file cannot be opened.
    bool showContents(const QString &helpFile = QString());
    bool showContext(int context, const QString &helpFile = QString());
    // Opens the page `topic` (a page name without ".htm") of the help file.
    bool showTopic(const QString &topic, const QString &helpFile = QString());

    // The page a help file opens for a topic: "<help file>::/<topic>.htm".
    static QString pageAddress(const QString &helpFile, const QString &topic);
    // The folder and contents page that stand for a help file.
    static QString bookFolder(const QString &helpFile);
    static QString contentsPage(const QString &helpFile);
    static bool helpFileExists(const QString &helpFile);
    // "Sorry, the HelpFile\r<path>\rdoes not exists."
    static QString missingFileMessage(const QString &helpFile);

    // Where requests end up. The default shows the pages in the help viewer window; tests
    // record them instead. `topic` is empty for the contents. Returns false when the help
    // file cannot be opened.
    using Display = std::function<bool(const QString &helpFile, const QString &topic)>;
    void setDisplay(Display display) { m_display = std::move(display); }
    // How a failure is told: by default a beep and the plain message dialog.
    using FailureReport = std::function<void(const QString &message)>;
    void setFailureReport(FailureReport report) { m_failure = std::move(report); }

    HelpViewer *viewer() const { return m_viewer; }

private:
    bool display(const QString &helpFile, const QString &topic);
    bool defaultDisplay(const QString &helpFile, const QString &topic);

    int m_startContext = initialStartContext;
    Display m_display;
    FailureReport m_failure;
    QPointer<HelpViewer> m_viewer;
};

// Tells the help bridge which main window is the program's frame: its active child window is
// the active window of help requests.
void setHelpFrame(QWidget *frame);

} // namespace orv::app
