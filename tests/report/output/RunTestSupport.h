#pragma once
// Shared by the run and component tests: an in-memory data link, a template builder that
// writes template lines as the designer would, and look-ups of items in the output store.

#include "report/model/Bridge.h"
#include "report/model/PageSetup.h"
#include "report/model/TextLayout.h"
#include "report/output/Sestava.h"
#include "support/GuiApplication.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include <vector>

namespace runtest {

// One QGuiApplication for the program (see support/GuiApplication.h).
inline void ensureApp()
{
    orv::test::ensureGuiApplication();
}

// Rows in memory; strings are ftString, integers ftInteger, doubles ftFloat.
class MemoryBridge : public orv::TBridge {
public:
    QStringList Columns;
    std::vector<std::vector<QVariant>> Rows;
    int Pos = -1;
    bool Active = true;
    int Opens = 0, Closes = 0, Disables = 0, Enables = 0;
    int Remembered = -2;
    std::vector<int> Types;   // optional per column

    int FieldCount() const override { return int(Columns.size()); }
    QString FieldName(int n) const override { return Columns.value(n); }
    QString FieldLabel(int n) const override { return Columns.value(n).toUpper(); }
    int FieldDataType(int n) const override
    {
        if (n < int(Types.size()))
            return Types[size_t(n)];
        if (Rows.empty())
            return orv::ftString;
        const QVariant &v = Rows[0][size_t(n)];
        if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
            return orv::ftInteger;
        if (v.typeId() == QMetaType::Double)
            return orv::ftFloat;
        return orv::ftString;
    }
    int FieldAlignment(int) const override { return 0; }
    int FieldDisplayWidth(int) const override { return 10; }
    QVariant cell(int n) const
    {
        if (Pos < 0 || Pos >= int(Rows.size()) || n < 0 || n >= FieldCount())
            return {};
        return Rows[size_t(Pos)][size_t(n)];
    }
    double AsFloat(int n) const override { return cell(n).toDouble(); }
    bool AsBoolean(int n) const override { return cell(n).toBool(); }
    QString AsString(int n) const override { return cell(n).toString(); }
    QString DisplayText(int n) const override { return cell(n).toString(); }
    QString MemoText(int n) const override { return cell(n).toString(); }
    bool IsNull(int n) const override { return cell(n).isNull(); }
    bool Picture(int, QImage &picture) const override
    {
        picture = QImage();
        return false;
    }
    orv::TStepResult Step(orv::TStepDir dir) override
    {
        const int n = int(Rows.size());
        if (n == 0)
            return orv::srNoData;
        switch (dir) {
        case orv::sdFirst: Pos = 0; return 0;
        case orv::sdLast: Pos = n - 1; return 0;
        case orv::sdPrior:
            if (Pos <= 0) { Pos = 0; return orv::srBof; }
            --Pos;
            return 0;
        case orv::sdNext:
            if (Pos >= n - 1) { Pos = n - 1; return orv::srEof; }
            ++Pos;
            return 0;
        }
        return 0;
    }
    bool HasDataSet() const override { return true; }
    bool IsActive() const override { return Active; }
    bool Open() override { ++Opens; Active = true; return true; }
    void Close() override { ++Closes; Active = false; }
    void DisableControls() override { ++Disables; }
    void EnableControls() override { ++Enables; }
    void RememberPosition() override { Remembered = Pos; }
    void ReturnToPosition() override { if (Remembered != -2) Pos = Remembered; }
    QString AliasPath(const QString &) const override { return {}; }
};

// Template lines. The page is 826 x 1100 with 50 margins: printable 726 x 1000.
struct Template {
    QStringList Lines;
    Template()
    {
        Lines << QStringLiteral("I,1,5,50,0") << QStringLiteral("I,2,0,826,1100,50,50,50,50,1,0");
        for (int s = 0; s < 5; ++s)
            section(s, false, 0);
    }
    Template &columns(int n, int gap)
    {
        Lines << QStringLiteral("I,2,0,826,1100,50,50,50,50,%1,%2").arg(n).arg(gap);
        return *this;
    }
    // Section 0 report header, 1 page header, 2 body, 3 report footer, 4 page footer.
    Template &section(int s, bool visible, int height, int flags = 0)
    {
        Lines << QStringLiteral("I,3,%1,%2,%3,%4").arg(s).arg(visible ? 1 : 0).arg(height).arg(flags);
        return *this;
    }
    Template &group(int index, const QString &expr, int headerHeight, int footerHeight,
                    bool newPage = false)
    {
        Lines << QStringLiteral("I,4,%1,\"%2\",%3,%4,%5,%6,%7")
                     .arg(index).arg(expr).arg(headerHeight > 0 ? 1 : 0).arg(headerHeight)
                     .arg(footerHeight > 0 ? 1 : 0).arg(footerHeight).arg(newPage ? 1 : 0);
        return *this;
    }
    // reset: 0 report, 1 page, 2 + k group k.
    Template &function(const QString &name, const QString &expr, int aggregation, int reset,
                       int decimals = 0)
    {
        Lines << QStringLiteral("F,0,%1,\"\",0,\"0\",%2,\"%3\",%4,15,%5,2")
                     .arg(name).arg(reset).arg(expr).arg(aggregation).arg(decimals);
        return *this;
    }
    // A text-kind element (1..6) in section code sec.
    Template &text(const QString &sec, int kind, const QString &source, int left, int top,
                   int width, int height, const QString &text = QString(), int textFlags = 0,
                   const QString &condition = QString(), bool handler = false,
                   const QString &ident = QString())
    {
        Lines << QStringLiteral("%1,%2,%3,%4,%5,%6,%7,Arial,10,0,0,%8,0,238,\"%9\",0,0,0,\"%10\",%11,\"%12\"")
                     .arg(sec).arg(kind).arg(source).arg(left).arg(top).arg(width).arg(height)
                     .arg(textFlags).arg(text).arg(condition).arg(handler ? 1 : 0).arg(ident);
        return *this;
    }
    Template &detail(const QString &sec, int n, int left, int top, int width, int height)
    {
        Lines << QStringLiteral("%1,15,%2,%3,%4,%5,%6").arg(sec).arg(n).arg(left).arg(top).arg(width).arg(height);
        return *this;
    }
    // The lines of detail n: every line prefixed with "D<n>,".
    Template &detailTemplate(int n, const Template &d)
    {
        for (const QString &l : d.Lines)
            Lines << QStringLiteral("D%1,").arg(n) + l;
        return *this;
    }
};

// A master report over "Order" rows whose body (40 high) shows the order at the top and,
// 20 below it, detail 0 over "Item" rows: one line of 15 per item, 40 from the left. The
// detail is bound to the master; keep this alive no longer than the master.
struct OrdersWithItems {
    MemoryBridge Orders, Items;
    orv::TSestDetail Detail;

