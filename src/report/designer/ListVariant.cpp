#include "report/designer/ListVariant.h"

namespace orv {

void TListVariant::reset(const QStringList &lines)
{
    m_items.clear();
    m_items.push_back({firstName(), lines});
    m_current = 0;
}

void TListVariant::record(const QString &name, const QStringList &lines)
{
    if (m_items.empty()) {
        reset(lines);
        m_items.front().Name = name;
        return;
    }
    m_items.erase(m_items.begin() + m_current + 1, m_items.end());
    while (count() >= m_capacity && !m_items.empty()) {
        m_items.erase(m_items.begin());
        --m_current;
    }
    m_items.push_back({name, lines});
    m_current = count() - 1;
}

const QStringList *TListVariant::undo()
{
    if (!canUndo())
        return nullptr;
    --m_current;
    return &currentLines();
}

const QStringList *TListVariant::redo()
{
    if (!canRedo())
        return nullptr;
    ++m_current;
    return &currentLines();
}

namespace {
// The change names are nouns in the nominative ("změna textu"); after "Zrušit" and "Znovu"
// they stand as objects, so the feminine ones take the accusative ("změnu textu").
QString asObject(const QString &name)
{
    static const QList<QPair<QString, QString>> forms = {
        {QStringLiteral("změna "), QStringLiteral("změnu ")},
        {QStringLiteral("oprava "), QStringLiteral("opravu ")},
        {QStringLiteral("stejná velikost "), QStringLiteral("stejnou velikost ")},
    };
    for (const auto &[nominative, accusative] : forms)
        if (name.startsWith(nominative))
            return accusative + name.mid(nominative.size());
    return name;
}
} // namespace

QString TListVariant::undoHint() const
{
    return canUndo() ? QStringLiteral("Zrušit ") + asObject(m_items.at(size_t(m_current)).Name)
                     : QStringLiteral("Zrušit změny");
}

QString TListVariant::redoHint() const
{
    return canRedo() ? QStringLiteral("Znovu ") + asObject(m_items.at(size_t(m_current + 1)).Name)
                     : QStringLiteral("Znovu změny");
}

void TListVariant::setCapacity(int c)
{
    m_capacity = c < 1 ? 1 : c;
    while (count() > m_capacity && m_current > 0) {
        m_items.erase(m_items.begin());
        --m_current;
    }
    while (count() > m_capacity)
        m_items.pop_back();
}

void TListVariant::keepOnlyCurrent()
{
    if (m_items.empty())
        return;
    TPredloha keep = m_items.at(size_t(m_current));
    m_items.clear();
    m_items.push_back(std::move(keep));
    m_current = 0;
}

} // namespace orv
