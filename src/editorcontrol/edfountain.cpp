#include "editorcontrol/edfountain.h"
#include "editorcontrol/MECSUtils.h"
#include "editorcontrol/edsettings_p.h"

using EdSettings::store;

namespace {

// A set of units 0..255 as a bit table.
class UnitSet
{
public:
    constexpr UnitSet(const char *Chars)
    {
        for (const char *c = Chars; *c; ++c) {
            if (c[1] == '-' && c[2]) {
                for (unsigned u = static_cast<unsigned char>(c[0]); u <= static_cast<unsigned char>(c[2]); ++u)
                    set(u);
                c += 2;
            } else {
                set(static_cast<unsigned char>(*c));
            }
        }
    }
    constexpr bool contains(char16_t Unit) const { return Unit < 256 && (m_bits[Unit >> 6] >> (Unit & 63)) & 1; }

private:
    constexpr void set(unsigned u) { m_bits[u >> 6] |= quint64(1) << (u & 63); }
    quint64 m_bits[4] = {};
};

// A '-' of its own is written first, before any range.
constexpr UnitSet MailChars("-!$%&*,./0-9;=?@A-Z^_a-z~");
constexpr UnitSet UrlChars("-#%&+./0-9:=?A-Z_a-z~");
constexpr UnitSet PhraseChars("-()1-9A-Za-z");

} // namespace

bool IsMailChar(char16_t Unit)
{
    return MailChars.contains(Unit);
}

bool IsUrlChar(char16_t Unit)
{
    return UrlChars.contains(Unit);
}

bool IsPhraseChar(char16_t Unit)
{
    return PhraseChars.contains(Unit);
}

TFountainColorMembers::~TFountainColorMembers() = default;

// ---- TFountainColor ----

TFountainColor::TFountainColor(QObject *Parent)
    : TNotifyPersistent(Parent)
{
}

void TFountainColor::SetVisible(bool Value)
{
    if (store(FVisible, Value))
        Changed();
}

void TFountainColor::SetBkColor(TColor Value)
{
    if (store(FBkColor, Value))
        Changed();
}

void TFountainColor::SetColor(TColor Value)
{
    if (store(FColor, Value))
        Changed();
}

void TFountainColor::SetStyle(TFontStyles Value)
{
    if (store(FStyle, Value))
        Changed();
}

void TFountainColor::Assign(const QObject *Source)
{
    const auto &source = EdSettings::sourceAs<TFountainColor>(Source, this);
    FVisible = source.FVisible;
    FBkColor = source.FBkColor;
    FColor = source.FColor;
    FStyle = source.FStyle;
    Changed();
}

// ---- TFountainColorItem, TFountainBracketItem ----

TFountainColorItem::TFountainColorItem(TNotifyCollection *Collection)
    : TCollectionItem(Collection)
    , FItemColor(std::make_unique<TFountainColor>())
{
    if (Collection)
        FItemColor->OnChange = TNotifyEvent(Collection, &TNotifyCollection::ChangedProc);
}

TFountainColorItem::~TFountainColorItem()
{
    FItemColor->OnChange = {};
}

void TFountainColorItem::SetItemColor(TFountainColor *Value)
{
    FItemColor->Assign(Value);
}

void TFountainColorItem::Assign(const QObject *Source)
{
    if (const auto *source = qobject_cast<const TFountainColorItem *>(Source))
        FItemColor->Assign(source->FItemColor.get());
    else
        TCollectionItem::Assign(Source);
}

void TFountainColorItem::ColorMembers(QList<QObject *> &Members) const
{
    Members.append(FItemColor.get());
}

void TFountainBracketItem::SetLeftBracket(const QString &Value)
{
    if (store(FLeftBracket, Value))
        Changed();
}

void TFountainBracketItem::SetRightBracket(const QString &Value)
{
    if (store(FRightBracket, Value))
        Changed();
}

void TFountainBracketItem::Assign(const QObject *Source)
{
    if (const auto *source = qobject_cast<const TFountainBracketItem *>(Source)) {
        FLeftBracket = source->FLeftBracket;
        FRightBracket = source->FRightBracket;
    }
    TFountainColorItem::Assign(Source);
}

// ---- TFountainBracketCollection ----

