#pragma once

#include "editorcontrol/edclasses.h"
#include "editorcontrol/edgraphics.h"
#include "editorcontrol/edrowattrs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The framework by which the editor colours its text: a colouring scheme
// (TFountain: word list, bracket pairs, colours) and its scanner
// (TFountainParser), which cuts one screen row at a time into tokens, names a
// kind for each and computes the state the next row starts in.

// Token kinds, shared by every scanner (16-bit values).
enum TFountainTokenKind : char16_t {
    ftkEnd = 0,
    ftkSymbol = 1,
    ftkInteger = 3,
    ftkFloat = 4,
    ftkBracket = 6,
    ftkComment = 7,
    ftkReserve = 8,
    ftkTab = 9,
    ftkAnk = 11,
    ftkWide = 12,
    ftkDbcsRun = 18,
    ftkKanaSymbol = 19,
    ftkKana = 20,
    ftkUrl = 21,
    ftkMail = 22,
    ftkHex = 23,
    ftkSingleQuote = 24,
    ftkDoubleQuote = 25,
};

// Fixed character sets; a unit above U+00FF is in none of them.
bool IsMailChar(char16_t Unit);
bool IsUrlChar(char16_t Unit);
bool IsPhraseChar(char16_t Unit);
inline bool IsDigitUnit(char16_t Unit)
{
    return Unit >= u'0' && Unit <= u'9';
}
inline bool IsAnkUnit(char16_t Unit)
{
    return IsDigitUnit(Unit) || (Unit >= u'A' && Unit <= u'Z') || (Unit >= u'a' && Unit <= u'z') || Unit == u'_';
}
inline bool IsHexDigitUnit(char16_t Unit)
{
    return IsDigitUnit(Unit) || (Unit >= u'A' && Unit <= u'F') || (Unit >= u'a' && Unit <= u'f');
}
// U+0000, LF and CR end a row's scan.
inline bool IsEndUnit(char16_t Unit)
{
    return Unit == 0 || Unit == u'\n' || Unit == u'\r';
}

// An object that holds colours of a scheme among its members. The scheme's
// colour operations (HasItalicFontStyle, SameFountainColor) walk these lists
// instead of a property walk: each object names its members in the order of
// their names.
class TFountainColorMembers
{
public:
    virtual ~TFountainColorMembers();
    virtual void ColorMembers(QList<QObject *> &Members) const = 0;
};

// The colour of one kind of token.
class TFountainColor : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(qint32 BkColor READ BkColor WRITE SetBkColor)
    Q_PROPERTY(qint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(quint8 Style READ Style WRITE SetStyle)
public:
    explicit TFountainColor(QObject *Parent = nullptr);

    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);

    // All four values, and one notification.
    void Assign(const QObject *Source) override;

private:
    bool FVisible = false;
    TColor FBkColor = clNone;
    TColor FColor = clNone;
    TFontStyles FStyle = 0;
};

// A collection item with a colour; the colour's changes are the collection's.
class TFountainColorItem
    : public TCollectionItem
    , public TFountainColorMembers
{
    Q_OBJECT
    Q_PROPERTY(TFountainColor *ItemColor READ ItemColor WRITE SetItemColor)
public:
    explicit TFountainColorItem(TNotifyCollection *Collection);
    ~TFountainColorItem() override;

    TFountainColor *ItemColor() const { return FItemColor.get(); }
    void SetItemColor(TFountainColor *Value);
    void Assign(const QObject *Source) override;
    void ColorMembers(QList<QObject *> &Members) const override;

private:
    std::unique_ptr<TFountainColor> FItemColor;
};

// A bracket pair: a token from LeftBracket to RightBracket, which may run
// over several rows, painted in the item's colour.
class TFountainBracketItem : public TFountainColorItem
{
    Q_OBJECT
    Q_PROPERTY(QString LeftBracket READ LeftBracket WRITE SetLeftBracket)
    Q_PROPERTY(QString RightBracket READ RightBracket WRITE SetRightBracket)
public:
    using TFountainColorItem::TFountainColorItem;

    const QString &LeftBracket() const { return FLeftBracket; }
    void SetLeftBracket(const QString &Value);
    const QString &RightBracket() const { return FRightBracket; }
    void SetRightBracket(const QString &Value);
    void Assign(const QObject *Source) override;

private:
    QString FLeftBracket;
    QString FRightBracket;
};

