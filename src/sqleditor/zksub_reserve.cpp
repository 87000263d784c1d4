#include "sqleditor/zksub_reserve.h"

#include "sqleditor/zksub_reserve_p.h"

#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"

#include <QCollator>

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
        std::sort(v.begin(), v.end(), [](const QString &a, const QString &b) { return compareFolded(a, b) < 0; });
        v.erase(std::unique(v.begin(), v.end(),
                            [](const QString &a, const QString &b) { return compareFolded(a, b) == 0; }),
                v.end());
        return v;
    }();
    return words;
}

const QString &reserveKey()
{
    static const QString key = ZK_REG_ROOT + QStringLiteral("\\RESERVE");
    return key;
}

void openReserveKey()
{
    if (!zkReg->OpenKey(reserveKey(), true))
        throw ERegistryException(QStringLiteral("レジストリキー「%1」を開けません。").arg(reserveKey()));
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

void LoadReserveWordSettings()
{
    openReserveKey();
    QStringList words = zkReg->GetValueNames();
    zkReg->CloseKey();
    // An emptied list does not survive a restart: the defaults come back.
    if (words.isEmpty())
        LoadReserveWords(words);
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(words.begin(), words.end(),
                     [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    ReserveWords = words;
}

void SaveReserveWordSettings()
{
    zkReg->DeleteKey(reserveKey());
    openReserveKey();
    // Value names are unique without regard to case: repeats are stored once.
    for (const QString &word : std::as_const(ReserveWords)) {
        if (!word.isEmpty()) // an empty name would be the key's default value
            zkReg->WriteString(word, QString());
    }
    zkReg->CloseKey();
}

void RegisterReserveWordSettings()
{
    RegisterSettingsSection(TSettingsSection::Reserve, LoadReserveWordSettings, SaveReserveWordSettings);
}