TFountainBracketCollection::TFountainBracketCollection(QObject *Owner)
    : TNotifyCollection(Owner)
{
}

TFountainBracketItem *TFountainBracketCollection::Add()
{
    if (Count() >= MaxBracketCount)
        throw Exception(
            QStringLiteral("TFountainBracketCollection\r\nYou can not add item over %1").arg(MaxBracketCount));
    return static_cast<TFountainBracketItem *>(TNotifyCollection::Add());
}

TCollectionItem *TFountainBracketCollection::CreateItem()
{
    return new TFountainBracketItem(this);
}

TFountainBracketItem *TFountainBracketCollection::GetBracketItem(int Index) const
{
    return static_cast<TFountainBracketItem *>(Item(Index));
}

void TFountainBracketCollection::SetBracketItem(int Index, const TFountainBracketItem *Value)
{
    GetBracketItem(Index)->Assign(Value);
}

void TFountainBracketCollection::ColorMembers(QList<QObject *> &Members) const
{
    for (int i = 0; i < Count(); ++i)
        Members.append(Item(i));
}

// ---- TFountain ----

TFountain::TFountain(QObject *AOwner)
    : TFileExtComponent(AOwner)
    , FNotifyEventList(std::make_unique<TNotifyEventList>(this))
{
    FBrackets = CreateBrackets();
    AfterCreateBrackets();
    FReserveWordList = CreateSortedStrings();
    AfterCreateReserveWordList();
    CreateReserve();
}

TFountain::~TFountain()
{
    // Nothing is reported while the parts go.
    if (FBrackets)
        FBrackets->OnChange = {};
    if (FReserve)
        FReserve->OnChange = {};
}

std::unique_ptr<TFountainColor> TFountain::CreateFountainColor()
{
    auto color = std::make_unique<TFountainColor>();
    color->OnChange =
        TNotifyEvent(static_cast<TNotifyPersistent *>(FNotifyEventList.get()), &TNotifyPersistent::ChangedProc);
    return color;
}

void TFountain::CreateReserve()
{
    FReserve = CreateFountainColor();
}

std::unique_ptr<TFountainBracketCollection> TFountain::CreateBrackets()
{
    auto brackets = std::make_unique<TFountainBracketCollection>(this);
    brackets->OnChange =
        TNotifyEvent(static_cast<TNotifyPersistent *>(FNotifyEventList.get()), &TNotifyPersistent::ChangedProc);
    return brackets;
}

void TFountain::SetBrackets(const TFountainBracketCollection *Value)
{
    FBrackets->Assign(Value);
}

void TFountain::SetReserve(const TFountainColor *Value)
{
    FReserve->Assign(Value);
}

void TFountain::SetReserveWordList(const QStringList &Value)
{
    FReserveWordList->Assign(Value);
    // The word list reports no change of its own.
    FNotifyEventList->ChangedProc(this);
}

std::unique_ptr<TFountainParser> TFountain::CreateParser()
{
    return GetParserClass()(this);
}

void TFountain::WalkColorMembers(QObject *Instance, void (TFountain::*Proc)(QObject *))
{
    const auto *holder = dynamic_cast<const TFountainColorMembers *>(Instance);
    if (!holder)
        return;
    QList<QObject *> members;
    holder->ColorMembers(members);
    for (QObject *member : std::as_const(members)) {
        (this->*Proc)(member);
        WalkColorMembers(member, Proc);
    }
}

bool TFountain::HasItalicFontStyle(QObject *Instance)
{
    FHasItalicFontStyle = false;
    WalkColorMembers(Instance, &TFountain::HasItalicFontStyleProc);
    return FHasItalicFontStyle;
}

void TFountain::HasItalicFontStyleProc(QObject *Value)
{
    if (const auto *color = qobject_cast<const TFountainColor *>(Value)) {
        if (color->Style() & fsItalic)
            FHasItalicFontStyle = true;
    }
}

void TFountain::SameFountainColor(QObject *Instance, const TFountainColor *FountainColor,
                                  TFountainColorOperations Operations)
{
    FFountainColor = FountainColor;
    FOperations = Operations;
    WalkColorMembers(Instance, &TFountain::SameFountainColorProc);
}

