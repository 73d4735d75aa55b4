#include "LanguageTree.h"

namespace quotaly {

void LanguageTree::clear()
{
    m_entries.clear();
    m_path.clear();
}

int LanguageTree::firstChild(int entry) const
{
    if (entry == kNone)
        return isEmpty() ? kNone : 0;
    // Parents come before their children, so a child can only be the very next entry.
    const int next = entry + 1;
    return next < size() && level(next) == level(entry) + 1 ? next : kNone;
}

QList<int> LanguageTree::children(int entry) const
{
    QList<int> result;
    for (int child = firstChild(entry); child != kNone; child = nextSibling(child))
        result.append(child);
    return result;
}

int LanguageTree::append(int level, const QString &text)
{
    if (level < 0 || level > maxNextLevel())
        return kNone;
    const int index = size();
    Entry entry{text, level, level > 0 ? m_path.at(std::size_t(level - 1)) : kNone, kNone};
    if (std::size_t(level) < m_path.size()) {
        m_entries.at(std::size_t(m_path.at(std::size_t(level)))).nextSibling = index;
        m_path.resize(std::size_t(level));
    }
    m_path.push_back(index);
    m_entries.push_back(std::move(entry));
    return index;
}

bool LanguageTree::operator==(const LanguageTree &other) const
{
    if (size() != other.size())
        return false;
    for (int i = 0; i < size(); ++i) {
        if (level(i) != other.level(i) || text(i) != other.text(i))
            return false;
    }
    return true;
}

} // namespace quotaly
