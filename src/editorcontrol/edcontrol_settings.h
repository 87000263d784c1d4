#pragma once

#include "editorcontrol/EditorFountain.h"
#include "editorcontrol/edclasses.h"
#include "editorcontrol/edgraphics.h"
#include "editorcontrol/edwrap.h"
#include "platform/rtl/scrollstyle.h"

#include <QStringList>

#include <memory>

// The editor control's settings, one small object per area. Each reports a
// change through OnChange (the editor re-measures and repaints), except
// where a property is marked "direct": that one writes its field and tells
// no one. Assign copies every field and notifies once; numbers are clamped
// by the setters only.

// Scoped: the grid columns' state has a csDefault too.
enum class TEditorCaretStyle : int { csDefault, csBrief };
enum TDragMode : int { dmManual, dmAutomatic };
enum TEditorShowNumberMode : int { nmRow, nmLine };
enum TEditorHitStyle : int { hsSelect, hsDraw, hsCaret };

// Pointer shapes by region (all direct).
class TEditorCursors : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(qint16 DefaultCursor READ DefaultCursor WRITE SetDefaultCursor)
    Q_PROPERTY(qint16 DragSelCursor READ DragSelCursor WRITE SetDragSelCursor)
    Q_PROPERTY(qint16 DragSelCopyCursor READ DragSelCopyCursor WRITE SetDragSelCopyCursor)
    Q_PROPERTY(qint16 InSelCursor READ InSelCursor WRITE SetInSelCursor)
    Q_PROPERTY(qint16 LeftMarginCursor READ LeftMarginCursor WRITE SetLeftMarginCursor)
    Q_PROPERTY(qint16 TopMarginCursor READ TopMarginCursor WRITE SetTopMarginCursor)
public:
    explicit TEditorCursors(QObject *Parent = nullptr);

    TCursor DefaultCursor() const { return FDefaultCursor; }
    void SetDefaultCursor(TCursor Value) { FDefaultCursor = Value; }
    TCursor DragSelCursor() const { return FDragSelCursor; }
    void SetDragSelCursor(TCursor Value) { FDragSelCursor = Value; }
    TCursor DragSelCopyCursor() const { return FDragSelCopyCursor; }
    void SetDragSelCopyCursor(TCursor Value) { FDragSelCopyCursor = Value; }
    TCursor InSelCursor() const { return FInSelCursor; }
    void SetInSelCursor(TCursor Value) { FInSelCursor = Value; }
    TCursor LeftMarginCursor() const { return FLeftMarginCursor; }
    void SetLeftMarginCursor(TCursor Value) { FLeftMarginCursor = Value; }
    TCursor TopMarginCursor() const { return FTopMarginCursor; }
    void SetTopMarginCursor(TCursor Value) { FTopMarginCursor = Value; }

    void Assign(const QObject *Source) override;

private:
    TCursor FDefaultCursor = crIBeam;
    TCursor FDragSelCursor = crDrag;
    TCursor FDragSelCopyCursor = crDragSelCopy;
    TCursor FInSelCursor = crDefault;
    TCursor FLeftMarginCursor = crRightArrow;
    TCursor FTopMarginCursor = crDefault;
};

