#include "report/ui/ReportUi.h"
#include "report/ui/TolvaReportZoom.h"

#include "report/model/SestavaMessages.h"
#include "report/output/Printers.h"
#include "report/output/Sestava.h"
#include "report/ui/FormInfo.h"
#include "report/ui/PreviewWindow.h"
#include "report/ui/UiHooks.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace orv {

namespace {

bool messageBox(TSestMessageKind kind, const QString &caption, const QString &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (kind) {
    case TSestMessageKind::Error: box.setIcon(QMessageBox::Critical); break;
    case TSestMessageKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case TSestMessageKind::Confirm: box.setIcon(QMessageBox::Question); break;
    case TSestMessageKind::Information: box.setIcon(QMessageBox::Information); break;
    }
    if (kind == TSestMessageKind::Confirm) {
        QPushButton *yes = box.addButton(QString::fromUtf8("&Ano"), QMessageBox::YesRole);
        box.addButton(QString::fromUtf8("&Ne"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return true;
}

} // namespace

void InstallReportUi()
{
    static bool messagesInstalled = false;
    if (!messagesInstalled && qobject_cast<QApplication *>(QCoreApplication::instance())) {
        messagesInstalled = true;
        setSestMessageHandler(messageBox);
        setSestProgressFactory([](const QString &caption) -> std::unique_ptr<TSestProgress> {
            if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
                return nullptr;
            return std::make_unique<TFormInfo>(caption, QApplication::activeWindow());
        });
    }
    if (!pdfFileAsker()) {
        pdfFileAsker() = [] {
            TSaveFileRequest r;
            r.Title = QString::fromUtf8("Výběr souboru");
            r.Filters = QtFilters(QString::fromUtf8("Soubor PDF (*.pdf)|*.PDF|Všechny soubory (*.*)|*.*"));
            r.DefaultSuffix = QStringLiteral("pdf");
            return AskSaveFile(QApplication::activeWindow(), r);
        };
    }
    auto &ep = sestavaEntryPoints();
    if (!ep.AskTiling) {
        ep.AskTiling = [](TPrintTiling &t) {
            TFormTolvaReportZoom options(t, QApplication::activeWindow());
            return options.Show(t);
        };
    }
    if (!ep.Preview) {
        ep.Preview = [](TSestava &report, const QRect &rect, int position, int zoom, int windowState) {
            TPreviewOptions o;
            o.Bounds = rect;
            o.Position = position;
            o.Zoom = zoom;
            o.WindowState = windowState;
            o.CustomVisible = bool(report.OnPreviewCustomEvent);
            return ShowPreview(report, o, QApplication::activeWindow());
        };
    }
}

} // namespace orv
