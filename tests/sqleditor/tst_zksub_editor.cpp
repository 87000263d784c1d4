#include "common/testenv.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "editorcontrol/edprops.h"
#include "sqleditor/zksub_editor.h"
#include "sqleditor/zksub_reserve.h"

#include <QMap>
#include <QVariant>

#include <gtest/gtest.h>

namespace {

const QString kEditor = ZK_REG_ROOT + QStringLiteral("\\EDITOR");

using Values = QMap<QString, QVariant>;

// The EDITOR key through LoadSettings and SaveSettings, with RESERVE before it
// as the main window registers them.
class EditorSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestEnv::resetRegistry();
        InitializeCore();
        RegisterReserveWordSettings();
        RegisterEditorSettings();
        CodeAssistOption = TCodeAssistOption();
    }
    void TearDown() override
    {
        ReleaseEditorSettings();
        RegisterSettingsSection(TSettingsSection::Reserve, {}, {});
        FinalizeCore();
    }
    static void store(const QString &key, const Values &values)
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(key, true));
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (it.value().typeId() == QMetaType::QString)
                reg.WriteString(it.key(), it.value().toString());
            else
                reg.WriteInteger(it.key(), it.value().toInt());
        }
        reg.CloseKey();
    }
    // Every value directly under EDITOR.
    static Values stored()
    {
        TzkRegistry reg;
        Values values;
        if (!reg.OpenKey(kEditor, false))
            return values;
        for (const QString &name : reg.GetValueNames()) {
            if (reg.GetDataType(name) == RegDataType::String)
                values.insert(name, reg.ReadString(name));
            else
                values.insert(name, reg.ReadInteger(name));
        }
        return values;
    }
    static bool keyExists(const QString &key)
    {
        TzkRegistry reg;
        return reg.KeyExists(key);
    }
    // What the holder and the record would write, without touching the store
    // the test looks at next.
    static Values holderState()
    {
        const Values before = stored();
        SaveEditorSettings();
        const Values state = stored();
        TzkRegistry reg;
        reg.DeleteKey(kEditor);
        store(kEditor, before);
        return state;
    }
};

