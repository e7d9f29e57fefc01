#pragma once
// The designer's undo list: named snapshots of the template (its lines), a current entry and
// a capacity. The first entry is the template as it was opened.

#include <QString>
#include <QStringList>

#include <vector>

namespace orv {

struct TPredloha {
    QString Name;
    QStringList Lines;
};

class TListVariant {
public:
    static QString firstName() { return QStringLiteral("Základní varianta"); }

    explicit TListVariant(int capacity = 10) : m_capacity(capacity < 1 ? 1 : capacity) {}

    // Starts again with one entry, "Základní varianta".
    void reset(const QStringList &lines);
    // Drops the entries after the current one; when full, the oldest entry; then appends
    // the snapshot, which becomes current.
    void record(const QString &name, const QStringList &lines);
    bool canUndo() const { return m_current > 0; }
    bool canRedo() const { return m_current + 1 < count(); }
    // Move one entry back or forward; the lines of the new current entry, or null.
    const QStringList *undo();
    const QStringList *redo();
    // "Zrušit <name of the current entry>" / "Zrušit změny"; "Znovu <next>" / "Znovu změny".
    QString undoHint() const;
    QString redoHint() const;
    // Drops the oldest entries before the current one while there are more than c, then
    // the newest after it. A capacity below 1 is 1.
    void setCapacity(int c);
    // After a save without keeping the history: only the current entry stays.
    void keepOnlyCurrent();

    int capacity() const { return m_capacity; }
    int count() const { return int(m_items.size()); }
    int current() const { return m_current; }
    const TPredloha &at(int i) const { return m_items.at(size_t(i)); }
    const QStringList &currentLines() const { return m_items.at(size_t(m_current)).Lines; }

private:
    std::vector<TPredloha> m_items;
    int m_current = -1;
    int m_capacity = 10;
};

} // namespace orv
