#include "sqleditor/zksub_reserve.h"

#include "sqleditor/zksub_reserve_p.h"

#include <algorithm>
#include <vector>

namespace {

// Per UTF-16 unit, as everywhere in the SQL text engines.
int compareFolded(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = a[i].toUpper().unicode();
        const char16_t y = b[i].toUpper().unicode();
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

const std::vector<QString> &sortedWords()
{
    static const std::vector<QString> words = [] {
        std::vector<QString> v;
        v.reserve(DefaultReserveWordCount);
        for (const char *w : DefaultReserveWords)
            v.push_back(QString::fromLatin1(w));
        std::sort(v.begin(), v.end(), [](const QString &a, const QString &b) {
            return compareFolded(a, b) < 0;
        });
        v.erase(std::unique(v.begin(), v.end(),
                            [](const QString &a, const QString &b) { return compareFolded(a, b) == 0; }),
                v.end());
        return v;
    }();
    return words;
}

} // namespace

void LoadReserveWords(QStringList &List)
{
    List.reserve(List.size() + DefaultReserveWordCount);
    for (const char *w : DefaultReserveWords)
        List.append(QString::fromLatin1(w));
}

bool IsDefaultReserveWord(QStringView Word)
{
    const std::vector<QString> &words = sortedWords();
    auto it = std::lower_bound(words.begin(), words.end(), Word,
                               [](const QString &a, QStringView b) { return compareFolded(a, b) < 0; });
    return it != words.end() && compareFolded(*it, Word) == 0;
}
