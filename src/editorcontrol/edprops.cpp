#include "editorcontrol/edprops.h"

namespace {

// A failing step ends a copy of settings without a word: the settings
// already copied stay.
template<class F>
void guarded(F Copy)
{
    try {
        Copy();
    } catch (...) {
    }
}

} // namespace

TEditorProp::TEditorProp(QObject *AOwner)
    : TFileExtComponent(AOwner)
{
    qRegisterMetaType<TFont>();
    FCaret = CreateEditorCaret();
    FImagebar = CreateEditorImagebar();
    FLeftbar = CreateEditorLeftbar();
    FMargin = CreateEditorMargin();
    FMarks = CreateEditorMarks();
    FReserveWordList = CreateSortedStrings();
    FRuler = CreateEditorRuler();
    FView = CreateEditorViewInfo();
    FSpeed = CreateEditorSpeed();
    FWrapOption = CreateEditorWrapOption();
    FColor = clWindow;
    FFont.SetColor(clWindowText);
    FFont.setFamily(QStringLiteral("FixedSys"));
}

TEditorProp::~TEditorProp() = default;

std::unique_ptr<TEditorCaret> TEditorProp::CreateEditorCaret()
{
    return std::make_unique<TEditorCaret>();
}

std::unique_ptr<TEditorImagebar> TEditorProp::CreateEditorImagebar()
{
    return std::make_unique<TEditorImagebar>();
}

std::unique_ptr<TEditorLeftbar> TEditorProp::CreateEditorLeftbar()
{
    return std::make_unique<TEditorLeftbar>();
}

std::unique_ptr<TEditorMargin> TEditorProp::CreateEditorMargin()
{
    return std::make_unique<TEditorMargin>();
}

std::unique_ptr<TEditorMarks> TEditorProp::CreateEditorMarks()
{
    return std::make_unique<TEditorMarks>();
}

std::unique_ptr<TEditorRuler> TEditorProp::CreateEditorRuler()
{
    return std::make_unique<TEditorRuler>();
}

std::unique_ptr<TEditorSpeed> TEditorProp::CreateEditorSpeed()
{
    return std::make_unique<TEditorSpeed>();
}

std::unique_ptr<TEditorViewInfo> TEditorProp::CreateEditorViewInfo()
{
    return std::make_unique<TEditorViewInfo>(this);
}

std::unique_ptr<TEditorWrapOption> TEditorProp::CreateEditorWrapOption()
{
    return std::make_unique<TEditorWrapOption>();
}

void TEditorProp::SetColor(TColor Value)
{
    if (FColor == Value)
        return;
    FColor = Value;
    OnColorChange(this);
}

void TEditorProp::SetHitStyle(TEditorHitStyle Value)
{
    if (FHitStyle == Value)
        return;
    FHitStyle = Value;
    OnHitStyleChange(this);
}

void TEditorProp::SetScrollBars(TScrollStyle Value)
{
    if (FScrollBars == Value)
        return;
    FScrollBars = Value;
    OnScrollBarsChange(this);
}

void TEditorProp::SetWordWrap(bool Value)
{
    if (FWordWrap == Value)
        return;
    FWordWrap = Value;
    OnWordWrapChange(this);
}

void TEditorProp::Assign(const QObject *Source)
{
    if (const auto *holder = qobject_cast<const TEditorProp *>(Source))
        assignFrom(*holder);
    else if (const auto *editor = dynamic_cast<const TEditorSettingsHost *>(Source))
        Assign(*editor);
    else
        RaiseAssignError(Source, this);
}

