#include "editorcontrol/edwrap.h"
#include "editorcontrol/MECSUtils.h"
#include "editorcontrol/edutils.h"

#include <algorithm>

// ---- TEditorWrapOption ----

const QString TEditorWrapOption::DefaultFollowStr =
    QStringLiteral("、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ");
const QString TEditorWrapOption::DefaultLeadStr = QStringLiteral("（［｛「『([{｢");
const QString TEditorWrapOption::DefaultPunctuationStr = QStringLiteral("、。，．,.｡､");

TEditorWrapOption::TEditorWrapOption(QObject *Parent)
    : TNotifyPersistent(Parent)
    , FFollowStr(DefaultFollowStr)
    , FLeadStr(DefaultLeadStr)
    , FPunctuationStr(DefaultPunctuationStr)
{
}

namespace {

template<class T>
bool store(T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

void TEditorWrapOption::SetFollowRetMark(bool Value)
{
    if (store(FFollowRetMark, Value))
        Changed();
}

void TEditorWrapOption::SetFollowPunctuation(bool Value)
{
    if (store(FFollowPunctuation, Value))
        Changed();
}

void TEditorWrapOption::SetFollowStr(const QString &Value)
{
    if (store(FFollowStr, Value))
        Changed();
}

void TEditorWrapOption::SetLeading(bool Value)
{
    if (store(FLeading, Value))
        Changed();
}

void TEditorWrapOption::SetLeadStr(const QString &Value)
{
    if (store(FLeadStr, Value))
        Changed();
}

void TEditorWrapOption::SetPunctuationStr(const QString &Value)
{
    if (store(FPunctuationStr, Value))
        Changed();
}

void TEditorWrapOption::SetWordBreak(bool Value)
{
    if (store(FWordBreak, Value))
        Changed();
}

void TEditorWrapOption::SetWrapByte(int Value)
{
    if (store(FWrapByte, std::clamp(Value, MinWrapByte, MaxWrapByte)))
        Changed();
}

void TEditorWrapOption::Assign(const QObject *Source)
{
    const auto *source = qobject_cast<const TEditorWrapOption *>(Source);
    if (!source) {
        TNotifyPersistent::Assign(Source);
        return;
    }
    FFollowRetMark = source->FFollowRetMark;
    FFollowPunctuation = source->FFollowPunctuation;
    FFollowStr = source->FFollowStr;
    FLeading = source->FLeading;
    FLeadStr = source->FLeadStr;
    FPunctuationStr = source->FPunctuationStr;
    FWordBreak = source->FWordBreak;
    FWrapByte = source->FWrapByte;
    Changed();
}

// ---- TEditorAttributeArray ----

TEditorAttributeArray::TEditorAttributeArray(QStringView Source, QStringView Attributes)
{
    NewData(Source, Attributes);
}

void TEditorAttributeArray::NewData(QStringView Source, QStringView Attributes)
{
    FSource = Source;
    FAttributes.resize(0);
    FAttributes.append(Attributes);
    FAttributes.append(QLatin1Char('0'));
    FPosition = 1;
    FSourcePos = 1; // cell 1 starts a character, and so does the terminator
}

void TEditorAttributeArray::Next()
{
    if (onTerminator())
        return;
    ++FPosition;
    if (isFirstCell(FAttributes[FPosition - 1]))
        ++FSourcePos;
}

void TEditorAttributeArray::Prior()
{
    if (FPosition <= 1)
        return;
    if (isFirstCell(FAttributes[FPosition - 1]))
        --FSourcePos;
    --FPosition;
}

void TEditorAttributeArray::SetPosition(int Value)
{
    while (FPosition < Value && !onTerminator())
        Next();
    while (FPosition > Value && FPosition > 1)
        Prior();
}

QStringView TEditorAttributeArray::PositionString() const
{
    if (onTerminator() || FSourcePos < 1 || FSourcePos > FSource.size())
        return {};
    return FSource.mid(FSourcePos - 1, 1);
}

QStringView TEditorAttributeArray::NextPositionString()
{
    if (onTerminator())
        return {};
    Next();
    const QStringView s = PositionString();
    Prior();
    return s;
}

// ---- TEditorWrapper ----

TEditorWrapper::TEditorWrapper(const TEditorWrapOption &WrapOption, const TCellMapOptions &Options)
    : m_wrap(WrapOption)
    , m_options(Options)
{
    m_options.WordWrap = true;
    m_options.WrapByte = WrapOption.WrapByte();
}

bool TEditorWrapper::inSet(QStringView Ch, const QString &Set) const
{
    return ContainsAtUnitBoundary(Ch, Set);
}

void TEditorWrapper::stepBack()
{
    m_cursor.Prior();
    if (m_cursor.Attribute() == QLatin1Char('4'))
        m_cursor.Prior();
}

int TEditorWrapper::findCut()
{
    const int w = m_options.WrapByte;
    TEditorAttributeArray &c = m_cursor;
    c.SetPosition(w);
    if (c.Position() > c.Size())
        return 0;

    if (c.Attribute() == QLatin1Char('4')) {
        c.Prior();
    } else if (m_wrap.WordBreak() && c.Size() > w) {
        auto breaksAfter = [&c] {
            const QChar a = c.Attribute();
            return a == QLatin1Char('2') || a == QLatin1Char('3') || a == QLatin1Char('5');
        };
        while (!breaksAfter() && c.Position() > w / 3)
            stepBack();
    }

    if (m_wrap.FollowPunctuation()) {
        while (c.Position() < w + 2 && inSet(c.NextPositionString(), m_wrap.PunctuationStr())) {
            c.Next();
            if (c.Attribute() == QLatin1Char('4'))
                c.Next();
        }
    }

    if (m_wrap.Leading() && c.Position() < c.Size()) {
        const int floor = (w / 5) * 4;
        while (c.Position() > floor && inSet(c.PositionString(), m_wrap.LeadStr()))
            stepBack();
        if (c.Position() + 1 < c.Size() && inSet(c.NextPositionString(), m_wrap.FollowStr())) {
            while (
                c.Position() > floor
                && (inSet(c.PositionString(), m_wrap.LeadStr()) || inSet(c.NextPositionString(), m_wrap.FollowStr())))
                stepBack();
        }
    }

    int n = c.SourcePos();
    // Never leave the two halves of a surrogate pair on two rows: the cut
    // moves before the high surrogate.
    const QStringView source = c.Source();
    if (n >= 1 && n < source.size() && IsHighSurrogate(source[n - 1].unicode()) && IsLowSurrogate(source[n].unicode()))
        n = n > 1 ? n - 1 : n + 1;
    return n;
}

int TEditorWrapper::FindCut(QStringView Line)
{
    CellMapInto(Line, m_options, m_map);
    if (m_map.size() < m_options.WrapByte)
        return 0;
    m_cursor.NewData(Line, m_map);
    return findCut();
}

int TEditorWrapper::RowCount(QStringView Line)
{
    int rows = 0;
    WrapLine(Line, [&rows](QStringView, bool) { ++rows; });
    return rows;
}
