#pragma once

#include "editorcontrol/edfountain.h"

#include <QString>

#include <memory>

// The colouring scheme of the program's editors: SQL text with line comments
// introduced by a configurable text, quoted strings, numbers with a
// hexadecimal prefix, control-code literals, mail addresses and URLs.

// Token kinds of the scheme's scanner, after the shared ones.
enum TEditorTokenKind : char16_t {
    ftkQuotation = 26,      // quoted string
    ftkControlCode = 27,    // "#" and decimal digits
    ftkControlCodeHex = 28, // "#$" and hexadecimal digits
};

class TEditorColor : public TFountainColor
{
    Q_OBJECT
public:
    using TFountainColor::TFountainColor;
};

class TEditorFountain;

// The scheme's eleven colours. A change of any of them is one change of the
// set; Reserve is the scheme's own reserved-word colour.
class TEditorColors
    : public TNotifyPersistent
    , public TFountainColorMembers
{
    Q_OBJECT
    Q_PROPERTY(TEditorColor *Ank READ Ank WRITE SetAnk)
    Q_PROPERTY(TEditorColor *Comment READ Comment WRITE SetComment)
    Q_PROPERTY(TEditorColor *DBCS READ DBCS WRITE SetDBCS)
    Q_PROPERTY(TEditorColor *Hit READ Hit WRITE SetHit)
    Q_PROPERTY(TEditorColor *Int READ Int WRITE SetInt)
    Q_PROPERTY(TEditorColor *Mail READ Mail WRITE SetMail)
    Q_PROPERTY(TFountainColor *Reserve READ Reserve WRITE SetReserve)
    Q_PROPERTY(TEditorColor *Select READ Select WRITE SetSelect)
    Q_PROPERTY(TEditorColor *Str READ Str WRITE SetStr)
    Q_PROPERTY(TEditorColor *Symbol READ Symbol WRITE SetSymbol)
    Q_PROPERTY(TEditorColor *Url READ Url WRITE SetUrl)
public:
    explicit TEditorColors(TEditorFountain *Fountain);
    ~TEditorColors() override;

    TEditorColor *Ank() const { return FAnk.get(); }
    void SetAnk(const TFountainColor *Value) { FAnk->Assign(Value); }
    TEditorColor *Comment() const { return FComment.get(); }
    void SetComment(const TFountainColor *Value) { FComment->Assign(Value); }
    TEditorColor *DBCS() const { return FDBCS.get(); }
    void SetDBCS(const TFountainColor *Value) { FDBCS->Assign(Value); }
    TEditorColor *Hit() const { return FHit.get(); }
    void SetHit(const TFountainColor *Value) { FHit->Assign(Value); }
    TEditorColor *Int() const { return FInt.get(); }
    void SetInt(const TFountainColor *Value) { FInt->Assign(Value); }
    TEditorColor *Mail() const { return FMail.get(); }
    void SetMail(const TFountainColor *Value) { FMail->Assign(Value); }
    TFountainColor *Reserve() const;
    void SetReserve(const TFountainColor *Value);
    TEditorColor *Select() const { return FSelect.get(); }
    void SetSelect(const TFountainColor *Value) { FSelect->Assign(Value); }
    TEditorColor *Str() const { return FStr.get(); }
    void SetStr(const TFountainColor *Value) { FStr->Assign(Value); }
    TEditorColor *Symbol() const { return FSymbol.get(); }
    void SetSymbol(const TFountainColor *Value) { FSymbol->Assign(Value); }
    TEditorColor *Url() const { return FUrl.get(); }
    void SetUrl(const TFountainColor *Value) { FUrl->Assign(Value); }

    // All eleven colours, inside one update.
    void Assign(const QObject *Source) override;
    void ColorMembers(QList<QObject *> &Members) const override;

private:
    static std::unique_ptr<TEditorColor> makeColor();

    std::unique_ptr<TEditorColor> FAnk;
    std::unique_ptr<TEditorColor> FComment;
    std::unique_ptr<TEditorColor> FDBCS;
    std::unique_ptr<TEditorColor> FHit;
    std::unique_ptr<TEditorColor> FInt;
    std::unique_ptr<TEditorColor> FMail;
    std::unique_ptr<TEditorColor> FSelect;
    std::unique_ptr<TEditorColor> FStr;
    std::unique_ptr<TEditorColor> FSymbol;
    std::unique_ptr<TEditorColor> FUrl;
    TEditorFountain *FFountain;
};

