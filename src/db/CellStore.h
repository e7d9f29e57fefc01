#pragma once
// The cells of a data set's rows in one flat block: rows * columns QVariants. Loading
// constructs each cell once in place, and the block grows by realloc (QVariant is a
// relocatable type), so neither growing nor inserting a row copies a value.

#include <QVariant>

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace orv::db {

class CellStore {
public:
    CellStore() = default;
    ~CellStore() { clear(); }
    CellStore(const CellStore &) = delete;
    CellStore &operator=(const CellStore &) = delete;
    CellStore(CellStore &&o) noexcept { swap(o); }
    CellStore &operator=(CellStore &&o) noexcept
    {
        CellStore tmp(std::move(o));
        swap(tmp);
        return *this;
    }
    void swap(CellStore &o) noexcept
    {
        std::swap(m_p, o.m_p);
        std::swap(m_size, o.m_size);
        std::swap(m_cap, o.m_cap);
    }

    qsizetype size() const { return m_size; }
    QVariant &operator[](qsizetype i) { return m_p[i]; }
    const QVariant &operator[](qsizetype i) const { return m_p[i]; }
    QVariant *data() { return m_p; }

    void reserve(qsizetype n)
    {
        if (n <= m_cap)
            return;
        void *p = std::realloc(static_cast<void *>(m_p), size_t(n) * sizeof(QVariant));
        if (!p)
            throw std::bad_alloc();
        m_p = static_cast<QVariant *>(p);
        m_cap = n;
    }
    // Constructs the next cell in place.
    template <typename... Args>
    QVariant &emplaceBack(Args &&...args)
    {
        if (m_size == m_cap)
            reserve(m_cap < 64 ? 64 : m_cap * 2);
        QVariant *v = new (m_p + m_size) QVariant(std::forward<Args>(args)...);
        ++m_size;
        return *v;
    }
    // Opens a gap of n null cells at pos.
    void insertGap(qsizetype pos, qsizetype n)
    {
        reserve(std::max(m_size + n, m_cap));
        std::memmove(static_cast<void *>(m_p + pos + n), static_cast<const void *>(m_p + pos),
                     size_t(m_size - pos) * sizeof(QVariant));
        for (qsizetype i = 0; i < n; ++i)
            new (m_p + pos + i) QVariant();
        m_size += n;
    }
    void erase(qsizetype pos, qsizetype n)
    {
        for (qsizetype i = 0; i < n; ++i)
            m_p[pos + i].~QVariant();
        std::memmove(static_cast<void *>(m_p + pos), static_cast<const void *>(m_p + pos + n),
                     size_t(m_size - pos - n) * sizeof(QVariant));
        m_size -= n;
    }
    void clear()
    {
        for (qsizetype i = 0; i < m_size; ++i)
            m_p[i].~QVariant();
        std::free(static_cast<void *>(m_p));
        m_p = nullptr;
        m_size = m_cap = 0;
    }

private:
    static_assert(QTypeInfo<QVariant>::isRelocatable, "cells are moved with realloc and memmove");
    QVariant *m_p = nullptr;
    qsizetype m_size = 0;
    qsizetype m_cap = 0;
};

} // namespace orv::db
