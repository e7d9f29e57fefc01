#include "browse/ContentsTreeModel.h"

#include "browse/NodePictures.h"

namespace orv::browse {

ContentsTreeModel::ContentsTreeModel(QObject *parent) : QAbstractItemModel(parent) {}

void ContentsTreeModel::setTree(ContentsTree tree)
{
    beginResetModel();
    m_tree = std::move(tree);
    m_selected = -1;
    endResetModel();
}

bool ContentsTreeModel::updateTexts(const std::vector<TreeRecord> &records)
{
    if (!m_tree.sameShape(records))
        return false;
    for (int node : m_tree.updateTexts(records)) {
        const QModelIndex i = indexOfNode(node);
        emit dataChanged(i, i);
    }
    return true;
}

QModelIndex ContentsTreeModel::indexOfNode(int node) const
{
    if (node < 0 || node >= m_tree.nodeCount())
        return QModelIndex();
    return createIndex(m_tree.node(node).row, 0, quintptr(node));
}

int ContentsTreeModel::nodeOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    return int(index.internalId());
}

void ContentsTreeModel::setSelectedNode(int node)
{
    if (node == m_selected)
        return;
    const int old = m_selected;
    m_selected = node;
    for (int n : {old, node}) {
        const QModelIndex i = indexOfNode(n);
        if (i.isValid())
            emit dataChanged(i, i, {Qt::DecorationRole});
    }
}

QModelIndex ContentsTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return QModelIndex();
    const int p = nodeOf(parent);
    const std::vector<int> &children = p < 0 ? m_tree.topLevel() : m_tree.node(p).children;
    if (row >= int(children.size()))
        return QModelIndex();
    return createIndex(row, 0, quintptr(children[size_t(row)]));
}

QModelIndex ContentsTreeModel::parent(const QModelIndex &child) const
{
    const int n = nodeOf(child);
    if (n < 0)
        return QModelIndex();
    return indexOfNode(m_tree.node(n).parent);
}

int ContentsTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const int p = nodeOf(parent);
    return int(p < 0 ? m_tree.topLevel().size() : m_tree.node(p).children.size());
}

int ContentsTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool ContentsTreeModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant ContentsTreeModel::data(const QModelIndex &index, int role) const
{
    const int n = nodeOf(index);
    if (n < 0)
        return QVariant();
    const TreeRecord &r = m_tree.recordOf(n);
    switch (role) {
    case Qt::DisplayRole:
        return r.text;
    case Qt::DecorationRole:
        return nodeIcon(n == m_selected ? r.picture + 1 : r.picture);
    case IdRole:
        return r.id;
    case PictureRole:
        return r.picture;
    case RecordRole:
        return m_tree.node(n).record;
    default:
        return QVariant();
    }
}

Qt::ItemFlags ContentsTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace orv::browse
