#include "editorcontrol/edcontrol_settings.h"
#include "editorcontrol/edsettings_p.h"

#include <algorithm>

using namespace EdSettings;

namespace {

int clampMargin(int Value)
{
    return std::clamp(Value, 0, TEditorMargin::MaxMargin);
}

} // namespace

// A setter that stores the value as Expr gives it (clamped) when it differs,
// and reports the change.
#define ZK_NOTIFYING_SETTER(Class, Name, Type, Expr) \
    void Class::Set##Name(Type Value) \
    { \
        if (store(F##Name, Expr)) \
            Changed(); \
    }

// ---- TEditorCursors ----

TEditorCursors::TEditorCursors(QObject *Parent)
    : TNotifyPersistent(Parent)
{
}

void TEditorCursors::Assign(const QObject *Source)
{
    const TEditorCursors &s = sourceAs<TEditorCursors>(Source, this);
    FDefaultCursor = s.FDefaultCursor;
    FDragSelCursor = s.FDragSelCursor;
    FDragSelCopyCursor = s.FDragSelCopyCursor;
    FInSelCursor = s.FInSelCursor;
    FLeftMarginCursor = s.FLeftMarginCursor;
    FTopMarginCursor = s.FTopMarginCursor;
    Changed();
}

// ---- TEditorCaret ----

TEditorCaret::TEditorCaret(QObject *Parent)
    : TNotifyPersistent(Parent)
    , FCursors(std::make_unique<TEditorCursors>())
{
}

TEditorCaret::~TEditorCaret() = default;

ZK_NOTIFYING_SETTER(TEditorCaret, Style, TEditorCaretStyle, Value)
ZK_NOTIFYING_SETTER(TEditorCaret, TabSpaceCount, int, std::max(2, std::min(8, Value)) & ~1)

void TEditorCaret::Assign(const QObject *Source)
{
    const TEditorCaret &s = sourceAs<TEditorCaret>(Source, this);
    inUpdate(*this, [&] {
        FAutoCursor = s.FAutoCursor;
        FAutoIndent = s.FAutoIndent;
        FBackSpaceUnIndent = s.FBackSpaceUnIndent;
        FCursors->Assign(s.FCursors.get());
        FFreeCaret = s.FFreeCaret;
        FFreeRow = s.FFreeRow;
        FInTab = s.FInTab;
        FKeepCaret = s.FKeepCaret;
        FLockScroll = s.FLockScroll;
        FNextLine = s.FNextLine;
        FPrevSpaceIndent = s.FPrevSpaceIndent;
        FRowSelect = s.FRowSelect;
        FSelDragMode = s.FSelDragMode;
        FSelMove = s.FSelMove;
        FSoftTab = s.FSoftTab;
        FStyle = s.FStyle;
        FTabIndent = s.FTabIndent;
        FTabSpaceCount = s.FTabSpaceCount;
    });
}

// ---- TEditorMargin ----

TEditorMargin::TEditorMargin(QObject *Parent)
    : TNotifyPersistent(Parent)
{
}

ZK_NOTIFYING_SETTER(TEditorMargin, Character, int, clampMargin(Value))
ZK_NOTIFYING_SETTER(TEditorMargin, Left, int, clampMargin(Value))
ZK_NOTIFYING_SETTER(TEditorMargin, Line, int, clampMargin(Value))
ZK_NOTIFYING_SETTER(TEditorMargin, Top, int, clampMargin(Value))

void TEditorMargin::Assign(const QObject *Source)
{
    const TEditorMargin &s = sourceAs<TEditorMargin>(Source, this);
    inUpdate(*this, [&] {
        FCharacter = s.FCharacter;
        FLeft = s.FLeft;
        FLine = s.FLine;
        FTop = s.FTop;
        FUnderline = s.FUnderline;
    });
}

// ---- TEditorMark, TEditorMarks ----

TEditorMark::TEditorMark(QObject *Parent)
    : TNotifyPersistent(Parent)
{
}

ZK_NOTIFYING_SETTER(TEditorMark, Color, TColor, Value)
ZK_NOTIFYING_SETTER(TEditorMark, Visible, bool, Value)

void TEditorMark::Assign(const QObject *Source)
{
    const TEditorMark &s = sourceAs<TEditorMark>(Source, this);
    FColor = s.FColor;
    FVisible = s.FVisible;
    Changed();
}

TEditorMarks::TEditorMarks(QObject *Parent)
    : TNotifyPersistent(Parent)
{
    for (auto &mark : FMarks) {
        mark = std::make_unique<TEditorMark>();
        mark->OnChange = TNotifyEvent(static_cast<TNotifyPersistent *>(this), &TNotifyPersistent::ChangedProc);
    }
}

TEditorMarks::~TEditorMarks()
{
    for (auto &mark : FMarks)
        mark->OnChange = {};
}

void TEditorMarks::Assign(const QObject *Source)
{
    const TEditorMarks &s = sourceAs<TEditorMarks>(Source, this);
    inUpdate(*this, [&] {
        for (int i = 0; i < 8; ++i)
            FMarks[i]->Assign(s.FMarks[i].get());
    });
}

// ---- TEditorViewInfo ----

TEditorViewInfo::TEditorViewInfo(QObject *Owner)
    : m_owner(Owner)
    , FEditorFountain(CreateEditorFountain())
{
}

TEditorViewInfo::~TEditorViewInfo()
{
    FEditorFountain->NotifyEventList()->Remove(
        TNotifyEvent(static_cast<TNotifyPersistent *>(this), &TNotifyPersistent::ChangedProc));
}

std::unique_ptr<TEditorFountain> TEditorViewInfo::CreateEditorFountain()
{
    auto fountain = std::make_unique<TEditorFountain>();
    fountain->NotifyEventList()->Add(
        TNotifyEvent(static_cast<TNotifyPersistent *>(this), &TNotifyPersistent::ChangedProc));
    return fountain;
}

void TEditorViewInfo::SetCommenter(const QString &Value)
{
    if (Value == Commenter())
        return;
    FEditorFountain->SetCommenter(Value);
    Changed();
}

void TEditorViewInfo::SetControlCode(bool Value)
{
    if (Value == ControlCode())
        return;
    FEditorFountain->SetControlCode(Value);
    Changed();
}

void TEditorViewInfo::SetHexPrefix(const QString &Value)
{
    if (Value == HexPrefix())
        return;
    FEditorFountain->SetHexPrefix(Value);
    Changed();
}

void TEditorViewInfo::SetMail(bool Value)
{
    if (Value == Mail())
        return;
    FEditorFountain->SetMail(Value);
    Changed();
}

void TEditorViewInfo::SetQuotation(const QString &Value)
{
    const QString first = Value.left(1);
    if (first == Quotation())
        return;
    FEditorFountain->SetQuotation(first);
    Changed();
}

void TEditorViewInfo::SetDoubleQuotation(const QString &Value)
{
    const QString first = Value.left(1);
    if (first == DoubleQuotation())
        return;
    FEditorFountain->SetDoubleQuotation(first);
    Changed();
}

void TEditorViewInfo::SetUrl(bool Value)
{
    if (Value == Url())
        return;
    FEditorFountain->SetUrl(Value);
    Changed();
}

void TEditorViewInfo::Assign(const QObject *Source)
{
    const TEditorViewInfo &s = sourceAs<TEditorViewInfo>(Source, this);
    inUpdate(*this, [&] {
        SetBrackets(s.Brackets());
        SetColors(s.Colors());
        SetCommenter(s.Commenter());
        SetControlCode(s.ControlCode());
        SetHexPrefix(s.HexPrefix());
        SetMail(s.Mail());
        SetQuotation(s.Quotation());
        SetDoubleQuotation(s.DoubleQuotation());
        SetUrl(s.Url());
    });
}

void TEditorViewInfo::ColorMembers(QList<QObject *> &Members) const
{
    Members << Brackets() << Colors();
}

// ---- TEditorRuler ----

TEditorRuler::TEditorRuler(QObject *Parent)
    : TNotifyPersistent(Parent)
{
}

ZK_NOTIFYING_SETTER(TEditorRuler, BkColor, TColor, Value)
ZK_NOTIFYING_SETTER(TEditorRuler, Color, TColor, Value)
ZK_NOTIFYING_SETTER(TEditorRuler, Edge, bool, Value)
ZK_NOTIFYING_SETTER(TEditorRuler, GaugeRange, int, std::max(8, std::min(10, Value)) & ~1)
ZK_NOTIFYING_SETTER(TEditorRuler, MarkColor, TColor, Value)
ZK_NOTIFYING_SETTER(TEditorRuler, Visible, bool, Value)

void TEditorRuler::Assign(const QObject *Source)
{
    const TEditorRuler &s = sourceAs<TEditorRuler>(Source, this);
    FBkColor = s.FBkColor;
    FColor = s.FColor;
    FEdge = s.FEdge;
    FGaugeRange = s.FGaugeRange;
    FMarkColor = s.FMarkColor;
    FVisible = s.FVisible;
    Changed();
}

// ---- TEditorLeftbar ----

TEditorLeftbar::TEditorLeftbar(QObject *Parent)
    : TNotifyPersistent(Parent)
{
}

ZK_NOTIFYING_SETTER(TEditorLeftbar, BkColor, TColor, Value)
ZK_NOTIFYING_SETTER(TEditorLeftbar, Color, TColor, Value)
ZK_NOTIFYING_SETTER(TEditorLeftbar, Column, int, std::clamp(Value, 1, 8))
ZK_NOTIFYING_SETTER(TEditorLeftbar, Edge, bool, Value)
ZK_NOTIFYING_SETTER(TEditorLeftbar, LeftMargin, int, clampMargin(Value))
ZK_NOTIFYING_SETTER(TEditorLeftbar, RightMargin, int, clampMargin(Value))
ZK_NOTIFYING_SETTER(TEditorLeftbar, ShowNumber, bool, Value)
ZK_NOTIFYING_SETTER(TEditorLeftbar, ShowNumberMode, TEditorShowNumberMode, Value)
ZK_NOTIFYING_SETTER(TEditorLeftbar, Visible, bool, Value)
ZK_NOTIFYING_SETTER(TEditorLeftbar, ZeroBase, bool, Value)
ZK_NOTIFYING_SETTER(TEditorLeftbar, ZeroLead, bool, Value)

void TEditorLeftbar::Assign(const QObject *Source)
{
    const TEditorLeftbar &s = sourceAs<TEditorLeftbar>(Source, this);
    FBkColor = s.FBkColor;
    FColor = s.FColor;
    FColumn = s.FColumn;
    FEdge = s.FEdge;
    FLeftMargin = s.FLeftMargin;
    FRightMargin = s.FRightMargin;
    FShowNumber = s.FShowNumber;
    FShowNumberMode = s.FShowNumberMode;
    FVisible = s.FVisible;
    FZeroBase = s.FZeroBase;
    FZeroLead = s.FZeroLead;
    Changed();
}

// ---- TEditorImagebar ----

TEditorImagebar::TEditorImagebar(QObject *Parent)
    : TNotifyPersistent(Parent)
{
}

ZK_NOTIFYING_SETTER(TEditorImagebar, DigitWidth, int, clampMargin(Value))
ZK_NOTIFYING_SETTER(TEditorImagebar, LeftMargin, int, clampMargin(Value))
ZK_NOTIFYING_SETTER(TEditorImagebar, MarkWidth, int, clampMargin(Value))
ZK_NOTIFYING_SETTER(TEditorImagebar, RightMargin, int, clampMargin(Value))
ZK_NOTIFYING_SETTER(TEditorImagebar, Visible, bool, Value)

void TEditorImagebar::Assign(const QObject *Source)
{
    const TEditorImagebar &s = sourceAs<TEditorImagebar>(Source, this);
    FDigitWidth = s.FDigitWidth;
    FLeftMargin = s.FLeftMargin;
    FMarkWidth = s.FMarkWidth;
    FRightMargin = s.FRightMargin;
    FVisible = s.FVisible;
    Changed();
}

// ---- TEditorSpeed ----

TEditorSpeed::TEditorSpeed(QObject *Parent)
    : QObject(Parent)
{
}

void TEditorSpeed::SetCaretVerticalAc(int Value)
{
    FCaretVerticalAc = std::clamp(Value, MinSpeed, MaxSpeed);
}

void TEditorSpeed::SetPageVerticalRange(int Value)
{
    FPageVerticalRange = std::clamp(Value, MinSpeed, MaxSpeed);
}

void TEditorSpeed::SetPageVerticalRangeAc(int Value)
{
    FPageVerticalRangeAc = std::clamp(Value, MinSpeed, MaxSpeed);
}

void TEditorSpeed::Assign(const QObject *Source)
{
    const TEditorSpeed &s = sourceAs<TEditorSpeed>(Source, this);
    FCaretVerticalAc = s.FCaretVerticalAc;
    FInitBracketsFull = s.FInitBracketsFull;
    FPageVerticalRange = s.FPageVerticalRange;
    FPageVerticalRangeAc = s.FPageVerticalRangeAc;
}

TEditorSettingsHost::~TEditorSettingsHost() = default;