    OrdersWithItems(orv::TSestava &master, const QStringList &orders, const QStringList &items)
    {
        Orders.Columns = {QStringLiteral("Order")};
        for (const QString &o : orders)
            Orders.Rows.push_back({o});
        Items.Columns = {QStringLiteral("Item")};
        for (const QString &i : items)
            Items.Rows.push_back({i});
        Detail.DataSource = &Items;
        Detail.setMasterSestava(&master);
        Template d;
        d.section(2, true, 15).text("T", 2, "Item", 40, 0, 100, 15);
        Template t;
        t.section(2, true, 40)
            .text("T", 2, "Order", 0, 0, 100, 20)
            .detail("T", 0, 0, 20, 300, 20)
            .detailTemplate(0, d);
        master.IsStored = true;
        master.Predloha = t.Lines;
        master.DataSource = &Orders;
    }
};

struct Found {
    int Page = -1;
    const orv::TVystPrvek *Item = nullptr;
};

inline QString itemText(const orv::TVystPrvek &item)
{
    if (!item.Lines)
        return {};
    QStringList parts;
    for (int i = item.FirstLine; i <= item.LastLine && i < item.Lines->count(); ++i)
        parts << orv::LineText((*item.Lines)[i]);
    return parts.join(u'\n');
}

// Every item of a page whose element has this ident ... or this kind and text.
inline std::vector<const orv::TVystPrvek *> items(const orv::TSestVystup &st, int page)
{
    std::vector<const orv::TVystPrvek *> v;
    if (page < 0 || page >= st.PageCount())
        return v;
    for (const auto &it : st.Page(page)->Items)
        v.push_back(it.get());
    return v;
}

// Items whose text equals t, on any page, in page order then by top.
inline std::vector<Found> findText(const orv::TSestVystup &st, const QString &t)
{
    std::vector<Found> out;
    for (int p = 0; p < st.PageCount(); ++p) {
        std::vector<Found> page;
        for (const auto &it : st.Page(p)->Items)
            if (itemText(*it) == t)
                page.push_back({p, it.get()});
        std::sort(page.begin(), page.end(), [](const Found &a, const Found &b) {
            return a.Item->Top < b.Item->Top;
        });
        out.insert(out.end(), page.begin(), page.end());
    }
    return out;
}

// The first place t was printed. A text that is missing fails the test that asks, and the
// answer is a placeholder at page -1, so the test program goes on with the other tests.
inline Found firstText(const orv::TSestVystup &st, const QString &t)
{
    const std::vector<Found> found = findText(st, t);
    if (!found.empty())
        return found.front();
    ADD_FAILURE() << "no item prints \"" << t.toStdString() << '"';
    static orv::TSiReportElement nothing;
    static const orv::TVystPrvek placeholder(&nothing, -1, -1, 0, 0);
    return {-1, &placeholder};
}

// Items on a page whose text starts with prefix, by top.
inline std::vector<const orv::TVystPrvek *> withPrefix(const orv::TSestVystup &st, int page,
                                                       const QString &prefix)
{
    std::vector<const orv::TVystPrvek *> v;
    for (const orv::TVystPrvek *it : items(st, page))
        if (itemText(*it).startsWith(prefix))
            v.push_back(it);
    std::sort(v.begin(), v.end(), [](auto a, auto b) { return a->Top < b->Top; });
    return v;
}

// The report's store written as PDF, without its creation time (the one part that may
// differ between two runs), and as RTF.
inline QByteArray pdfOf(orv::TSestava &report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    report.ExportPdf(buffer);
    QString text = QString::fromLatin1(buffer.data());
    text.remove(QRegularExpression(QStringLiteral("/CreationDate \\(D:\\d+\\)")));
    return text.toLatin1();
}

inline QByteArray rtfOf(orv::TSestava &report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    report.ExportRtf(buffer);
    return buffer.data();
}

} // namespace runtest
