#pragma once

#include "editorcontrol/edcontrol_settings.h"

#include <memory>

// A complete set of editor settings, kept apart from any editor: it copies
// the whole set into an editor (AssignTo) or takes it from one (Assign), so
// one holder can configure many editors.
class TEditorProp : public TFileExtComponent
{
    Q_OBJECT
    Q_PROPERTY(qint32 Color READ Color WRITE SetColor)
    Q_PROPERTY(TEditorCaret *Caret READ Caret WRITE SetCaret)
    Q_PROPERTY(TFont Font READ Font WRITE SetFont)
    Q_PROPERTY(TEditorHitStyle HitStyle READ HitStyle WRITE SetHitStyle)
    Q_PROPERTY(TEditorImagebar *Imagebar READ Imagebar WRITE SetImagebar)
    Q_PROPERTY(TEditorLeftbar *Leftbar READ Leftbar WRITE SetLeftbar)
    Q_PROPERTY(TEditorMargin *Margin READ Margin WRITE SetMargin)
    Q_PROPERTY(TEditorMarks *Marks READ Marks WRITE SetMarks)
    Q_PROPERTY(QStringList ReserveWordList READ ReserveWordList WRITE SetReserveWordList)
    Q_PROPERTY(TEditorRuler *Ruler READ Ruler WRITE SetRuler)
    Q_PROPERTY(TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(TEditorSpeed *Speed READ Speed WRITE SetSpeed)
    Q_PROPERTY(TEditorViewInfo *View READ View WRITE SetView)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
    Q_PROPERTY(TEditorWrapOption *WrapOption READ WrapOption WRITE SetWrapOption)
public:
    explicit TEditorProp(QObject *AOwner = nullptr);
    ~TEditorProp() override;

    // Fired with the holder as sender when the value changes.
    TNotifyEvent OnColorChange;
    TNotifyEvent OnHitStyleChange;
    TNotifyEvent OnScrollBarsChange;
    TNotifyEvent OnWordWrapChange;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TEditorCaret *Caret() const { return FCaret.get(); }
    void SetCaret(const TEditorCaret *Value) { FCaret->Assign(Value); }
    const TFont &Font() const { return FFont; }
    void SetFont(const TFont &Value) { FFont = Value; }
    TEditorHitStyle HitStyle() const { return FHitStyle; }
    void SetHitStyle(TEditorHitStyle Value);
    TEditorImagebar *Imagebar() const { return FImagebar.get(); }
    void SetImagebar(const TEditorImagebar *Value) { FImagebar->Assign(Value); }
    TEditorLeftbar *Leftbar() const { return FLeftbar.get(); }
    void SetLeftbar(const TEditorLeftbar *Value) { FLeftbar->Assign(Value); }
    TEditorMargin *Margin() const { return FMargin.get(); }
    void SetMargin(const TEditorMargin *Value) { FMargin->Assign(Value); }
    TEditorMarks *Marks() const { return FMarks.get(); }
    void SetMarks(const TEditorMarks *Value) { FMarks->Assign(Value); }
    QStringList ReserveWordList() const { return FReserveWordList->ToStringList(); }
    void SetReserveWordList(const QStringList &Value) { FReserveWordList->Assign(Value); }
    TEditorRuler *Ruler() const { return FRuler.get(); }
    void SetRuler(const TEditorRuler *Value) { FRuler->Assign(Value); }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TEditorSpeed *Speed() const { return FSpeed.get(); }
    void SetSpeed(const TEditorSpeed *Value) { FSpeed->Assign(Value); }
    TEditorViewInfo *View() const { return FView.get(); }
    void SetView(const TEditorViewInfo *Value) { FView->Assign(Value); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TEditorWrapOption *WrapOption() const { return FWrapOption.get(); }
    void SetWrapOption(const TEditorWrapOption *Value) { FWrapOption->Assign(Value); }

    // Takes every setting from an editor (a TEditorSettingsHost) or another
    // holder; the hit style is stored without its event. Raises for any
    // other source; an error while copying ends the copy quietly.
    virtual void Assign(const QObject *Source);
    void Assign(const TEditorSettingsHost &Editor);
    // Copies every setting into an editor or another holder (through its
    // setters, so the other holder's events fire). Word wrap goes last and
    // re-wraps the editor's text once at most. Raises for any other target;
    // an error while copying ends the copy quietly.
    virtual void AssignTo(QObject *Dest) const;
    void AssignTo(TEditorSettingsHost &Editor) const;

protected:
    virtual std::unique_ptr<TEditorCaret> CreateEditorCaret();
    virtual std::unique_ptr<TEditorImagebar> CreateEditorImagebar();
    virtual std::unique_ptr<TEditorLeftbar> CreateEditorLeftbar();
    virtual std::unique_ptr<TEditorMargin> CreateEditorMargin();
    virtual std::unique_ptr<TEditorMarks> CreateEditorMarks();
    virtual std::unique_ptr<TEditorRuler> CreateEditorRuler();
    virtual std::unique_ptr<TEditorSpeed> CreateEditorSpeed();
    virtual std::unique_ptr<TEditorViewInfo> CreateEditorViewInfo();
    virtual std::unique_ptr<TEditorWrapOption> CreateEditorWrapOption();

private:
    void assignFrom(const TEditorProp &Source);
    void assignToHolder(TEditorProp &Dest) const;

    TColor FColor = clWindow;
    std::unique_ptr<TEditorCaret> FCaret;
    TFont FFont;
    TEditorHitStyle FHitStyle = hsSelect;
    std::unique_ptr<TEditorImagebar> FImagebar;
    std::unique_ptr<TEditorLeftbar> FLeftbar;
    std::unique_ptr<TEditorMargin> FMargin;
    std::unique_ptr<TEditorMarks> FMarks;
    std::unique_ptr<TSortedStringList> FReserveWordList;
    std::unique_ptr<TEditorRuler> FRuler;
    TScrollStyle FScrollBars = ssNone;
    std::unique_ptr<TEditorSpeed> FSpeed;
    std::unique_ptr<TEditorViewInfo> FView;
    bool FWordWrap = false;
    std::unique_ptr<TEditorWrapOption> FWrapOption;
};