// Caret and keyboard behaviour. Only Style and TabSpaceCount notify: the
// editor empties its undo history on a change of these settings, so the
// direct flags must stay silent.
class TEditorCaret : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(bool AutoCursor READ AutoCursor WRITE SetAutoCursor)
    Q_PROPERTY(bool AutoIndent READ AutoIndent WRITE SetAutoIndent)
    Q_PROPERTY(bool BackSpaceUnIndent READ BackSpaceUnIndent WRITE SetBackSpaceUnIndent)
    Q_PROPERTY(TEditorCursors *Cursors READ Cursors WRITE SetCursors)
    Q_PROPERTY(bool FreeCaret READ FreeCaret WRITE SetFreeCaret)
    Q_PROPERTY(bool FreeRow READ FreeRow WRITE SetFreeRow)
    Q_PROPERTY(bool InTab READ InTab WRITE SetInTab)
    Q_PROPERTY(bool KeepCaret READ KeepCaret WRITE SetKeepCaret)
    Q_PROPERTY(bool LockScroll READ LockScroll WRITE SetLockScroll)
    Q_PROPERTY(bool NextLine READ NextLine WRITE SetNextLine)
    Q_PROPERTY(bool PrevSpaceIndent READ PrevSpaceIndent WRITE SetPrevSpaceIndent)
    Q_PROPERTY(bool RowSelect READ RowSelect WRITE SetRowSelect)
    Q_PROPERTY(TDragMode SelDragMode READ SelDragMode WRITE SetSelDragMode)
    Q_PROPERTY(bool SelMove READ SelMove WRITE SetSelMove)
    Q_PROPERTY(bool SoftTab READ SoftTab WRITE SetSoftTab)
    Q_PROPERTY(TEditorCaretStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(bool TabIndent READ TabIndent WRITE SetTabIndent)
    Q_PROPERTY(int TabSpaceCount READ TabSpaceCount WRITE SetTabSpaceCount)
public:
    explicit TEditorCaret(QObject *Parent = nullptr);
    ~TEditorCaret() override;

    bool AutoCursor() const { return FAutoCursor; }
    void SetAutoCursor(bool Value) { FAutoCursor = Value; }
    bool AutoIndent() const { return FAutoIndent; }
    void SetAutoIndent(bool Value) { FAutoIndent = Value; }
    bool BackSpaceUnIndent() const { return FBackSpaceUnIndent; }
    void SetBackSpaceUnIndent(bool Value) { FBackSpaceUnIndent = Value; }
    TEditorCursors *Cursors() const { return FCursors.get(); }
    void SetCursors(const TEditorCursors *Value) { FCursors->Assign(Value); }
    bool FreeCaret() const { return FFreeCaret; }
    void SetFreeCaret(bool Value) { FFreeCaret = Value; }
    bool FreeRow() const { return FFreeRow; }
    void SetFreeRow(bool Value) { FFreeRow = Value; }
    bool InTab() const { return FInTab; }
    void SetInTab(bool Value) { FInTab = Value; }
    bool KeepCaret() const { return FKeepCaret; }
    void SetKeepCaret(bool Value) { FKeepCaret = Value; }
    bool LockScroll() const { return FLockScroll; }
    void SetLockScroll(bool Value) { FLockScroll = Value; }
    bool NextLine() const { return FNextLine; }
    void SetNextLine(bool Value) { FNextLine = Value; }
    bool PrevSpaceIndent() const { return FPrevSpaceIndent; }
    void SetPrevSpaceIndent(bool Value) { FPrevSpaceIndent = Value; }
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool Value) { FRowSelect = Value; }
    TDragMode SelDragMode() const { return FSelDragMode; }
    void SetSelDragMode(TDragMode Value) { FSelDragMode = Value; }
    bool SelMove() const { return FSelMove; }
    void SetSelMove(bool Value) { FSelMove = Value; }
    bool SoftTab() const { return FSoftTab; }
    void SetSoftTab(bool Value) { FSoftTab = Value; }
    TEditorCaretStyle Style() const { return FStyle; }
    void SetStyle(TEditorCaretStyle Value);
    bool TabIndent() const { return FTabIndent; }
    void SetTabIndent(bool Value) { FTabIndent = Value; }
    int TabSpaceCount() const { return FTabSpaceCount; }
    // 2, 4, 6 or 8: the value limited to 2 .. 8 and rounded down to even.
    void SetTabSpaceCount(int Value);

    void Assign(const QObject *Source) override;

private:
    bool FAutoCursor = true;
    bool FAutoIndent = true;
    bool FBackSpaceUnIndent = true;
    std::unique_ptr<TEditorCursors> FCursors;
    bool FFreeCaret = true;
    bool FFreeRow = false;
    bool FInTab = false;
    bool FKeepCaret = false;
    bool FLockScroll = false;
    bool FNextLine = false;
    bool FPrevSpaceIndent = false;
    bool FRowSelect = true;
    TDragMode FSelDragMode = dmAutomatic;
    bool FSelMove = true;
    bool FSoftTab = false;
    TEditorCaretStyle FStyle = TEditorCaretStyle::csDefault;
    bool FTabIndent = false;
    int FTabSpaceCount = 8;
};

// Text margins in pixels, each 0 .. 100.
class TEditorMargin : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(int Character READ Character WRITE SetCharacter)
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Line READ Line WRITE SetLine)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
public:
    explicit TEditorMargin(QObject *Parent = nullptr);

    static constexpr int MaxMargin = 100;

    int Character() const { return FCharacter; }
    void SetCharacter(int Value);
    int Left() const { return FLeft; }
    void SetLeft(int Value);
    int Line() const { return FLine; }
    void SetLine(int Value);
    int Top() const { return FTop; }
    void SetTop(int Value);
    // Pixels under each row for the caret-row underline; the editor keeps it
    // (1 while the underline mark is visible) as part of its own re-layout,
    // so it notifies no one.
    int Underline() const { return FUnderline; }
    void SetUnderline(int Value) { FUnderline = Value; }

    void Assign(const QObject *Source) override;