void TFountain::SameFountainColorProc(QObject *Value)
{
    auto *color = qobject_cast<TFountainColor *>(Value);
    if (!color || !FFountainColor)
        return;
    if (FOperations & coBkColor)
        color->SetBkColor(FFountainColor->BkColor());
    if (FOperations & coColor)
        color->SetColor(FFountainColor->Color());
    if (FOperations & coStyle)
        color->SetStyle(FFountainColor->Style());
}

void TFountain::ColorMembers(QList<QObject *> &Members) const
{
    Members.append(FBrackets.get());
    Members.append(FReserve.get());
}

// ---- TFountainParser ----

const QString TFountainParser::StatsMarker = QStringLiteral("ZKSTS");

TFountainParser::TFountainParser(TFountain *Fountain)
    : FFountain(Fountain)
{
    if (!Fountain)
        throw Exception(QStringLiteral("TFountainParser.Create need instance of TFountain"));
    InitMethodTable();
}

TFountainParser::TFountainParser(TNoFountain)
    : FFountain(nullptr)
{
    InitMethodTable();
}

TFountainParser::~TFountainParser() = default;

void TFountainParser::InitMethodTable()
{
    for (int i = 0; i < 256; ++i)
        FMethodTable[i] = &TFountainParser::SymbolProc;
    FMethodTable[0] = &TFountainParser::EofProc;
    FMethodTable[9] = &TFountainParser::TabProc;
    FMethodTable[10] = &TFountainParser::LfProc;
    FMethodTable[13] = &TFountainParser::CrProc;
    for (int c = '0'; c <= '9'; ++c)
        FMethodTable[c] = &TFountainParser::NumberProc;
    for (int c = 'A'; c <= 'Z'; ++c)
        FMethodTable[c] = &TFountainParser::AnkProc;
    for (int c = 'a'; c <= 'z'; ++c)
        FMethodTable[c] = &TFountainParser::AnkProc;
    FMethodTable[int('_')] = &TFountainParser::AnkProc;
    FMethodTable[255] = &TFountainParser::WideCharProc;

    for (int i = 0; i < 256; ++i)
        FTokenMethodTable[i] = &TFountainParser::SymbolProc;
    FTokenMethodTable[ftkInteger] = &TFountainParser::NumberProc;
    FTokenMethodTable[ftkFloat] = &TFountainParser::NumberProc;
    FTokenMethodTable[ftkBracket] = &TFountainParser::BracketProc;
    FTokenMethodTable[ftkComment] = &TFountainParser::CommentProc;
    FTokenMethodTable[ftkReserve] = &TFountainParser::ReserveProc;
    FTokenMethodTable[ftkAnk] = &TFountainParser::AnkProc;
    FTokenMethodTable[ftkWide] = &TFountainParser::DbcsProc;
    for (int k = 14; k <= 17; ++k)
        FTokenMethodTable[k] = &TFountainParser::WideCharProc;
    FTokenMethodTable[ftkDbcsRun] = &TFountainParser::DbcsRunProc;
    FTokenMethodTable[ftkKanaSymbol] = &TFountainParser::KanaSymbolProc;
    FTokenMethodTable[ftkKana] = &TFountainParser::KanaProc;
    FTokenMethodTable[ftkUrl] = &TFountainParser::UrlProc;
    FTokenMethodTable[ftkMail] = &TFountainParser::MailProc;
    FTokenMethodTable[ftkHex] = &TFountainParser::HexProc;
    FTokenMethodTable[ftkSingleQuote] = &TFountainParser::SingleQuoteProc;
    FTokenMethodTable[ftkDoubleQuote] = &TFountainParser::DoubleQuoteProc;
}

void TFountainParser::NewData(const QString &S, const TRowAttributeData &Data)
{
    static const char16_t empty[1] = {0};
    FText = S;
    FBuffer = FText.isEmpty() ? empty : reinterpret_cast<const char16_t *>(FText.utf16());
    FSourcePtr = FBuffer;
    FTokenPtr = FBuffer;
    FP = FBuffer;
    FToken = ftkEnd;
    FIsStartToken = false;
    FDrawBracketIndex = -2;
    FRowAttribute = Data.RowAttribute;
    FPrevRowAttribute = Data.PrevRowAttribute;
    FBracketIndex = Data.BracketIndex;
    FElementIndex = Data.ElementIndex;
    FWrappedByte = Data.WrappedByte;
    FRemain = Data.Remain;
    FStartToken = Data.StartToken;
    FPrevToken = Data.PrevToken;
    FDataStr = Data.DataStr;
}

