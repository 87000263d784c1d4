#include "sqleditor/zksub_editor.h"

#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "editorcontrol/edprops.h"

#include <functional>
#include <type_traits>
#include <vector>

TEditorProp *prpEditor = nullptr;

namespace {

// One stored value of the holder: how to read it from the holder and how to
// give it back. Load and save walk the same table, so the two can never
// disagree on a name, a type or a default.
struct EditorValue
{
    QString name;
    bool isBool;
    int def;
    std::function<int(const TEditorProp &)> get;
    std::function<void(TEditorProp &, int)> set;
};

template<class Sub, class T>
EditorValue value(const char *name, T def, Sub *(*sub)(const TEditorProp &), T (Sub::*get)() const, void (Sub::*set)(T))
{
    return {QLatin1String(name), std::is_same_v<T, bool>, int(def),
            [sub, get](const TEditorProp &p) { return int((sub(p)->*get)()); },
            [sub, set](TEditorProp &p, int v) { (sub(p)->*set)(T(v)); }};
}

TEditorProp *holder(const TEditorProp &p)
{
    return const_cast<TEditorProp *>(&p);
}
TEditorMargin *margin(const TEditorProp &p)
{
    return p.Margin();
}
TEditorLeftbar *leftbar(const TEditorProp &p)
{
    return p.Leftbar();
}
TEditorRuler *ruler(const TEditorProp &p)
{
    return p.Ruler();
}
TEditorCaret *caret(const TEditorProp &p)
{
    return p.Caret();
}
TEditorWrapOption *wrap(const TEditorProp &p)
{
    return p.WrapOption();
}

using MarkOf = TEditorMark *(*)(const TEditorProp &);
using ColorOf = TFountainColor *(*)(const TEditorProp &);

void addMark(std::vector<EditorValue> &v, const char *colorName, const char *visibleName, MarkOf mark, TColor color,
             bool visible)
{
    v.push_back(value(colorName, color, mark, &TEditorMark::Color, &TEditorMark::SetColor));
    v.push_back(value(visibleName, visible, mark, &TEditorMark::Visible, &TEditorMark::SetVisible));
}

EditorValue styleBit(const QString &name, bool def, ColorOf item, TFontStyles bit)
{
    return {name, true, int(def), [item, bit](const TEditorProp &p) { return int((item(p)->Style() & bit) != 0); },
            [item, bit](TEditorProp &p, int on) {
                TFountainColor *c = item(p);
                c->SetStyle(on ? TFontStyles(c->Style() | bit) : TFontStyles(c->Style() & ~bit));
            }};
}

void addColorItem(std::vector<EditorValue> &v, const char *prefix, ColorOf item, TColor color, TColor bkColor,
                  bool bold)
{
    const QString p = QLatin1String(prefix);
    auto named = [&p](const char *suffix) { return (p + QLatin1String(suffix)).toLatin1(); };
    v.push_back(value(named("Visible").constData(), true, item, &TFountainColor::Visible, &TFountainColor::SetVisible));
    v.push_back(value(named("Color").constData(), color, item, &TFountainColor::Color, &TFountainColor::SetColor));
    v.push_back(
        value(named("BkColor").constData(), bkColor, item, &TFountainColor::BkColor, &TFountainColor::SetBkColor));
    v.push_back(styleBit(p + QLatin1String("Bold"), bold, item, fsBold));
    v.push_back(styleBit(p + QLatin1String("ULine"), false, item, fsUnderline));
}

const QString kFontName = QStringLiteral("FontName");
const QString kDefaultFontName = QStringLiteral("ＭＳ ゴシック");

// Every value after "FontName", in the stored order.
const std::vector<EditorValue> &editorValues()
{
    static const std::vector<EditorValue> values = [] {
        std::vector<EditorValue> v;
        v.push_back({QStringLiteral("FontSize"), false, 10, [](const TEditorProp &p) { return p.Font().pointSize(); },
                     [](TEditorProp &p, int size) {
                         TFont f = p.Font();
                         if (size > 0) // a point size below 1 is no size: the font keeps its own
                             f.setPointSize(size);
                         p.SetFont(f);
                     }});
        v.push_back({QStringLiteral("FontColor"), false, clBlack, [](const TEditorProp &p) { return p.Font().Color(); },
                     [](TEditorProp &p, int color) {
                         TFont f = p.Font();
                         f.SetColor(color);
                         p.SetFont(f);
                     }});
        v.push_back(value("MarginTop", 2, margin, &TEditorMargin::Top, &TEditorMargin::SetTop));
        v.push_back(value("MarginLeft", 2, margin, &TEditorMargin::Left, &TEditorMargin::SetLeft));
        v.push_back(value("MarginChar", 1, margin, &TEditorMargin::Character, &TEditorMargin::SetCharacter));
        v.push_back(value("MarginLine", 0, margin, &TEditorMargin::Line, &TEditorMargin::SetLine));
        v.push_back(value("Color", TColor(0xFFFFFF), holder, &TEditorProp::Color, &TEditorProp::SetColor));
        v.push_back(value("LBarVisible", true, leftbar, &TEditorLeftbar::Visible, &TEditorLeftbar::SetVisible));
        v.push_back(value("LBarZeroBase", false, leftbar, &TEditorLeftbar::ZeroBase, &TEditorLeftbar::SetZeroBase));
        v.push_back(value("LBarZeroLead", false, leftbar, &TEditorLeftbar::ZeroLead, &TEditorLeftbar::SetZeroLead));
        v.push_back(value("LBarColor", TColor(0), leftbar, &TEditorLeftbar::Color, &TEditorLeftbar::SetColor));
        v.push_back(
            value("LBarBkColor", TColor(0xE6E6E6), leftbar, &TEditorLeftbar::BkColor, &TEditorLeftbar::SetBkColor));
        v.push_back(value("RulerVisible", true, ruler, &TEditorRuler::Visible, &TEditorRuler::SetVisible));
        v.push_back(value("RulerColor", TColor(0), ruler, &TEditorRuler::Color, &TEditorRuler::SetColor));
        v.push_back(value("RulerBkColor", TColor(0xE6E6E6), ruler, &TEditorRuler::BkColor, &TEditorRuler::SetBkColor));
        v.push_back(
            value("RulerMarkColor", TColor(0x800080), ruler, &TEditorRuler::MarkColor, &TEditorRuler::SetMarkColor));
        v.push_back(value("RulerSize", 10, ruler, &TEditorRuler::GaugeRange, &TEditorRuler::SetGaugeRange));
        v.push_back(value("AutoIndent", true, caret, &TEditorCaret::AutoIndent, &TEditorCaret::SetAutoIndent));
        v.push_back(value("BackSpaceUnIndent", true, caret, &TEditorCaret::BackSpaceUnIndent,
                          &TEditorCaret::SetBackSpaceUnIndent));
        v.push_back(value("FreeCaret", false, caret, &TEditorCaret::FreeCaret, &TEditorCaret::SetFreeCaret));
        v.push_back(value("InTab", false, caret, &TEditorCaret::InTab, &TEditorCaret::SetInTab));
        v.push_back(value("NextLine", true, caret, &TEditorCaret::NextLine, &TEditorCaret::SetNextLine));
        v.push_back(value("TabIndent", false, caret, &TEditorCaret::TabIndent, &TEditorCaret::SetTabIndent));
        v.push_back(value("SoftTab", true, caret, &TEditorCaret::SoftTab, &TEditorCaret::SetSoftTab));
        v.push_back(value("TabSize", 4, caret, &TEditorCaret::TabSpaceCount, &TEditorCaret::SetTabSpaceCount));
        v.push_back(value("SelMove", true, caret, &TEditorCaret::SelMove, &TEditorCaret::SetSelMove));
        addMark(
            v, "EOFColor", "EOFVisible", [](const TEditorProp &p) { return p.Marks()->EofMark(); }, 0x808000, true);
        addMark(
            v, "CRColor", "CRVisible", [](const TEditorProp &p) { return p.Marks()->RetMark(); }, 0x808000, true);
        addMark(
            v, "ULColor", "ULVisible", [](const TEditorProp &p) { return p.Marks()->Underline(); }, 0x800080, true);
        addMark(
            v, "TABColor", "TABVisible", [](const TEditorProp &p) { return p.Marks()->TabMark(); }, 0xC0C0C0, true);
        addMark(
            v, "SemiSpaceColor", "SemiSpaceVisible", [](const TEditorProp &p) { return p.Marks()->SemiSpaceMark(); },
            clNone, false);
        addMark(
            v, "SpaceColor", "SpaceVisible", [](const TEditorProp &p) { return p.Marks()->SpaceMark(); }, 0xC0C0C0,
            true);
        addColorItem(
            v, "Comment", [](const TEditorProp &p) -> TFountainColor * { return p.View()->Colors()->Comment(); },
            0x008000, clNone, false);
        addColorItem(
            v, "Str", [](const TEditorProp &p) -> TFountainColor * { return p.View()->Colors()->Str(); }, 0x0000FF,
            clNone, false);
        addColorItem(
            v, "Symbol", [](const TEditorProp &p) -> TFountainColor * { return p.View()->Colors()->Symbol(); },
            0x0063C6, clNone, false);
        addColorItem(
            v, "Int", [](const TEditorProp &p) -> TFountainColor * { return p.View()->Colors()->Int(); }, 0xFF0000,
            clNone, false);
        addColorItem(
            v, "Reserve", [](const TEditorProp &p) { return p.View()->Colors()->Reserve(); }, 0x800000, clNone, true);
        addColorItem(
            v, "Hit", [](const TEditorProp &p) -> TFountainColor * { return p.View()->Colors()->Hit(); }, 0x000000,
            0x00FFFF, false);
        addColorItem(
            v, "Select", [](const TEditorProp &p) -> TFountainColor * { return p.View()->Colors()->Select(); },
            0xFFFFFF, 0x800000, false);
        v.push_back(value("WordWrap", false, holder, &TEditorProp::WordWrap, &TEditorProp::SetWordWrap));
        v.push_back(value("WrapByte", 200, wrap, &TEditorWrapOption::WrapByte, &TEditorWrapOption::SetWrapByte));
        return v;
    }();
    return values;
}

const QString &editorKey()
{
    static const QString key = ZK_REG_ROOT + QStringLiteral("\\EDITOR");
    return key;
}

void openEditorKey()
{
    if (!zkReg->OpenKey(editorKey(), true))
        throw ERegistryException(QStringLiteral("レジストリキー「%1」を開けません。").arg(editorKey()));
}

const QString kCallOfDot = QStringLiteral("CodeAssistCallOfDot");
const QString kDelayShow = QStringLiteral("CodeAssistDelayShow");
const QString kDelayTime = QStringLiteral("CodeAssistDelayTime");
const QString kShowToolPalette = QStringLiteral("ShowToolPalette");

// What no stored value changes.
void applyFixedSettings(TEditorProp &p)
{
    TFont font = p.Font();
    font.setFixedPitch(true);
    p.SetFont(font);
    TEditorImagebar *image = p.Imagebar();
    image->SetVisible(false);
    image->SetLeftMargin(0);
    image->SetDigitWidth(0);
    image->SetMarkWidth(0);
    image->SetRightMargin(0);
    TEditorLeftbar *left = p.Leftbar();
    left->SetShowNumberMode(nmLine);
    left->SetLeftMargin(2);
    left->SetRightMargin(2);
    left->SetColumn(4);
    p.SetScrollBars(ssBoth);
    TEditorCaret *c = p.Caret();
    c->SetAutoCursor(true);
    c->SetLockScroll(false);
    c->SetKeepCaret(true);
    TEditorViewInfo *view = p.View();
    view->SetCommenter(QStringLiteral("--"));
    // Both quotation marks are the single quote: a double-quoted name is no
    // string literal in SQL.
    view->SetQuotation(QStringLiteral("'"));
    view->SetDoubleQuotation(QStringLiteral("'"));
    view->SetMail(false);
    view->SetUrl(false);
    view->SetControlCode(false);
    view->SetHexPrefix(QString());
}

// The one bracket pair: block comments, in the comment colours. Rebuilt on
// every load so that a second load does not add a second pair.
void applyBrackets(TEditorProp &p)
{
    TEditorBracketCollection *brackets = p.View()->Brackets();
    brackets->BeginUpdate();
    brackets->Clear();
    TFountainBracketItem *pair = brackets->Add();
    pair->SetLeftBracket(QStringLiteral("/*"));
    pair->SetRightBracket(QStringLiteral("*/"));
    const TEditorColor *comment = p.View()->Colors()->Comment();
    pair->ItemColor()->SetColor(comment->Color());
    pair->ItemColor()->SetBkColor(comment->BkColor());
    brackets->EndUpdate();
}

} // namespace

