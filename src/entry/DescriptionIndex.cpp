#include "entry/DescriptionIndex.h"

#include "platform/Numbers.h"

#include <algorithm>

void DescriptionIndex::load(const QVector<DescriptionStore::Use> &uses)
{
    m_counts.clear();
    m_counts.reserve(uses.size());
    for (const DescriptionStore::Use &use : uses) {
        const QString text = Numbers::trimBlanks(use.text);
        if (!text.isEmpty() && use.count > 0)
            m_counts[text] += use.count;
    }
}

void DescriptionIndex::add(const QString &description)
{
    const QString text = Numbers::trimBlanks(description);
    if (!text.isEmpty())
        ++m_counts[text];
}

void DescriptionIndex::remove(const QString &description)
{
    const auto found = m_counts.find(Numbers::trimBlanks(description));
    if (found == m_counts.end())
        return;
    if (--found.value() <= 0)
        m_counts.erase(found);
}

QStringList DescriptionIndex::matches(const QString &typed, int limit) const
{
    const QString wanted = Numbers::trimBlanks(typed);
    if (wanted.isEmpty() || limit <= 0)
        return {};

    struct Match
    {
        const QString *text;
        qint64 count;
        bool prefix;
    };
    QVector<Match> found;
    for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it) {
        const int at = int(it.key().indexOf(wanted, 0, Qt::CaseInsensitive));
        if (at >= 0)
            found.append({ &it.key(), it.value(), at == 0 });
    }
    const auto before = [](const Match &a, const Match &b) {
        if (a.prefix != b.prefix)
            return a.prefix;
        if (a.count != b.count)
            return a.count > b.count;
        return *a.text < *b.text;
    };
    const qsizetype kept = std::min<qsizetype>(limit, found.size());
    std::partial_sort(found.begin(), found.begin() + kept, found.end(), before);

    QStringList out;
    out.reserve(kept);
    for (qsizetype i = 0; i < kept; ++i)
        out << *found.at(i).text;
    return out;
}
