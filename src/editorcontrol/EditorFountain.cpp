#include "editorcontrol/EditorFountain.h"
#include "editorcontrol/edsettings_p.h"

using EdSettings::inUpdate;

// ---- TEditorColors ----

TEditorColors::TEditorColors(TEditorFountain *Fountain)
    : FAnk(makeColor())
    , FComment(makeColor())
    , FDBCS(makeColor())
    , FHit(makeColor())
    , FInt(makeColor())
    , FMail(makeColor())
    , FSelect(makeColor())
    , FStr(makeColor())
    , FSymbol(makeColor())
    , FUrl(makeColor())
    , FFountain(Fountain)
{
    FSelect->SetColor(clWhite);
    FSelect->SetBkColor(clNavy);
    // Hooked only now: the defaults are no change.
    for (TEditorColor *c : {FAnk.get(), FComment.get(), FDBCS.get(), FHit.get(), FInt.get(), FMail.get(), FSelect.get(),
                            FStr.get(), FSymbol.get(), FUrl.get()})
        c->OnChange = TNotifyEvent(static_cast<TNotifyPersistent *>(this), &TNotifyPersistent::ChangedProc);
}

TEditorColors::~TEditorColors()
{
    for (TEditorColor *c : {FAnk.get(), FComment.get(), FDBCS.get(), FHit.get(), FInt.get(), FMail.get(), FSelect.get(),
                            FStr.get(), FSymbol.get(), FUrl.get()})
        c->OnChange = {};
}

std::unique_ptr<TEditorColor> TEditorColors::makeColor()
{
    return std::make_unique<TEditorColor>();
}

TFountainColor *TEditorColors::Reserve() const
{
    return FFountain->Reserve();
}

void TEditorColors::SetReserve(const TFountainColor *Value)
{
    FFountain->SetReserve(Value);
}

void TEditorColors::Assign(const QObject *Source)
{
    const auto &source = EdSettings::sourceAs<TEditorColors>(Source, this);
    inUpdate(*this, [&] {
        FAnk->Assign(source.FAnk.get());
        FComment->Assign(source.FComment.get());
        FDBCS->Assign(source.FDBCS.get());
        FHit->Assign(source.FHit.get());
        FInt->Assign(source.FInt.get());
        FMail->Assign(source.FMail.get());
        SetReserve(source.Reserve());
        FSelect->Assign(source.FSelect.get());
        FStr->Assign(source.FStr.get());
        FSymbol->Assign(source.FSymbol.get());
        FUrl->Assign(source.FUrl.get());
    });
}

void TEditorColors::ColorMembers(QList<QObject *> &Members) const
{
    Members << FAnk.get() << FComment.get() << FDBCS.get() << FHit.get() << FInt.get() << FMail.get() << Reserve()
            << FSelect.get() << FStr.get() << FSymbol.get() << FUrl.get();
}

// ---- TEditorBracketCollection ----

namespace {

template<class F>
void forEachPairColor(TEditorBracketCollection &Pairs, F Set)
{
    inUpdate(Pairs, [&] {
        for (int i = 0; i < Pairs.Count(); ++i)
            Set(*Pairs.GetBracketItem(i)->ItemColor());
    });
}

} // namespace

void TEditorBracketCollection::SameBkColor(TColor Value)
{
    forEachPairColor(*this, [Value](TFountainColor &c) { c.SetBkColor(Value); });
}

void TEditorBracketCollection::SameColor(TColor Value)
{
    forEachPairColor(*this, [Value](TFountainColor &c) { c.SetColor(Value); });
}

void TEditorBracketCollection::SameStyle(TFontStyles Value)
{
    forEachPairColor(*this, [Value](TFountainColor &c) { c.SetStyle(Value); });
}

// ---- TEditorFountain ----

TEditorFountain::TEditorFountain(QObject *AOwner)
    : TFountain(AOwner)
{
    // The base constructor could not reach this class's bracket factory.
    FBrackets = CreateBrackets();
    FColors = CreateColors();
}

TEditorFountain::~TEditorFountain()
{
    if (FColors)
        FColors->OnChange = {};
}

std::unique_ptr<TEditorColors> TEditorFountain::CreateColors()
{
    auto colors = std::make_unique<TEditorColors>(this);
    colors->OnChange =
        TNotifyEvent(static_cast<TNotifyPersistent *>(FNotifyEventList.get()), &TNotifyPersistent::ChangedProc);
    return colors;
}

std::unique_ptr<TFountainBracketCollection> TEditorFountain::CreateBrackets()
{
    auto brackets = std::make_unique<TEditorBracketCollection>(this);
    brackets->OnChange =
        TNotifyEvent(static_cast<TNotifyPersistent *>(FNotifyEventList.get()), &TNotifyPersistent::ChangedProc);
    return brackets;
}

TFountainParserClass TEditorFountain::GetParserClass() const
{
    return [](TFountain *Fountain) -> std::unique_ptr<TFountainParser> {
        return std::make_unique<TEditorParser>(qobject_cast<TEditorFountain *>(Fountain));
    };
}

void TEditorFountain::spread(const TFountainColor &Value, TFountainColorOperations Operations)
{
    inUpdate(*FNotifyEventList, [&] { SameFountainColor(FColors.get(), &Value, Operations); });
}

void TEditorFountain::SameBkColor(TColor Value)
{
    TFountainColor color;
    color.SetBkColor(Value);
    spread(color, coBkColor);
}

void TEditorFountain::SameColor(TColor Value)
{
    TFountainColor color;
    color.SetColor(Value);
    spread(color, coColor);
}