char16_t TFountainParser::NextToken()
{
    SkipBlanks();
    FP = FSourcePtr;
    FTokenPtr = FSourcePtr;
    FIsStartToken = FStartToken != 0;
    if (IsEndUnit(*FP))
        FToken = ftkEnd;
    else if (FStartToken != 0)
        StartTokenProc();
    else if (FBracketIndex < 0)
        DispatchProc();
    else
        BracketProc();
    FSourcePtr = FP;
    return FToken;
}

void TFountainParser::SkipBlanks()
{
    while ((*FSourcePtr >= 1 && *FSourcePtr <= 8) || (*FSourcePtr >= 10 && *FSourcePtr <= 32))
        ++FSourcePtr;
}

void TFountainParser::StartTokenProc()
{
    if (FWrappedByte <= 0) {
        (this->*FTokenMethodTable[tableIndex(FStartToken)])();
    } else {
        FToken = FStartToken;
        for (int i = 0; i < FWrappedByte && *FP; ++i)
            ++FP;
        if (FStartToken == ftkBracket) {
            // The cut right bracket closes here.
            FDrawBracketIndex = FBracketIndex;
            FBracketIndex = -1;
        }
    }
    FStartToken = 0;
    FWrappedByte = 0;
}

void TFountainParser::DispatchProc()
{
    if (FBracketIndex == -1 && IsBracketStart())
        BracketProc();
    else
        callCharMethod();
}

bool TFountainParser::matchAt(const char16_t *P, const QString &S) const
{
    const char16_t *s = reinterpret_cast<const char16_t *>(S.constData());
    for (qsizetype i = 0; i < S.size(); ++i) {
        // The terminator never matches a unit of S.
        if (P[i] != s[i] || P[i] == 0)
            return false;
    }
    return true;
}

bool TFountainParser::IsBracketStart()
{
    if (!FFountain)
        return false;
    const TFountainBracketCollection *brackets = FFountain->Brackets();
    for (int i = 0; i < brackets->Count(); ++i) {
        const QString &left = brackets->GetBracketItem(i)->LeftBracket();
        if (!left.isEmpty() && matchAt(FP, left)) {
            FBracketIndex = i;
            FP += left.size();
            return true;
        }
    }
    return false;
}

void TFountainParser::BracketProc()
{
    const TFountainBracketCollection *brackets = FFountain ? FFountain->Brackets() : nullptr;
    if (!brackets || FBracketIndex < 0 || FBracketIndex >= brackets->Count()) {
        FToken = ftkEnd;
        return;
    }
    const QString &right = brackets->GetBracketItem(FBracketIndex)->RightBracket();
    if (right.isEmpty()) {
        FToken = ftkEnd;
        return;
    }
    FToken = ftkBracket;
    FDrawBracketIndex = FBracketIndex;
    while (!IsEndUnit(*FP)) {
        if (matchAt(FP, right)) {
            FP += right.size();
            FBracketIndex = -1;
            return;
        }
        ++FP;
    }
}

bool TFountainParser::IsMailStart()
{
    const char16_t *p = FP;
    if (IsEndUnit(*p) || !IsMailChar(*p) || *p == u'@')
        return false;
    bool at = false;
    for (;; ++p) {
        if (IsEndUnit(*p) || !IsMailChar(*p))
            return false;
        if (*p == u'@') {
            at = true;
        } else if (*p == u'.' && at) {
            FP = p + 1;
            return true;
        }
    }
}

void TFountainParser::MailProc()
{
    FToken = ftkMail;
    while (IsMailChar(*FP))
        ++FP;
}

bool TFountainParser::IsUrlStart()
{
    static const QString ftp = QStringLiteral("ftp:");
    static const QString www = QStringLiteral("www.");
    static const QString http = QStringLiteral("http:");
    static const QString https = QStringLiteral("https:");
    const QString *prefix = nullptr;
    switch (*FP) {
    case u'f':
        if (matchAt(FP, ftp))
            prefix = &ftp;
        break;
    case u'w':
        if (matchAt(FP, www))
            prefix = &www;
        break;
    case u'h':
        if (matchAt(FP, http))
            prefix = &http;
        else if (matchAt(FP, https))
            prefix = &https;
        break;
    default: break;
    }
    if (!prefix)
        return false;
    FP += prefix->size();
    return true;
}

