#pragma once
// A stand-in for the designer window: it answers the sheet's questions from plain fields and
// writes down what the sheet tells it. Mouse helpers send events the way the window system
// delivers them during a drag (to the widget that took the press, in its own coordinates).

#include "report/designer/DesignerElements.h"
#include "report/designer/DesignerHost.h"
#include "report/designer/DesignerSheet.h"
#include "report/designer/EditorSettings.h"
#include "report/designer/SesPrvek.h"
#include "report/model/ReportModel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRect>
#include <QStringList>

#include <memory>

namespace sheettest {

// Hides every fixed section but the body, which gets the given height.
inline void showOnlyTheBody(orv::TSestavaModel &report, int bodyHeight)
{
    for (int s = 0; s < orv::kFixedSections; ++s)
        report.section(s)->Visible = s == orv::skBody;
    report.section(orv::skBody)->Height = bodyHeight;
}

// Appends an element of the kind over rectangle r (report units) to the body.
inline orv::TSiReportElement *addToBody(orv::TSestavaModel &report, int kind, QRect r)
{
    auto e = std::make_unique<orv::TSiReportElement>();
    e->Kind = kind;
    e->Left = r.left();
    e->Top = r.top();
    e->Width = r.width();
    e->Height = r.height();
    return report.section(orv::skBody)->appendElement(std::move(e));
}

struct TestHost : orv::TDesignerHost {
    int Tool = 0;
    int Source = 0;
    bool Paste = false;
    orv::TClipboardContent Content;
    double Zoom = 1.0;
    int Unit = 0;
    orv::TEditorSettings Settings;

    QStringList Records;
    QString Position;
    QRect Geometry;
    int SelectionChanges = 0;
    orv::TSiReportElement *DialogFor = nullptr;
    int SettingsPage = -1, SettingsGroup = -2;
    int EscapePresses = 0;
    int ToolResets = 0;
    QList<bool> Insertions;

    int toolKind() const override { return Tool; }
    int toolSource() const override { return Source; }
    bool pastePending() const override { return Paste; }
    const orv::TClipboardContent *clipboardContent() const override { return Paste ? &Content : nullptr; }
    double zoomFactor() const override { return Zoom; }
    int displayUnit() const override { return Unit; }
    const orv::TEditorSettings &editorSettings() const override { return Settings; }
    void record(const QString &name) override { Records << name; }
    void showPosition(const QString &text) override { Position = text; }
    void showGeometry(int l, int t, int w, int h) override { Geometry = QRect(l, t, w, h); }
    void selectionChanged() override { ++SelectionChanges; }
    void openElementDialog(orv::TSiReportElement *e) override { DialogFor = e; }
    void openReportSettings(int page, int group) override
    {
        SettingsPage = page;
        SettingsGroup = group;
    }
    void escapePressed() override { ++EscapePresses; }
    void selectionToolActivated() override { ++ToolResets; }
    // As the window does: without Ctrl back to the selection tool, with Ctrl the list moves on.
    void insertionFinished(bool ctrl) override
    {
        Insertions << ctrl;
        if (ctrl) {
            ++Source;
        } else {
            Tool = 0;
            Paste = false;
        }
    }
};

inline void send(QWidget *w, QEvent::Type type, QPoint local, Qt::KeyboardModifiers mods,
                 Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent ev(type, QPointF(local), QPointF(w->mapToGlobal(local)),
                   type == QEvent::MouseMove ? Qt::NoButton : button, buttons, mods);
    QApplication::sendEvent(w, &ev);
}

// A drag in band pixels: press on the widget under `from` (a control or the band itself),
// moves through the points, release at the last one.
inline void drag(orv::TOddil *band, QPoint from, const QList<QPoint> &to,
                 Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *w = band->childAt(from);
    if (!w || !qobject_cast<orv::TSesPrvek *>(w))
        w = band;
    send(w, QEvent::MouseButtonPress, w->mapFrom(band, from), mods);
    for (const QPoint &p : to)
        send(w, QEvent::MouseMove, w->mapFrom(band, p), mods);
    send(w, QEvent::MouseButtonRelease, w->mapFrom(band, to.isEmpty() ? from : to.last()), mods);
}

inline void click(orv::TOddil *band, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    drag(band, at, {}, mods);
}

} // namespace sheettest