TEST_F(EditorSettings, AnOldKeyIsWipedAndEverySettingTakesItsDefault)
{
    store(kEditor, {{"FontSize", 20}, {"Color", 0x123456}, {"ItemIndex", 3}, {"SchemaDisp", 1}});
    store(kEditor + QStringLiteral("\\USER_RULE0"), {{"Name", QStringLiteral("rule")}});
    CodeAssistOption.CodeAssistDelayTime = 1;
    LoadSettings();

    EXPECT_FALSE(keyExists(kEditor + QStringLiteral("\\USER_RULE0")));
    EXPECT_TRUE(stored().isEmpty()) << "nothing is kept until the next save";
    EXPECT_EQ(prpEditor->Font().pointSize(), 10);
    EXPECT_EQ(CodeAssistOption.CodeAssistDelayTime, 800);

    // Saved, every setting shows its default under its stored name.
    SaveSettings();
    const Values expected{
        {"FontName", QStringLiteral("ＭＳ ゴシック")},
        {"FontSize", 10},
        {"FontColor", 0},
        {"MarginTop", 2},
        {"MarginLeft", 2},
        {"MarginChar", 1},
        {"MarginLine", 0},
        {"Color", 0xFFFFFF},
        {"LBarVisible", 1},
        {"LBarZeroBase", 0},
        {"LBarZeroLead", 0},
        {"LBarColor", 0},
        {"LBarBkColor", 0xE6E6E6},
        {"RulerVisible", 1},
        {"RulerColor", 0},
        {"RulerBkColor", 0xE6E6E6},
        {"RulerMarkColor", 0x800080},
        {"RulerSize", 10},
        {"AutoIndent", 1},
        {"BackSpaceUnIndent", 1},
        {"FreeCaret", 0},
        {"InTab", 0},
        {"NextLine", 1},
        {"TabIndent", 0},
        {"SoftTab", 1},
        {"TabSize", 4},
        {"SelMove", 1},
        {"EOFColor", 0x808000},
        {"EOFVisible", 1},
        {"CRColor", 0x808000},
        {"CRVisible", 1},
        {"ULColor", 0x800080},
        {"ULVisible", 1},
        {"TABColor", 0xC0C0C0},
        {"TABVisible", 1},
        {"SemiSpaceColor", 0x1FFFFFFF},
        {"SemiSpaceVisible", 0},
        {"SpaceColor", 0xC0C0C0},
        {"SpaceVisible", 1},
        {"CommentVisible", 1},
        {"CommentColor", 0x008000},
        {"CommentBkColor", 0x1FFFFFFF},
        {"CommentBold", 0},
        {"CommentULine", 0},
        {"StrVisible", 1},
        {"StrColor", 0x0000FF},
        {"StrBkColor", 0x1FFFFFFF},
        {"StrBold", 0},
        {"StrULine", 0},
        {"SymbolVisible", 1},
        {"SymbolColor", 0x0063C6},
        {"SymbolBkColor", 0x1FFFFFFF},
        {"SymbolBold", 0},
        {"SymbolULine", 0},
        {"IntVisible", 1},
        {"IntColor", 0xFF0000},
        {"IntBkColor", 0x1FFFFFFF},
        {"IntBold", 0},
        {"IntULine", 0},
        {"ReserveVisible", 1},
        {"ReserveColor", 0x800000},
        {"ReserveBkColor", 0x1FFFFFFF},
        {"ReserveBold", 1},
        {"ReserveULine", 0},
        {"HitVisible", 1},
        {"HitColor", 0},
        {"HitBkColor", 0x00FFFF},
        {"HitBold", 0},
        {"HitULine", 0},
        {"SelectVisible", 1},
        {"SelectColor", 0xFFFFFF},
        {"SelectBkColor", 0x800000},
        {"SelectBold", 0},
        {"SelectULine", 0},
        {"WordWrap", 0},
        {"WrapByte", 200},
        {"CodeAssistCallOfDot", 1},
        {"CodeAssistDelayShow", 1},
        {"CodeAssistDelayTime", 800},
        {"ShowToolPalette", 1},
    };
    const Values actual = stored();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(actual.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(actual.size(), expected.size());
}

TEST_F(EditorSettings, ASavedKeyKeepsItsRulesAndWordWrapSurvives)
{
    LoadSettings();
    prpEditor->SetWordWrap(true);
    prpEditor->WrapOption()->SetWrapByte(120);
    CodeAssistOption.CodeAssistDelayShow = false;
    CodeAssistOption.CodeAssistDelayTime = 1200;
    CodeAssistOption.ShowToolPalette = false;
    SaveSettings();
    store(kEditor, {{"ItemIndex", 3}});
    store(kEditor + QStringLiteral("\\USER_RULE0"), {{"Name", QStringLiteral("rule")}});

    // A restart: a new holder and record.
    ReleaseEditorSettings();
    RegisterEditorSettings();
    CodeAssistOption = TCodeAssistOption();
    LoadSettings();
    EXPECT_TRUE(prpEditor->WordWrap());
    EXPECT_EQ(prpEditor->WrapOption()->WrapByte(), 120);
    EXPECT_FALSE(CodeAssistOption.CodeAssistDelayShow);
    EXPECT_EQ(CodeAssistOption.CodeAssistDelayTime, 1200);
    EXPECT_FALSE(CodeAssistOption.ShowToolPalette);
    EXPECT_TRUE(CodeAssistOption.CodeAssistCallOfDot);

    SaveSettings();
    EXPECT_TRUE(keyExists(kEditor + QStringLiteral("\\USER_RULE0")));
    EXPECT_EQ(stored().value(QStringLiteral("ItemIndex")), 3);
}

TEST_F(EditorSettings, TheHolderTakesTheReservedWordsAndTheFixedSettings)
{
    store(ZK_REG_ROOT + QStringLiteral("\\RESERVE"), {{"SELECT", QString()}, {"from", QString()}});
    store(kEditor, {{"CodeAssistCallOfDot", 1},
                    {"CommentColor", 0x123456},
                    {"CommentBkColor", 0x654321},
                    {"FontName", QStringLiteral("FixedSys")}});
    LoadSettings();
    EXPECT_EQ(prpEditor->ReserveWordList(), (QStringList{"from", "SELECT"}));
    EXPECT_EQ(prpEditor->Font().family(), QStringLiteral("FixedSys")) << "the font table maps the name, not the store";
    EXPECT_TRUE(prpEditor->Font().fixedPitch());

    const TEditorViewInfo *view = prpEditor->View();
    EXPECT_EQ(view->Commenter(), QStringLiteral("--"));
    EXPECT_EQ(view->Quotation(), QStringLiteral("'"));
    EXPECT_EQ(view->DoubleQuotation(), QStringLiteral("'"));
    EXPECT_FALSE(view->Mail() || view->Url() || view->ControlCode());
    ASSERT_EQ(view->Brackets()->Count(), 1);
    const TFountainBracketItem *pair = view->Brackets()->GetBracketItem(0);
    EXPECT_EQ(pair->LeftBracket(), QStringLiteral("/*"));
    EXPECT_EQ(pair->RightBracket(), QStringLiteral("*/"));
    EXPECT_EQ(pair->ItemColor()->Color(), 0x123456);
    EXPECT_EQ(pair->ItemColor()->BkColor(), 0x654321);

    const TEditorImagebar *image = prpEditor->Imagebar();
    EXPECT_FALSE(image->Visible());
    EXPECT_EQ(image->LeftMargin() + image->DigitWidth() + image->MarkWidth() + image->RightMargin(), 0);
    EXPECT_EQ(prpEditor->Leftbar()->ShowNumberMode(), nmLine);
    EXPECT_EQ(prpEditor->Leftbar()->RightMargin(), 2);
    EXPECT_EQ(prpEditor->ScrollBars(), ssBoth);
    EXPECT_TRUE(prpEditor->Caret()->KeepCaret());
    EXPECT_TRUE(prpEditor->Caret()->AutoCursor());
}

TEST_F(EditorSettings, ASecondLoadGivesTheStateOfTheFirst)
{
    // The first load sets styles that the store then drops, as a settings
    // import does.
    store(kEditor, {{"CodeAssistCallOfDot", 1}, {"StrBold", 1}, {"StrULine", 1}, {"HitULine", 1}});
    LoadSettings();
    ASSERT_NE(prpEditor->View()->Colors()->Str()->Style() & fsBold, 0);
    store(kEditor, {{"StrBold", 0}, {"StrULine", 0}, {"HitULine", 0}, {"ReserveBold", 0}, {"CommentColor", 0x0000AA}});
    LoadSettings();
    LoadSettings();
    const Values reloaded = holderState();
    EXPECT_EQ(prpEditor->View()->Brackets()->Count(), 1);
    EXPECT_EQ(prpEditor->View()->Brackets()->GetBracketItem(0)->ItemColor()->Color(), 0x0000AA);
    EXPECT_EQ(prpEditor->View()->Colors()->Str()->Style(), 0);
    EXPECT_EQ(prpEditor->View()->Colors()->Reserve()->Style() & fsBold, 0);

    ReleaseEditorSettings();
    RegisterEditorSettings();
    LoadSettings();
    EXPECT_EQ(holderState(), reloaded) << "a used holder loads like a new one";
}

} // namespace
