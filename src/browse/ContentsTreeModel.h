#pragma once
// An item model over a built ContentsTree for a QTreeView: one column, the node text, the
// node picture (the next picture while the node is the selected one).

#include "browse/ContentsTree.h"

#include <QAbstractItemModel>

namespace orv::browse {

class ContentsTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        IdRole = Qt::UserRole + 1, // the node identifier (text)
        PictureRole,               // the node's own picture number
        RecordRole                 // the data-set row the node was read from
    };

    explicit ContentsTreeModel(QObject *parent = nullptr);

    const ContentsTree &tree() const { return m_tree; }
    // Replaces the whole tree (a model reset).
    void setTree(ContentsTree tree);
    // Takes over new texts of a tree of the same shape; returns false (and changes nothing)
    // when the shape differs.
    bool updateTexts(const std::vector<TreeRecord> &records);

    QModelIndex indexOfNode(int node) const;
    int nodeOf(const QModelIndex &index) const; // -1 for an invalid index

    // The node drawn with its "selected" picture.
    void setSelectedNode(int node);
    int selectedNode() const { return m_selected; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;

private:
    ContentsTree m_tree;
    int m_selected = -1;
};

} // namespace orv::browse