void LoadEditorSettings()
{
    if (!prpEditor)
        prpEditor = new TEditorProp;
    TEditorProp &p = *prpEditor;
    openEditorKey();
    if (!zkReg->ValueExists(kCallOfDot)) {
        // Written by a version older than code completion: its values and
        // subkeys do not fit this one.
        zkReg->CloseKey();
        zkReg->DeleteKey(editorKey());
        openEditorKey();
    }
    p.SetReserveWordList(ReserveWords);
    TFont font = p.Font();
    font.setFamily(zkReg->GetString(kFontName, kDefaultFontName));
    p.SetFont(font);
    for (const EditorValue &v : editorValues())
        v.set(p, v.isBool ? int(zkReg->GetBool(v.name, v.def != 0)) : zkReg->GetInteger(v.name, v.def));
    applyFixedSettings(p);
    applyBrackets(p);

    const TCodeAssistOption defaults;
    TCodeAssistOption &o = CodeAssistOption;
    o.CodeAssistCallOfDot = zkReg->GetBool(kCallOfDot, defaults.CodeAssistCallOfDot);
    o.CodeAssistDelayShow = zkReg->GetBool(kDelayShow, defaults.CodeAssistDelayShow);
    o.CodeAssistDelayTime = zkReg->GetInteger(kDelayTime, defaults.CodeAssistDelayTime);
    o.ShowToolPalette = zkReg->GetBool(kShowToolPalette, defaults.ShowToolPalette);
    zkReg->CloseKey();
}

void SaveEditorSettings()
{
    if (!prpEditor)
        return;
    const TEditorProp &p = *prpEditor;
    openEditorKey();
    zkReg->WriteString(kFontName, p.Font().family());
    for (const EditorValue &v : editorValues()) {
        if (v.isBool)
            zkReg->WriteBool(v.name, v.get(p) != 0);
        else
            zkReg->WriteInteger(v.name, v.get(p));
    }
    const TCodeAssistOption &o = CodeAssistOption;
    zkReg->WriteBool(kCallOfDot, o.CodeAssistCallOfDot);
    zkReg->WriteBool(kDelayShow, o.CodeAssistDelayShow);
    zkReg->WriteInteger(kDelayTime, o.CodeAssistDelayTime);
    zkReg->WriteBool(kShowToolPalette, o.ShowToolPalette);
    zkReg->CloseKey();
}

void RegisterEditorSettings()
{
    if (!prpEditor)
        prpEditor = new TEditorProp;
    RegisterSettingsSection(TSettingsSection::Editor, LoadEditorSettings, SaveEditorSettings);
}

void ReleaseEditorSettings()
{
    RegisterSettingsSection(TSettingsSection::Editor, {}, {});
    delete prpEditor;
    prpEditor = nullptr;
}