private:
    int FCharacter = 0;
    int FLeft = 19;
    int FLine = 0;
    int FTop = 2;
    int FUnderline = 0;
};

// One visible mark (line break, tab, blank ...): its colour and whether it shows.
class TEditorMark : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(qint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
public:
    explicit TEditorMark(QObject *Parent = nullptr);

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);

    void Assign(const QObject *Source) override;

private:
    TColor FColor = clGray;
    bool FVisible = false;
};

// The eight marks; a change of any of them is a change of the marks.
class TEditorMarks : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(TEditorMark *EofMark READ EofMark WRITE SetEofMark)
    Q_PROPERTY(TEditorMark *RetMark READ RetMark WRITE SetRetMark)
    Q_PROPERTY(TEditorMark *WrapMark READ WrapMark WRITE SetWrapMark)
    Q_PROPERTY(TEditorMark *HideMark READ HideMark WRITE SetHideMark)
    Q_PROPERTY(TEditorMark *Underline READ Underline WRITE SetUnderline)
    Q_PROPERTY(TEditorMark *TabMark READ TabMark WRITE SetTabMark)
    Q_PROPERTY(TEditorMark *SemiSpaceMark READ SemiSpaceMark WRITE SetSemiSpaceMark)
    Q_PROPERTY(TEditorMark *SpaceMark READ SpaceMark WRITE SetSpaceMark)
public:
    explicit TEditorMarks(QObject *Parent = nullptr);
    ~TEditorMarks() override;

    TEditorMark *EofMark() const { return FMarks[0].get(); }
    void SetEofMark(const TEditorMark *Value) { FMarks[0]->Assign(Value); }
    TEditorMark *RetMark() const { return FMarks[1].get(); }
    void SetRetMark(const TEditorMark *Value) { FMarks[1]->Assign(Value); }
    TEditorMark *WrapMark() const { return FMarks[2].get(); }
    void SetWrapMark(const TEditorMark *Value) { FMarks[2]->Assign(Value); }
    TEditorMark *HideMark() const { return FMarks[3].get(); }
    void SetHideMark(const TEditorMark *Value) { FMarks[3]->Assign(Value); }
    TEditorMark *Underline() const { return FMarks[4].get(); }
    void SetUnderline(const TEditorMark *Value) { FMarks[4]->Assign(Value); }
    TEditorMark *TabMark() const { return FMarks[5].get(); }
    void SetTabMark(const TEditorMark *Value) { FMarks[5]->Assign(Value); }
    TEditorMark *SemiSpaceMark() const { return FMarks[6].get(); }
    void SetSemiSpaceMark(const TEditorMark *Value) { FMarks[6]->Assign(Value); }
    TEditorMark *SpaceMark() const { return FMarks[7].get(); }
    void SetSpaceMark(const TEditorMark *Value) { FMarks[7]->Assign(Value); }

    void Assign(const QObject *Source) override;

private:
    std::unique_ptr<TEditorMark> FMarks[8];
};

