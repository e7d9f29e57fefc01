#include "browse/ContentsTree.h"

#include "db/DataSet.h"

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace orv::browse {

namespace {

QString shapeKey(const TreeRecord &r)
{
    QString key;
    key.reserve(r.id.size() + r.parentId.size() + 1);
    key += r.id;
    key += QChar(0x1f);
    key += r.parentId;
    return key;
}

} // namespace

int ContentsTree::pictureOf(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
        return value.toInt();
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const qlonglong v = value.toLongLong();
        return v >= INT_MIN && v <= INT_MAX ? int(v) : 0;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::floor(d) || d < INT_MIN || d > INT_MAX)
            return 0;
        return int(d);
    }
    default: {
        bool ok = false;
        const int v = value.toString().trimmed().toInt(&ok);
        return ok ? v : 0;
    }
    }
}

QString ContentsTree::idText(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::ULongLong:
        return QString::number(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9e15)
            return QString::number(qlonglong(d));
        return QString::number(d, 'g', 15);
    }
    default:
        return value.toString();
    }
}

std::vector<TreeRecord> ContentsTree::readRecords(const db::DataSet &q)
{
    std::vector<TreeRecord> out;
    if (!q.isOpen())
        return out;
    auto column = [&q](const char *name) {
        const db::Field *f = q.findField(QString::fromLatin1(name));
        return f ? f->index() : -1;
    };
    const int number = column("Number");
    const int parent = column("ParentNo");
    const int text = column("Text");
    const int image = column("ImageIndex");
    const int n = q.recordCount();
    out.resize(size_t(n));
    for (int row = 0; row < n; ++row) {
        TreeRecord &r = out[size_t(row)];
        r.id = idText(q.valueAt(row, number));
        r.parentId = idText(q.valueAt(row, parent));
        r.text = q.valueAt(row, text).toString();
        r.picture = pictureOf(q.valueAt(row, image));
    }
    return out;
}

void ContentsTree::build(std::vector<TreeRecord> records, const QLocale &locale)
{
    m_records = std::move(records);
    m_nodes.clear();
    m_top.clear();
    m_byId.clear();
    const int n = int(m_records.size());
    m_nodeOfRecord.assign(size_t(n), -1);
    if (n == 0)
        return;

    // Child lookup order: parent identifier (ordinal), then the text in the user's locale
    // without regard to case. Sort keys are made once; comparing them is a byte compare.
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(n));
    // The text is folded first as well: the collator of the C locale compares code points
    // and would put "b" after "C".
    for (const TreeRecord &r : m_records)
        keys.push_back(collator.sortKey(r.text.toCaseFolded()));
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = QString::compare(m_records[size_t(a)].parentId, m_records[size_t(b)].parentId, Qt::CaseSensitive);
        if (c != 0)
            return c < 0;
        return keys[size_t(a)].compare(keys[size_t(b)]) < 0;
    });

    // Where the children of each parent identifier begin and end in `order`.
    QHash<QString, std::pair<int, int>> ranges;
    ranges.reserve(n);
    for (int i = 0; i < n;) {
        int j = i + 1;
        const QString &p = m_records[size_t(order[size_t(i)])].parentId;
        while (j < n && m_records[size_t(order[size_t(j)])].parentId == p)
            ++j;
        ranges.insert(p, {i, j});
        i = j;
    }

    const QString root = rootId();
    auto skipped = [&](int rec) {
        const TreeRecord &r = m_records[size_t(rec)];
        return r.id == root || r.id == r.parentId || m_nodeOfRecord[size_t(rec)] >= 0;
    };
    m_nodes.reserve(size_t(n));
    auto addNode = [&](int rec, int parent) {
        const int index = int(m_nodes.size());
        Node node;
        node.record = rec;
        node.parent = parent;
        if (parent >= 0) {
            node.row = int(m_nodes[size_t(parent)].children.size());
            m_nodes[size_t(parent)].children.push_back(index);
        } else {
            node.row = int(m_top.size());
            m_top.push_back(index);
        }
        m_nodes.push_back(std::move(node));
        m_nodeOfRecord[size_t(rec)] = index;
        return index;
    };

    std::vector<int> pending; // nodes whose children are still to be added
    auto addChildren = [&](const QString &parentId, int parentNode) {
        const auto it = ranges.constFind(parentId);
        if (it == ranges.constEnd())
            return;
        for (int i = it->first; i < it->second; ++i) {
            const int rec = order[size_t(i)];
            if (skipped(rec))
                continue;
            pending.push_back(addNode(rec, parentNode));
        }
    };

    int rootRecord = -1;
    for (int i = 0; i < n && rootRecord < 0; ++i)
        if (m_records[size_t(order[size_t(i)])].id == root)
            rootRecord = order[size_t(i)];
    if (rootRecord >= 0) {
        const int top = addNode(rootRecord, -1);
        addChildren(root, top);
    } else {
        addChildren(root, -1);
    }
    while (!pending.empty()) {
        const int nodeIndex = pending.back();
        pending.pop_back();
        addChildren(m_records[size_t(m_nodes[size_t(nodeIndex)].record)].id, nodeIndex);
    }
}