void TFountainParser::UrlProc()
{
    FToken = ftkUrl;
    while (IsUrlChar(*FP))
        ++FP;
}

void TFountainParser::ReserveProc()
{
    callCharMethod();
    FToken = ftkReserve;
}

void TFountainParser::EofProc()
{
    FToken = ftkEnd;
}

void TFountainParser::TabProc()
{
    FToken = ftkTab;
    ++FP;
}

void TFountainParser::LfProc()
{
    FToken = ftkEnd;
    ++FP;
}

void TFountainParser::CrProc()
{
    FToken = ftkEnd;
    ++FP;
    if (*FP == u'\n')
        ++FP;
}

void TFountainParser::CommentProc()
{
    FToken = ftkComment;
    while (!IsEndUnit(*FP))
        ++FP;
}

void TFountainParser::HexProc()
{
    FToken = ftkHex;
    while (IsHexDigitUnit(*FP))
        ++FP;
}

void TFountainParser::NumberProc()
{
    FToken = ftkInteger;
    while (IsDigitUnit(*FP))
        ++FP;
    auto exponent = [this] {
        ++FP; // the E
        if (*FP == u'+' || *FP == u'-')
            ++FP;
        while (IsDigitUnit(*FP))
            ++FP;
    };
    if (*FP == u'.') {
        FToken = ftkFloat;
        ++FP;
        if (IsDigitUnit(*FP)) {
            while (IsDigitUnit(*FP))
                ++FP;
            if (*FP == u'E' || *FP == u'e')
                exponent();
        } else if (*FP == u'E' || *FP == u'e') {
            exponent();
        } else {
            --FP; // the full stop is not part of the number
        }
    } else if (*FP == u'E' || *FP == u'e') {
        FToken = ftkFloat;
        exponent();
    }
}

void TFountainParser::AnkProc()
{
    FToken = ftkAnk;
    bool combined = false;
    for (;;) {
        const char16_t c = *FP;
        if (IsAnkUnit(c)) {
            if (combined)
                break;
            ++FP;
        } else if (c != 0 && IsCombiningChar(c)) {
            combined = true;
            ++FP;
        } else {
            break;
        }
    }
}

void TFountainParser::DbcsProc()
{
    // UTF-16 text has no lead units: a row that starts inside a run of wide
    // characters begins with an empty token and then scans normally.
    FToken = ftkWide;
}

void TFountainParser::WideCharProc()
{
    FToken = ftkWide;
    ++FP;
    while (*FP >= 0x100)
        ++FP;
}