void TEditorProp::Assign(const TEditorSettingsHost &Editor)
{
    guarded([&] {
        SetColor(Editor.Color());
        FCaret->Assign(Editor.Caret());
        FFont = Editor.Font();
        FHitStyle = Editor.HitStyle();
        FImagebar->Assign(Editor.Imagebar());
        FLeftbar->Assign(Editor.Leftbar());
        FMargin->Assign(Editor.Margin());
        FMarks->Assign(Editor.Marks());
        FReserveWordList->Assign(Editor.ReserveWordList());
        FRuler->Assign(Editor.Ruler());
        SetScrollBars(Editor.ScrollBars());
        FSpeed->Assign(Editor.Speed());
        FView->Assign(Editor.View());
        SetWordWrap(Editor.WordWrap());
        FWrapOption->Assign(Editor.WrapOption());
    });
}

void TEditorProp::assignFrom(const TEditorProp &Source)
{
    guarded([&] {
        SetColor(Source.FColor);
        FCaret->Assign(Source.FCaret.get());
        FFont = Source.FFont;
        FHitStyle = Source.FHitStyle;
        FImagebar->Assign(Source.FImagebar.get());
        FLeftbar->Assign(Source.FLeftbar.get());
        FMargin->Assign(Source.FMargin.get());
        FMarks->Assign(Source.FMarks.get());
        *FReserveWordList = *Source.FReserveWordList;
        FRuler->Assign(Source.FRuler.get());
        SetScrollBars(Source.FScrollBars);
        FSpeed->Assign(Source.FSpeed.get());
        FView->Assign(Source.FView.get());
        SetWordWrap(Source.FWordWrap);
        FWrapOption->Assign(Source.FWrapOption.get());
        SetFileExtList(Source.FileExtList());
    });
}

void TEditorProp::AssignTo(QObject *Dest) const
{
    if (auto *holder = qobject_cast<TEditorProp *>(Dest))
        assignToHolder(*holder);
    else if (auto *editor = dynamic_cast<TEditorSettingsHost *>(Dest))
        AssignTo(*editor);
    else
        RaiseAssignError(this, Dest);
}

void TEditorProp::AssignTo(TEditorSettingsHost &Editor) const
{
    guarded([&] {
        Editor.SetColor(FColor);
        Editor.Caret()->Assign(FCaret.get());
        Editor.SetFont(FFont);
        Editor.SetHitStyle(FHitStyle);
        Editor.Imagebar()->Assign(FImagebar.get());
        Editor.Leftbar()->Assign(FLeftbar.get());
        Editor.Margin()->Assign(FMargin.get());
        Editor.Marks()->Assign(FMarks.get());
        Editor.SetReserveWordList(ReserveWordList());
        Editor.Ruler()->Assign(FRuler.get());
        Editor.SetScrollBars(FScrollBars);
        Editor.Speed()->Assign(FSpeed.get());
        Editor.View()->Assign(FView.get());
        // Wrap settings change nothing while wrapping is off: set them
        // before switching it on, after switching it off.
        if (FWordWrap) {
            Editor.WrapOption()->Assign(FWrapOption.get());
            Editor.SetWordWrap(true);
        } else {
            Editor.SetWordWrap(false);
            Editor.WrapOption()->Assign(FWrapOption.get());
        }
    });
}

void TEditorProp::assignToHolder(TEditorProp &Dest) const
{
    guarded([&] {
        Dest.SetColor(FColor);
        Dest.SetCaret(FCaret.get());
        Dest.SetFont(FFont);
        Dest.SetHitStyle(FHitStyle);
        Dest.SetImagebar(FImagebar.get());
        Dest.SetLeftbar(FLeftbar.get());
        Dest.SetMargin(FMargin.get());
        Dest.SetMarks(FMarks.get());
        *Dest.FReserveWordList = *FReserveWordList;
        Dest.SetRuler(FRuler.get());
        Dest.SetScrollBars(FScrollBars);
        Dest.SetSpeed(FSpeed.get());
        Dest.SetView(FView.get());
        Dest.SetWordWrap(FWordWrap);
        Dest.SetWrapOption(FWrapOption.get());
        Dest.SetFileExtList(FileExtList());
    });
}
