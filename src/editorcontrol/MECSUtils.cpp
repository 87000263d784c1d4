#include "editorcontrol/MECSUtils.h"
#include "editorcontrol/MECSUtils_p.h"

#include "core/zkreg.h"
#include "core/zksub.h"

#include <QLocale>

#include <algorithm>
#include <atomic>

using namespace MECSTables;

qint32 LcidFromLocaleName(const QString &Name)
{
    // Only the locales whose identifier decides something here, and English.
    const QLocale locale(Name);
    switch (locale.language()) {
    case QLocale::Japanese: return 1041;
    case QLocale::Korean: return 1042;
    case QLocale::Chinese:
        switch (locale.territory()) {
        case QLocale::Taiwan: return 1028;
        case QLocale::HongKong: return 3076;
        case QLocale::Singapore: return 4100;
        default: return 2052;
        }
    case QLocale::English: return locale.territory() == QLocale::UnitedKingdom ? 2057 : 1033;
    default: return 0;
    }
}

const qint32 UserDefaultLCID = LcidFromLocaleName(QLocale::system().name());

TEastAsianWidth GetEastAsianWidth(char32_t CodePoint)
{
    if (CodePoint < 0x20)
        return eawNeutral;
    if (CodePoint < 0x7F)
        return eawNarrow;
    const WidthRange *end = WidthRanges + WidthRangeCount;
    const WidthRange *it =
        std::upper_bound(WidthRanges, end, CodePoint, [](char32_t cp, const WidthRange &r) { return cp < r.First; });
    if (it == WidthRanges)
        return eawNeutral;
    --it;
    return CodePoint <= it->Last ? it->Class : eawNeutral;
}

bool IsCombiningChar(char32_t CodePoint)
{
    if (CodePoint < 0x300)
        return false;
    const CodeRange *end = CombiningRanges + CombiningRangeCount;
    const CodeRange *it =
        std::upper_bound(CombiningRanges, end, CodePoint, [](char32_t cp, const CodeRange &r) { return cp < r.First; });
    if (it == CombiningRanges)
        return false;
    --it;
    return CodePoint <= it->Last;
}

int StrSurrogateType(const char16_t *Buffer, int Index)
{
    if (!Buffer || Index <= 0)
        return 0;
    for (int i = 0; i < Index; ++i) {
        if (Buffer[i] == 0)
            return 0;
    }
    const char16_t unit = Buffer[Index];
    if (IsHighSurrogate(unit))
        return 1;
    if (IsLowSurrogate(unit))
        return 2;
    return 0;
}

int SurrogateTypeAt(const QString &S, int Position)
{
    if (Position < 1 || Position > S.size())
        return 0;
    return StrSurrogateType(reinterpret_cast<const char16_t *>(S.utf16()), Position - 1);
}

std::vector<char32_t> UTF16ToUCS4(QStringView S)
{
    std::vector<char32_t> result;
    if (S.isEmpty())
        return result;
    const qsizetype n = S.size();
    qsizetype count = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = S[i].unicode();
        if (IsHighSurrogate(u)) {
            if (i + 1 < n && IsLowSurrogate(S[i + 1].unicode())) {
                ++count;
                ++i;
            }
        } else if (!IsLowSurrogate(u)) {
            ++count;
        }
    }
    result.reserve(count + 1);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = S[i].unicode();
        if (IsHighSurrogate(u)) {
            if (i + 1 < n && IsLowSurrogate(S[i + 1].unicode())) {
                result.push_back(((char32_t(u) - 0xD800) << 10) + (char32_t(S[i + 1].unicode()) - 0xDC00) + 0x10000);
                ++i;
            }
        } else if (!IsLowSurrogate(u)) {
            result.push_back(u);
        }
    }
    result.push_back(0);
    return result;
}

bool IsWideCodePoint(char32_t CodePoint, bool AmbiguousWide)
{
    switch (GetEastAsianWidth(CodePoint)) {
    case eawFullwidth:
    case eawWide: return true;
    case eawAmbiguous: return AmbiguousWide;
    default: return false;
    }
}

bool IsWideCharAt(const QString &S, int Position, bool AmbiguousWide)
{
    const std::vector<char32_t> cps = UTF16ToUCS4(S);
    if (cps.size() <= 1 || Position < 1 || Position > int(cps.size()) - 1)
        return false;
    return IsWideCodePoint(cps[Position - 1], AmbiguousWide);
}

bool IsAmbiguousWideCharset(quint8 Charset)
{
    switch (Charset) {
    case 128: // SHIFTJIS
    case 129: // HANGEUL
    case 130: // JOHAB
    case 134: // GB2312
    case 136: // CHINESEBIG5
        return true;
    default: return false;
    }
}

bool IsAmbiguousWideLocale(qint32 Lcid)
{
    switch (Lcid) {
    case 1028:
    case 1041:
    case 1042:
    case 2052:
    case 3076:
    case 4100: return true;
    default: return false;
    }
}

namespace {

// -1 not decided yet, else 0 or 1.
std::atomic<int> ambiguousWide{-1};

int readAmbiguousWide()
{
    int stored = -1;
    try {
        TzkRegistry reg(HKEY_CURRENT_USER, KEY_READ);
        if (reg.OpenKeyReadOnly(ZK_REG_ROOT + QStringLiteral("\\EDITOR"))
            && reg.ValueExists(QStringLiteral("AmbiguousWide")))
            stored = reg.GetInteger(QStringLiteral("AmbiguousWide"), -1);
    } catch (const Exception &) {
        stored = -1; // an unreadable store leaves the locale to decide
    }
    if (stored == 0 || stored == 1)
        return stored;
    return IsAmbiguousWideLocale(UserDefaultLCID) ? 1 : 0;
}

} // namespace

bool DefaultAmbiguousWide()
{
    int value = ambiguousWide.load(std::memory_order_relaxed);
    if (value < 0) {
        value = readAmbiguousWide();
        ambiguousWide.store(value, std::memory_order_relaxed);
    }
    return value == 1;
}

void SetAmbiguousWideOverride(int Value)
{
    ambiguousWide.store(Value == 0 || Value == 1 ? Value : -1, std::memory_order_relaxed);
}