void TEditorFountain::SameStyle(TFontStyles Value)
{
    TFountainColor color;
    color.SetStyle(Value);
    spread(color, coStyle);
}

void TEditorFountain::SameFountainColorProc(QObject *Value)
{
    // The selection and search-hit colours keep their own.
    if (Value == FColors->Select() || Value == FColors->Hit())
        return;
    TFountain::SameFountainColorProc(Value);
}

void TEditorFountain::ColorMembers(QList<QObject *> &Members) const
{
    Members << FBrackets.get() << FColors.get() << FReserve.get();
}

// ---- TEditorParser ----

TEditorParser::TEditorParser(TEditorFountain *Fountain)
    : TFountainParser(Fountain)
{
    InitMethodTable();
}

void TEditorParser::InitMethodTable()
{
    TFountainParser::InitMethodTable();
    FTokenMethodTable[ftkQuotation] = static_cast<TParserMethod>(&TEditorParser::QuotationProc);
    FTokenMethodTable[ftkControlCode] = static_cast<TParserMethod>(&TEditorParser::ControlCodeProc);
    FTokenMethodTable[ftkControlCodeHex] = static_cast<TParserMethod>(&TEditorParser::ControlCodeHexProc);
}

bool TEditorParser::IsMultiRowToken(char16_t Kind) const
{
    return Kind == ftkQuotation || TFountainParser::IsMultiRowToken(Kind);
}

void TEditorParser::DispatchProc()
{
    const TEditorFountain *fountain = editorFountain();
    if (FBracketIndex == -1 && IsBracketStart())
        BracketProc();
    else if (fountain->Mail() && IsMailStart())
        MailProc();
    else if (fountain->Url() && IsUrlStart())
        UrlProc();
    else if (IsCommenter())
        CommentProc();
    else if (IsQuotation())
        QuotationProc();
    else if (IsControlCodeHex())
        ControlCodeHexProc();
    else if (IsControlCode())
        ControlCodeProc();
    else if (IsHexPrefix())
        HexProc();
    else
        callCharMethod();
}

bool TEditorParser::IsCommenter()
{
    const QString &commenter = editorFountain()->Commenter();
    if (commenter.isEmpty() || !matchAt(FP, commenter))
        return false;
    FP += commenter.size();
    return true;
}

namespace {

char16_t firstUnit(const QString &S)
{
    return S.isEmpty() ? 0 : S.front().unicode();
}

char16_t upperAscii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
}

} // namespace

bool TEditorParser::IsQuotation()
{
    const char16_t q = firstUnit(editorFountain()->Quotation());
    const char16_t dq = firstUnit(editorFountain()->DoubleQuotation());
    if ((q != 0 && *FP == q) || (dq != 0 && *FP == dq)) {
        ++FP;
        return true;
    }
    return false;
}

void TEditorParser::QuotationProc()
{
    FToken = ftkQuotation;
    // Either quotation character closes, whichever opened.
    const char16_t q = firstUnit(editorFountain()->Quotation());
    const char16_t dq = firstUnit(editorFountain()->DoubleQuotation());
    auto closes = [q, dq](char16_t c) { return c != 0 && (c == q || c == dq); };
    while (!IsEndUnit(*FP)) {
        if (!closes(*FP)) {
            ++FP;
        } else if (closes(FP[1])) {
            FP += 2; // a doubled closing character is one character of the string
        } else {
            ++FP;
            return;
        }
    }
}

bool TEditorParser::IsControlCodeHex()
{
    if (!editorFountain()->ControlCode() || FP[0] != u'#' || FP[1] != u'$')
        return false;
    FP += 2;
    return true;
}

void TEditorParser::ControlCodeHexProc()
{
    FToken = ftkControlCodeHex;
    while (IsHexDigitUnit(*FP))
        ++FP;
}

bool TEditorParser::IsControlCode()
{
    if (!editorFountain()->ControlCode() || *FP != u'#')
        return false;
    ++FP;
    return true;
}

void TEditorParser::ControlCodeProc()
{
    FToken = ftkControlCode;
    while (IsDigitUnit(*FP))
        ++FP;
}

bool TEditorParser::IsHexPrefix()
{
    const QString &prefix = editorFountain()->HexPrefix();
    if (prefix.isEmpty())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (FP[i] == 0 || upperAscii(FP[i]) != upperAscii(prefix[i].unicode()))
            return false;
    }
    FP += prefix.size();
    return true;
}

TFountainColor *TEditorParser::TokenToFountainColor()
{
    if (IsReserveWord())
        return FFountain->Reserve();
    const TEditorColors *colors = editorFountain()->Colors();
    switch (FToken) {
    case ftkSymbol: return colors->Symbol();
    case ftkInteger:
    case ftkFloat:
    case ftkHex: return colors->Int();
    case ftkBracket: {
        const TFountainBracketCollection *brackets = FFountain->Brackets();
        if (FDrawBracketIndex >= 0 && FDrawBracketIndex < brackets->Count())
            return brackets->GetBracketItem(FDrawBracketIndex)->ItemColor();
        return nullptr;
    }
    case ftkComment: return colors->Comment();
    case ftkReserve: return FFountain->Reserve();
    case ftkAnk: return colors->Ank();
    case ftkWide:
    case 14:
    case 15:
    case 16:
    case 17:
    case ftkDbcsRun:
    case ftkKanaSymbol:
    case ftkKana: return colors->DBCS();
    case ftkUrl: return colors->Url();
    case ftkMail: return colors->Mail();
    case ftkQuotation:
    case ftkControlCode:
    case ftkControlCodeHex: return colors->Str();
    default: return nullptr;
    }
}