void TFountainParser::DbcsRunProc()
{
    FToken = ftkDbcsRun;
    auto lead = [](char16_t c) { return (c >= 0x88 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
    while (lead(FP[0]) && FP[1] >= 0x40 && FP[1] <= 0xFF)
        FP += 2;
}

void TFountainParser::KanaSymbolProc()
{
    FToken = ftkKanaSymbol;
    if (*FP >= 0xA1 && *FP <= 0xA5)
        ++FP;
}

void TFountainParser::KanaProc()
{
    FToken = ftkKana;
    while (*FP >= 0xA6 && *FP <= 0xDF)
        ++FP;
}

void TFountainParser::SymbolProc()
{
    FToken = ftkSymbol;
    if (!IsEndUnit(*FP))
        ++FP;
}

void TFountainParser::quoteProc(char16_t Quote, char16_t Kind)
{
    FToken = Kind;
    if (!FIsStartToken)
        ++FP; // the opening quote
    while (!IsEndUnit(*FP)) {
        if (*FP != Quote) {
            ++FP;
        } else if (FP[1] == Quote) {
            FP += 2; // a doubled quote stands for one quote inside the string
        } else {
            ++FP;
            return;
        }
    }
}

void TFountainParser::SingleQuoteProc()
{
    quoteProc(u'\'', ftkSingleQuote);
}

void TFountainParser::DoubleQuoteProc()
{
    quoteProc(u'"', ftkDoubleQuote);
}

char16_t TFountainParser::ReserveTokenKind(char16_t Kind)
{
    return IsReserveWord() ? char16_t(ftkReserve) : Kind;
}

bool TFountainParser::IsMultiRowToken(char16_t Kind) const
{
    return Kind == ftkComment || Kind == ftkSingleQuote || Kind == ftkDoubleQuote;
}

bool TFountainParser::IsLineEndToken(char16_t Kind) const
{
    return Kind == ftkComment;
}

QString TFountainParser::TokenString() const
{
    return QString(reinterpret_cast<const QChar *>(FTokenPtr), TokenLength());
}

QString TFountainParser::TokenStringStatsPack() const
{
    QString phrase(reinterpret_cast<const QChar *>(FBuffer), int(FSourcePtr - FBuffer));
    for (const char16_t *p = FSourcePtr;; ++p) {
        if (IsPhraseChar(*p))
            phrase += QChar(*p);
        else if (*p == u' ' && IsPhraseChar(p[1]))
            phrase += QChar(*p);
        else
            break;
    }
    return phrase;
}

bool TFountainParser::IsReserveWord()
{
    if (!FFountain || FIsStartToken || FToken == ftkEnd || FToken == ftkBracket || FToken == ftkComment)
        return false;
    const TSortedStringList &words = FFountain->WordList();
    if (words.Count() == 0)
        return false;
    if (!words.Strings(0).contains(StatsMarker))
        return words.IndexOf(TokenString()) >= 0;
    return words.IndexOf(StatsMarker + TokenStringStatsPack()) >= 0;
}

void TFountainParser::LastTokenBracket(int Index, const TRowAttributeStringList &Strings, TRowAttributeData &Data)
{
    if (IsLineEndToken(Data.StartToken)) {
        // A line comment carries over wrapped rows only.
        if (Data.RowAttribute != raWrapped) {
            Data.StartToken = 0;
            Data.WrappedByte = 0;
        }
        return;
    }
    const QString &row = Strings.RowText(Index);
    const int n = int(row.size());
    bool blank = true;
    for (QChar c : row) {
        if (c != QLatin1Char(' ')) {
            blank = false;
            break;
        }
    }
    if (blank)
        return;
    const bool wrapped = Data.RowAttribute == raWrapped && Index < Strings.Count() - 1;
    // A token cut by the wrap is scanned whole.
    const QString text = wrapped ? row + Strings.RowText(Index + 1) : row;
    const int c = int(text.size());

    int d = Data.BracketIndex;
    int e = Data.ElementIndex;
    NewData(text, Data);
    char16_t k = ftkEnd;
    for (;;) {
        k = NextToken();
        Data.BracketIndex = FBracketIndex;
        if (k == ftkBracket)
            d = FDrawBracketIndex;
        e = FElementIndex;
        if (k == ftkEnd || SourcePos() + TokenLength() > n)
            break;
        Data.ElementIndex = FElementIndex;
        Data.PrevToken = FPrevToken;
    }
    Data.WrappedByte = 0;
    Data.StartToken = 0;
    const int start = SourcePos();
    const int end = start + TokenLength();
    if (k != ftkEnd && start >= n) {
        Data.BracketIndex = -1;
        return;
    }
    if (start >= n || end <= n)
        return;
    // The last token is cut by the wrap.
    const int x = end - n;
    Data.ElementIndex = e;
    if (k == ftkBracket) {
        if (Data.BracketIndex == -1) {
            Data.BracketIndex = d;
            const TFountainBracketCollection *brackets = FFountain ? FFountain->Brackets() : nullptr;
            if (brackets && d >= 0 && d < brackets->Count() && x < brackets->GetBracketItem(d)->RightBracket().size()) {
                // The cut fell inside the right bracket.
                Data.StartToken = ftkBracket;
                Data.WrappedByte = x;
            }
        }
        return;
    }
    Data.StartToken = ReserveTokenKind(k);
    if (IsMultiRowToken(Data.StartToken))
        return;
    // A token that runs on past the next row is rescanned there.
    if (!(end == c && Strings.RowAttr(Index + 1) == raWrapped))
        Data.WrappedByte = x;
}
