#pragma once

#include <vector>

#include <QList>
#include <QString>

namespace quotaly {

/// The entries of a language file as a tree. Entries are kept in file order (parents before their children),
/// numbered from 0, and only ever appended at a level the tree allows, so every tree is well-formed. Nothing
/// here recurses, however deep the nesting.
class LanguageTree
{
public:
    /// "No entry": the parent of a top-level entry, the end of a sibling chain, a failed lookup.
    static constexpr int kNone = -1;

    bool isEmpty() const { return m_entries.empty(); }
    int size() const { return int(m_entries.size()); }
    void clear();

    const QString &text(int entry) const { return m_entries.at(std::size_t(entry)).text; }
    void setText(int entry, const QString &text) { m_entries.at(std::size_t(entry)).text = text; }
    /// 0 for a top-level entry, one more for each ancestor.
    int level(int entry) const { return m_entries.at(std::size_t(entry)).level; }
    int parent(int entry) const { return m_entries.at(std::size_t(entry)).parent; }
    int nextSibling(int entry) const { return m_entries.at(std::size_t(entry)).nextSibling; }
    /// The first child of `entry`; `entry` kNone gives the first top-level entry.
    int firstChild(int entry) const;
    bool hasChildren(int entry) const { return firstChild(entry) != kNone; }
    /// The children of `entry` in file order; `entry` kNone gives the top-level entries.
    QList<int> children(int entry) const;

    /// The deepest level the next append may use: one below the last entry (0 for an empty tree).
    int maxNextLevel() const { return isEmpty() ? 0 : m_entries.back().level + 1; }
    /// Appends an entry after the last one: a child of the last entry (level one deeper), or the next sibling of
    /// the last entry or of one of its ancestors. Returns its number; a level above maxNextLevel() is refused
    /// with kNone and changes nothing.
    int append(int level, const QString &text);

    /// Same levels and texts in the same order.
    bool operator==(const LanguageTree &other) const;

private:
    struct Entry
    {
        QString text;
        int level = 0;
        int parent = kNone;
        int nextSibling = kNone;
    };
    std::vector<Entry> m_entries;
    std::vector<int> m_path; ///< the last entry and its ancestors, by level
};

} // namespace quotaly