// The colouring view: owns the editor's colouring scheme and reports every
// change of it as a change of the view.
class TEditorViewInfo
    : public TNotifyPersistent
    , public TFountainColorMembers
{
    Q_OBJECT
    Q_PROPERTY(TEditorBracketCollection *Brackets READ Brackets WRITE SetBrackets)
    Q_PROPERTY(TEditorColors *Colors READ Colors WRITE SetColors)
    Q_PROPERTY(QString Commenter READ Commenter WRITE SetCommenter)
    Q_PROPERTY(bool ControlCode READ ControlCode WRITE SetControlCode)
    Q_PROPERTY(QString HexPrefix READ HexPrefix WRITE SetHexPrefix)
    Q_PROPERTY(bool Mail READ Mail WRITE SetMail)
    Q_PROPERTY(QString Quotation READ Quotation WRITE SetQuotation)
    Q_PROPERTY(QString DoubleQuotation READ DoubleQuotation WRITE SetDoubleQuotation)
    Q_PROPERTY(bool Url READ Url WRITE SetUrl)
public:
    // Owner: the component that holds the view (an editor or a settings holder).
    explicit TEditorViewInfo(QObject *Owner = nullptr);
    ~TEditorViewInfo() override;

    QObject *Owner() const { return m_owner; }
    TEditorFountain *EditorFountain() const { return FEditorFountain.get(); }

    TEditorBracketCollection *Brackets() const { return FEditorFountain->EditorBrackets(); }
    void SetBrackets(const TFountainBracketCollection *Value) { Brackets()->Assign(Value); }
    TEditorColors *Colors() const { return FEditorFountain->Colors(); }
    void SetColors(const TEditorColors *Value) { Colors()->Assign(Value); }
    QString Commenter() const { return FEditorFountain->Commenter(); }
    void SetCommenter(const QString &Value);
    bool ControlCode() const { return FEditorFountain->ControlCode(); }
    void SetControlCode(bool Value);
    QString HexPrefix() const { return FEditorFountain->HexPrefix(); }
    void SetHexPrefix(const QString &Value);
    bool Mail() const { return FEditorFountain->Mail(); }
    void SetMail(bool Value);
    QString Quotation() const { return FEditorFountain->Quotation(); }
    // Keeps the first character only.
    void SetQuotation(const QString &Value);
    QString DoubleQuotation() const { return FEditorFountain->DoubleQuotation(); }
    // Keeps the first character only.
    void SetDoubleQuotation(const QString &Value);
    bool Url() const { return FEditorFountain->Url(); }
    void SetUrl(bool Value);

    void Assign(const QObject *Source) override;
    void ColorMembers(QList<QObject *> &Members) const override;

protected:
    // Makes the scheme and hooks this view into its notify list.
    virtual std::unique_ptr<TEditorFountain> CreateEditorFountain();

private:
    QObject *m_owner;
    std::unique_ptr<TEditorFountain> FEditorFountain;
};

// The column ruler above the text.
class TEditorRuler : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(qint32 BkColor READ BkColor WRITE SetBkColor)
    Q_PROPERTY(qint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Edge READ Edge WRITE SetEdge)
    Q_PROPERTY(int GaugeRange READ GaugeRange WRITE SetGaugeRange)
    Q_PROPERTY(qint32 MarkColor READ MarkColor WRITE SetMarkColor)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
public:
    explicit TEditorRuler(QObject *Parent = nullptr);

    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool Edge() const { return FEdge; }
    void SetEdge(bool Value);
    int GaugeRange() const { return FGaugeRange; }
    // 8 or 10: the value limited to 8 .. 10 and rounded down to even.
    void SetGaugeRange(int Value);
    TColor MarkColor() const { return FMarkColor; }
    void SetMarkColor(TColor Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);

    void Assign(const QObject *Source) override;

private:
    TColor FBkColor = clSilver;
    TColor FColor = clBlack;
    bool FEdge = true;
    int FGaugeRange = 10;
    TColor FMarkColor = clBlack;
    bool FVisible = false;
};

// The line-number bar.
class TEditorLeftbar : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(qint32 BkColor READ BkColor WRITE SetBkColor)
    Q_PROPERTY(qint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(int Column READ Column WRITE SetColumn)
    Q_PROPERTY(bool Edge READ Edge WRITE SetEdge)
    Q_PROPERTY(int LeftMargin READ LeftMargin WRITE SetLeftMargin)
    Q_PROPERTY(int RightMargin READ RightMargin WRITE SetRightMargin)
    Q_PROPERTY(bool ShowNumber READ ShowNumber WRITE SetShowNumber)
    Q_PROPERTY(TEditorShowNumberMode ShowNumberMode READ ShowNumberMode WRITE SetShowNumberMode)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool ZeroBase READ ZeroBase WRITE SetZeroBase)
    Q_PROPERTY(bool ZeroLead READ ZeroLead WRITE SetZeroLead)
public:
    explicit TEditorLeftbar(QObject *Parent = nullptr);

    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int Column() const { return FColumn; }
    // Minimum digits, 1 .. 8.
    void SetColumn(int Value);
    bool Edge() const { return FEdge; }
    void SetEdge(bool Value);
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int Value);
    int RightMargin() const { return FRightMargin; }
    void SetRightMargin(int Value);
    bool ShowNumber() const { return FShowNumber; }
    void SetShowNumber(bool Value);
    TEditorShowNumberMode ShowNumberMode() const { return FShowNumberMode; }
    void SetShowNumberMode(TEditorShowNumberMode Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool ZeroBase() const { return FZeroBase; }
    void SetZeroBase(bool Value);
    bool ZeroLead() const { return FZeroLead; }
    void SetZeroLead(bool Value);

    void Assign(const QObject *Source) override;

private:
    TColor FBkColor = clSilver;
    TColor FColor = clBlack;
    int FColumn = 4;
    bool FEdge = true;
    int FLeftMargin = 8;
    int FRightMargin = 4;
    bool FShowNumber = true;
    TEditorShowNumberMode FShowNumberMode = nmRow;
    bool FVisible = false;
    bool FZeroBase = false;
    bool FZeroLead = false;
};