// At most 14 bracket pairs: the row list keeps a pair's index in four bits
// next to "none" and "not computed".
class TFountainBracketCollection
    : public TNotifyCollection
    , public TFountainColorMembers
{
    Q_OBJECT
public:
    static constexpr int MaxBracketCount = 14;

    explicit TFountainBracketCollection(QObject *Owner);

    // Raises when the collection is full.
    TFountainBracketItem *Add() override;
    TFountainBracketItem *GetBracketItem(int Index) const;
    void SetBracketItem(int Index, const TFountainBracketItem *Value);
    void ColorMembers(QList<QObject *> &Members) const override;

protected:
    TCollectionItem *CreateItem() override;
};

enum TFountainColorOperation : quint8 {
    coBkColor = 1,
    coColor = 2,
    coStyle = 4,
};
using TFountainColorOperations = quint8;

class TFountainParser;
using TFountainParserClass = std::unique_ptr<TFountainParser> (*)(class TFountain *Fountain);

// A colouring scheme. Every change of its colours, bracket pairs or words
// reaches the handlers registered in NotifyEventList once per outermost
// update, with the scheme as sender.
class TFountain
    : public TFileExtComponent
    , public TFountainColorMembers
{
    Q_OBJECT
    Q_PROPERTY(TFountainBracketCollection *Brackets READ Brackets WRITE SetBrackets)
    Q_PROPERTY(TFountainColor *Reserve READ Reserve WRITE SetReserve)
    Q_PROPERTY(QStringList ReserveWordList READ ReserveWordList WRITE SetReserveWordList)
public:
    explicit TFountain(QObject *AOwner = nullptr);
    ~TFountain() override;

    TFountainBracketCollection *Brackets() const { return FBrackets.get(); }
    void SetBrackets(const TFountainBracketCollection *Value);
    TFountainColor *Reserve() const { return FReserve.get(); }
    void SetReserve(const TFountainColor *Value);
    QStringList ReserveWordList() const { return FReserveWordList->ToStringList(); }
    void SetReserveWordList(const QStringList &Value);
    // The word list itself, for lookups.
    const TSortedStringList &WordList() const { return *FReserveWordList; }
    TNotifyEventList *NotifyEventList() const { return FNotifyEventList.get(); }
    TFountainParserClass ParserClass() const { return GetParserClass(); }

    // A new scanner of this scheme; the caller owns it.
    virtual std::unique_ptr<TFountainParser> CreateParser();
    // Whether a colour among Instance's members (and theirs) is italic.
    virtual bool HasItalicFontStyle(QObject *Instance);
    // Gives every colour among Instance's members (and theirs) the background,
    // text colour or style of FountainColor, as Operations says, through the
    // colours' setters.
    void SameFountainColor(QObject *Instance, const TFountainColor *FountainColor, TFountainColorOperations Operations);
    void ColorMembers(QList<QObject *> &Members) const override;

protected:
    // Constructors do not reach overrides: a descendant that overrides a
    // factory calls it again from its own constructor.
    virtual std::unique_ptr<TFountainColor> CreateFountainColor();
    virtual void CreateReserve();
    virtual std::unique_ptr<TFountainBracketCollection> CreateBrackets();
    virtual TFountainParserClass GetParserClass() const = 0;
    virtual void AfterCreateBrackets() {}
    virtual void AfterCreateReserveWordList() {}
    virtual void HasItalicFontStyleProc(QObject *Value);
    virtual void SameFountainColorProc(QObject *Value);

    // Calls Proc for every member of Instance and, depth first, theirs.
    void WalkColorMembers(QObject *Instance, void (TFountain::*Proc)(QObject *));

    std::unique_ptr<TNotifyEventList> FNotifyEventList;
    std::unique_ptr<TFountainBracketCollection> FBrackets;
    std::unique_ptr<TSortedStringList> FReserveWordList;
    std::unique_ptr<TFountainColor> FReserve;
    bool FHasItalicFontStyle = false;
    const TFountainColor *FFountainColor = nullptr;
    TFountainColorOperations FOperations = 0;
};