class TEditorBracketCollection : public TFountainBracketCollection
{
    Q_OBJECT
public:
    using TFountainBracketCollection::TFountainBracketCollection;

    // Each gives every pair's colour the value, inside one update.
    virtual void SameBkColor(TColor Value);
    virtual void SameColor(TColor Value);
    virtual void SameStyle(TFontStyles Value);
};

class TEditorFountain : public TFountain
{
    Q_OBJECT
    Q_PROPERTY(TEditorColors *Colors READ Colors WRITE SetColors)
    Q_PROPERTY(QString Commenter READ Commenter WRITE SetCommenter)
    Q_PROPERTY(bool ControlCode READ ControlCode WRITE SetControlCode)
    Q_PROPERTY(QString HexPrefix READ HexPrefix WRITE SetHexPrefix)
    Q_PROPERTY(bool Mail READ Mail WRITE SetMail)
    Q_PROPERTY(QString Quotation READ Quotation WRITE SetQuotation)
    Q_PROPERTY(QString DoubleQuotation READ DoubleQuotation WRITE SetDoubleQuotation)
    Q_PROPERTY(bool Url READ Url WRITE SetUrl)
public:
    explicit TEditorFountain(QObject *AOwner = nullptr);
    ~TEditorFountain() override;

    TEditorBracketCollection *EditorBrackets() const
    {
        return static_cast<TEditorBracketCollection *>(FBrackets.get());
    }
    TEditorColors *Colors() const { return FColors.get(); }
    void SetColors(const TEditorColors *Value) { FColors->Assign(Value); }

    // Plain fields: whoever sets them (the view settings) reports the change.
    const QString &Commenter() const { return FCommenter; }
    void SetCommenter(const QString &Value) { FCommenter = Value; }
    bool ControlCode() const { return FControlCode; }
    void SetControlCode(bool Value) { FControlCode = Value; }
    const QString &HexPrefix() const { return FHexPrefix; }
    void SetHexPrefix(const QString &Value) { FHexPrefix = Value; }
    bool Mail() const { return FMail; }
    void SetMail(bool Value) { FMail = Value; }
    const QString &Quotation() const { return FQuotation; }
    void SetQuotation(const QString &Value) { FQuotation = Value; }
    const QString &DoubleQuotation() const { return FDoubleQuotation; }
    void SetDoubleQuotation(const QString &Value) { FDoubleQuotation = Value; }
    bool Url() const { return FUrl; }
    void SetUrl(bool Value) { FUrl = Value; }

    // Give every colour of Colors but Select and Hit the value; each
    // registered handler hears of it once.
    virtual void SameBkColor(TColor Value);
    virtual void SameColor(TColor Value);
    virtual void SameStyle(TFontStyles Value);

    void ColorMembers(QList<QObject *> &Members) const override;

protected:
    virtual std::unique_ptr<TEditorColors> CreateColors();
    std::unique_ptr<TFountainBracketCollection> CreateBrackets() override;
    TFountainParserClass GetParserClass() const override;
    void SameFountainColorProc(QObject *Value) override;

private:
    void spread(const TFountainColor &Value, TFountainColorOperations Operations);

    std::unique_ptr<TEditorColors> FColors;
    QString FCommenter;
    bool FControlCode = false;
    QString FHexPrefix;
    bool FMail = false;
    QString FQuotation;
    QString FDoubleQuotation;
    bool FUrl = false;
};

class TEditorParser : public TFountainParser
{
public:
    // Raises when Fountain is null.
    explicit TEditorParser(TEditorFountain *Fountain);

    TFountainColor *TokenToFountainColor() override;

protected:
    void InitMethodTable() override;
    void DispatchProc() override;
    bool IsMultiRowToken(char16_t Kind) const override;

    virtual bool IsQuotation();
    virtual void QuotationProc();
    virtual bool IsCommenter();
    virtual bool IsHexPrefix();
    virtual bool IsControlCodeHex();
    virtual void ControlCodeHexProc();
    virtual bool IsControlCode();
    virtual void ControlCodeProc();

    TEditorFountain *editorFountain() const { return static_cast<TEditorFountain *>(FFountain); }
};