// The row-mark bar; widths and margins in pixels, each 0 .. 100.
class TEditorImagebar : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(int DigitWidth READ DigitWidth WRITE SetDigitWidth)
    Q_PROPERTY(int LeftMargin READ LeftMargin WRITE SetLeftMargin)
    Q_PROPERTY(int MarkWidth READ MarkWidth WRITE SetMarkWidth)
    Q_PROPERTY(int RightMargin READ RightMargin WRITE SetRightMargin)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
public:
    explicit TEditorImagebar(QObject *Parent = nullptr);

    int DigitWidth() const { return FDigitWidth; }
    void SetDigitWidth(int Value);
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int Value);
    int MarkWidth() const { return FMarkWidth; }
    void SetMarkWidth(int Value);
    int RightMargin() const { return FRightMargin; }
    void SetRightMargin(int Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);

    void Assign(const QObject *Source) override;

private:
    int FDigitWidth = 8;
    int FLeftMargin = 2;
    int FMarkWidth = 0;
    int FRightMargin = 2;
    bool FVisible = true;
};

// Speeds of vertical caret and page movement (1 .. 4) and whether a new
// text's colouring state is computed whole. No notification.
class TEditorSpeed : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int CaretVerticalAc READ CaretVerticalAc WRITE SetCaretVerticalAc)
    Q_PROPERTY(bool InitBracketsFull READ InitBracketsFull WRITE SetInitBracketsFull)
    Q_PROPERTY(int PageVerticalRange READ PageVerticalRange WRITE SetPageVerticalRange)
    Q_PROPERTY(int PageVerticalRangeAc READ PageVerticalRangeAc WRITE SetPageVerticalRangeAc)
public:
    explicit TEditorSpeed(QObject *Parent = nullptr);

    static constexpr int MinSpeed = 1;
    static constexpr int MaxSpeed = 4;

    int CaretVerticalAc() const { return FCaretVerticalAc; }
    void SetCaretVerticalAc(int Value);
    bool InitBracketsFull() const { return FInitBracketsFull; }
    void SetInitBracketsFull(bool Value) { FInitBracketsFull = Value; }
    int PageVerticalRange() const { return FPageVerticalRange; }
    void SetPageVerticalRange(int Value);
    int PageVerticalRangeAc() const { return FPageVerticalRangeAc; }
    void SetPageVerticalRangeAc(int Value);

    virtual void Assign(const QObject *Source);

private:
    int FCaretVerticalAc = 2;
    bool FInitBracketsFull = false;
    int FPageVerticalRange = 2;
    int FPageVerticalRangeAc = 2;
};

// What a settings holder (TEditorProp) reads from and writes into an editor.
// The editor control implements it; assigning one of its settings objects
// goes through the object's Assign, so the editor hears of it once.
class TEditorSettingsHost
{
public:
    virtual ~TEditorSettingsHost();

    virtual TColor Color() const = 0;
    virtual void SetColor(TColor Value) = 0;
    virtual TEditorCaret *Caret() const = 0;
    virtual TFont Font() const = 0;
    virtual void SetFont(const TFont &Value) = 0;
    virtual TEditorHitStyle HitStyle() const = 0;
    virtual void SetHitStyle(TEditorHitStyle Value) = 0;
    virtual TEditorImagebar *Imagebar() const = 0;
    virtual TEditorLeftbar *Leftbar() const = 0;
    virtual TEditorMargin *Margin() const = 0;
    virtual TEditorMarks *Marks() const = 0;
    // The reserved words of the view's scheme.
    virtual QStringList ReserveWordList() const = 0;
    virtual void SetReserveWordList(const QStringList &Value) = 0;
    virtual TEditorRuler *Ruler() const = 0;
    virtual TScrollStyle ScrollBars() const = 0;
    virtual void SetScrollBars(TScrollStyle Value) = 0;
    virtual TEditorSpeed *Speed() const = 0;
    virtual TEditorViewInfo *View() const = 0;
    virtual bool WordWrap() const = 0;
    virtual void SetWordWrap(bool Value) = 0;
    // The wrap settings of the editor's row list.
    virtual TEditorWrapOption *WrapOption() const = 0;
};