int ContentsTree::findNode(const QString &id) const
{
    if (m_byId.isEmpty() && !m_nodes.empty()) {
        m_byId.reserve(int(m_nodes.size()));
        for (int i = int(m_nodes.size()) - 1; i >= 0; --i)
            m_byId.insert(m_records[size_t(m_nodes[size_t(i)].record)].id, i);
    }
    return m_byId.value(id, -1);
}

std::vector<int> ContentsTree::ancestors(int nodeIndex) const
{
    std::vector<int> out;
    if (nodeIndex < 0 || nodeIndex >= nodeCount())
        return out;
    for (int p = m_nodes[size_t(nodeIndex)].parent; p >= 0; p = m_nodes[size_t(p)].parent)
        out.push_back(p);
    std::reverse(out.begin(), out.end());
    return out;
}

bool ContentsTree::sameShape(const std::vector<TreeRecord> &records) const
{
    if (records.size() != m_records.size())
        return false;
    QHash<QString, int> count;
    count.reserve(int(m_records.size()));
    for (const TreeRecord &r : m_records)
        ++count[shapeKey(r)];
    for (const TreeRecord &r : records) {
        auto it = count.find(shapeKey(r));
        if (it == count.end() || it.value() == 0)
            return false;
        --it.value();
    }
    return true;
}

std::vector<int> ContentsTree::updateTexts(const std::vector<TreeRecord> &records)
{
    std::vector<int> changed;
    if (!sameShape(records))
        return changed;
    // Old record indexes per (identifier, parent) pair, taken in order by the new records;
    // the new rows may stand in another order, so the row-to-node map moves with them.
    QHash<QString, std::vector<int>> byKey;
    byKey.reserve(int(m_records.size()));
    for (int i = int(m_records.size()) - 1; i >= 0; --i)
        byKey[shapeKey(m_records[size_t(i)])].push_back(i);
    std::vector<int> nodeOfRecord(records.size(), -1);
    for (int j = 0; j < int(records.size()); ++j) {
        std::vector<int> &olds = byKey[shapeKey(records[size_t(j)])];
        const int old = olds.back();
        olds.pop_back();
        const int nodeIndex = m_nodeOfRecord[size_t(old)];
        nodeOfRecord[size_t(j)] = nodeIndex;
        if (nodeIndex < 0)
            continue;
        m_nodes[size_t(nodeIndex)].record = j;
        const TreeRecord &was = m_records[size_t(old)];
        if (was.text != records[size_t(j)].text || was.picture != records[size_t(j)].picture)
            changed.push_back(nodeIndex);
    }
    m_records = records;
    m_nodeOfRecord = std::move(nodeOfRecord);
    return changed;
}

} // namespace orv::browse
