#pragma once
// The contents tree as plain data: the rows of qDbTree read into records, ordered for child
// lookup and arranged below the root. No widgets: the model and the pane sit on top of it,
// and the tests and the benchmark use it directly.
//
// Identifiers are handled as text (the decimal digits of Number and ParentNo). Children of one
// parent are ordered by their text compared without regard to case in the user's locale, so
// two siblings "b" and "A" appear as A, b.

#include <QHash>
#include <QLocale>
#include <QString>
#include <QVariant>

#include <vector>

namespace orv::db {
class DataSet;
}

namespace orv::browse {

struct TreeRecord {
    QString id;       // Number as text
    QString parentId; // ParentNo as text
    QString text;     // node text
    int picture = 0;  // ImageIndex; 0 when it is not a whole number
};

class ContentsTree {
public:
    static QString rootId() { return QStringLiteral("0"); }

    struct Node {
        int record = -1;          // index into records()
        int parent = -1;          // node index; -1 for a top-level node
        int row = 0;              // position among its siblings
        std::vector<int> children; // node indexes in display order
    };

    ContentsTree() = default;
    explicit ContentsTree(std::vector<TreeRecord> records, const QLocale &locale = QLocale())
    {
        build(std::move(records), locale);
    }

    // Arranges the records: a record with the root identifier becomes the only top-level node
    // (its children below it); without one, the records whose parent is the root identifier
    // are the top-level nodes. Below every node follow its children. A record whose identifier
    // is the root identifier or its own parent is skipped, and so is every record whose parent
    // chain does not reach the root. A record is placed at most once, so a loop of parents
    // (possible only with repeated identifiers) cannot recurse for ever.
    void build(std::vector<TreeRecord> records, const QLocale &locale = QLocale());

    const std::vector<TreeRecord> &records() const { return m_records; }
    int nodeCount() const { return int(m_nodes.size()); }
    const Node &node(int index) const { return m_nodes[size_t(index)]; }
    const TreeRecord &recordOf(int nodeIndex) const { return m_records[size_t(m_nodes[size_t(nodeIndex)].record)]; }
    const std::vector<int> &topLevel() const { return m_top; }

    // The node showing record `record` (a data-set row), or -1 when that record is not shown.
    int nodeOfRecord(int record) const
    {
        return record >= 0 && record < int(m_nodeOfRecord.size()) ? m_nodeOfRecord[size_t(record)] : -1;
    }
    // The first node (in display order of building) with this identifier, or -1.
    int findNode(const QString &id) const;
    // Node indexes from the top-level node down to `nodeIndex`'s parent.
    std::vector<int> ancestors(int nodeIndex) const;

    // Whether `records` hold the same set of (identifier, parent identifier) pairs, so that
    // only texts or pictures may differ and the tree can be updated in place.
    bool sameShape(const std::vector<TreeRecord> &records) const;
    // Takes over texts and pictures of records of the same shape, matched by (identifier,
    // parent identifier); returns the nodes whose text or picture changed.
    std::vector<int> updateTexts(const std::vector<TreeRecord> &records);

    // ImageIndex as a picture number: a whole number, or 0 for anything else (null, text,
    // fractions).
    static int pictureOf(const QVariant &value);
    // Every row of the tree query (fields Number, ParentNo, Text, ImageIndex), in its order,
    // without moving its current row.
    static std::vector<TreeRecord> readRecords(const db::DataSet &treeQuery);
    // An identifier as text: the decimal digits of a whole number, "" for null.
    static QString idText(const QVariant &value);

private:
    std::vector<TreeRecord> m_records;
    std::vector<Node> m_nodes;
    std::vector<int> m_top;
    std::vector<int> m_nodeOfRecord;
    mutable QHash<QString, int> m_byId; // first node per identifier, made on first use
};

} // namespace orv::browse