// The scanner of a scheme. A scan of one row starts with NewData; NextToken
// then gives one token after another until it returns 0. It keeps pointers
// into the text given to NewData, which must not change during the scan.
class TFountainParser : public TRowStateParser
{
public:
    // Raises when Fountain is null.
    explicit TFountainParser(TFountain *Fountain);
    ~TFountainParser() override;

    void NewData(const QString &S, const TRowAttributeData &Data);
    virtual char16_t NextToken();
    // On entry Data holds the state row Index starts in, with the row's own
    // attribute; on exit the state row Index + 1 starts in.
    void LastTokenBracket(int Index, const TRowAttributeStringList &Strings, TRowAttributeData &Data) override;
    // The colour of the current token; null for none.
    virtual TFountainColor *TokenToFountainColor() = 0;

    char16_t Token() const { return FToken; }
    // Start of the current token in units from the start of the text, and
    // its length.
    int SourcePos() const { return int(FTokenPtr - FBuffer); }
    int TokenLength() const { return int(FSourcePtr - FTokenPtr); }
    QString TokenString() const;
    // The phrase the multi-word mode of the word list looks up: the text
    // before the token, the token, and the phrase characters after it.
    QString TokenStringStatsPack() const;
    int DrawBracketIndex() const { return FDrawBracketIndex; }
    int BracketIndex() const { return FBracketIndex; }
    TFountain *Fountain() const { return FFountain; }

    // A word list whose first entry holds this marker is in multi-word mode.
    static const QString StatsMarker;

protected:
    // For scanners without a colouring scheme: no reserved words and no
    // bracket pairs.
    struct TNoFountain
    {
    };
    explicit TFountainParser(TNoFountain);

    using TParserMethod = void (TFountainParser::*)();

    // The handler tables hold the handlers as this object provides them, so
    // an override changes the tables too. A descendant that adds entries
    // calls its own InitMethodTable from its constructor.
    virtual void InitMethodTable();
    virtual void SkipBlanks();
    virtual bool IsReserveWord();
    virtual bool IsBracketStart();
    virtual void BracketProc();
    virtual bool IsMailStart();
    virtual void MailProc();
    virtual bool IsUrlStart();
    virtual void UrlProc();
    virtual void ReserveProc();
    virtual void EofProc();
    virtual void TabProc();
    virtual void LfProc();
    virtual void CrProc();
    virtual void CommentProc();
    virtual void HexProc();
    virtual void NumberProc();
    virtual void AnkProc();
    virtual void DbcsProc();
    virtual void WideCharProc();
    virtual void DbcsRunProc();
    virtual void KanaSymbolProc();
    virtual void KanaProc();
    virtual void SymbolProc();
    virtual void SingleQuoteProc();
    virtual void DoubleQuoteProc();
    virtual void StartTokenProc();
    virtual void DispatchProc();
    virtual char16_t ReserveTokenKind(char16_t Kind);
    virtual bool IsMultiRowToken(char16_t Kind) const;
    virtual bool IsLineEndToken(char16_t Kind) const;

    static int tableIndex(char16_t Unit) { return Unit < 255 ? Unit : 255; }
    void callCharMethod() { (this->*FMethodTable[tableIndex(*FP)])(); }
    // Whether the text at FP starts with S (never past the terminator).
    bool matchAt(const char16_t *P, const QString &S) const;
    void quoteProc(char16_t Quote, char16_t Kind);

    TParserMethod FMethodTable[256];
    TParserMethod FTokenMethodTable[256];
    const char16_t *FBuffer = nullptr;
    int FBracketIndex = -1;
    QString FDataStr;
    int FDrawBracketIndex = -2;
    int FElementIndex = 0;
    TFountain *FFountain;
    bool FIsStartToken = false;
    const char16_t *FP = nullptr;
    TRowAttribute FPrevRowAttribute = raCrlf;
    TRowAttribute FRowAttribute = raCrlf;
    char16_t FPrevToken = 0;
    int FRemain = 0;
    const char16_t *FSourcePtr = nullptr;
    char16_t FStartToken = 0;
    char16_t FToken = 0;
    const char16_t *FTokenPtr = nullptr;
    int FWrappedByte = 0;
    // The text being scanned, kept alive for the scan.
    QString FText;
};
