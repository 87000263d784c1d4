#include "platform/fonts/fontmap.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace {
struct Entry
{
    const char16_t *windowsName;
    const char16_t *face;
    bool fixedPitch;
};

// One table for the whole program.
constexpr Entry kTable[] = {
    {u"ＭＳ ゴシック", u"Noto Sans Mono CJK JP", true},
    {u"MS Gothic", u"Noto Sans Mono CJK JP", true},
    {u"ＭＳ Ｐゴシック", u"Noto Sans CJK JP", false},
    {u"MS PGothic", u"Noto Sans CJK JP", false},
    {u"MS UI Gothic", u"Noto Sans CJK JP", false},
    {u"ＭＳ 明朝", u"Noto Serif CJK JP", true},
    {u"ＭＳ Ｐ明朝", u"Noto Serif CJK JP", false},
    {u"メイリオ", u"Noto Sans CJK JP", false},
    {u"Meiryo", u"Noto Sans CJK JP", false},
    {u"Meiryo UI", u"Noto Sans CJK JP", false},
    {u"Yu Gothic UI", u"Noto Sans CJK JP", false},
    {u"FixedSys", u"Noto Sans Mono CJK JP", true},
    {u"Terminal", u"Noto Sans Mono CJK JP", true},
    {u"Courier New", u"Noto Sans Mono CJK JP", true},
    {u"Consolas", u"Noto Sans Mono CJK JP", true},
    {u"Tahoma", u"Noto Sans CJK JP", false},
    {u"Segoe UI", u"Noto Sans CJK JP", false},
    {u"Arial", u"Noto Sans CJK JP", false},
};

const Entry *find(const QString &name)
{
    for (const Entry &e : kTable)
        if (name.compare(QString::fromUtf16(e.windowsName), Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}
} // namespace

void FontMap::install()
{
    for (const Entry &e : kTable) {
        const QString face = QString::fromUtf16(e.face);
        const QString fallback = e.fixedPitch ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans");
        QFont::insertSubstitutions(QString::fromUtf16(e.windowsName), QStringList{face, fallback});
    }
}

QString FontMap::substitute(const QString &windowsName)
{
    const Entry *e = find(windowsName);
    return e ? QString::fromUtf16(e->face) : windowsName;
}

bool FontMap::isFixedPitchName(const QString &windowsName)
{
    const Entry *e = find(windowsName);
    return e && e->fixedPitch;
}

QStringList FontMap::families()
{
    QStringList list = QFontDatabase::families();
    for (const Entry &e : kTable)
        if (QFontDatabase::hasFamily(QString::fromUtf16(e.face)))
            list.append(QString::fromUtf16(e.windowsName));
    list.removeDuplicates();
    return list;
}
