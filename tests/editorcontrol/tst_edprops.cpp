#include "editorcontrol/edprops.h"
#include "fakeclient.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <functional>

namespace {

class Counter : public QObject
{
public:
    void Heard(QObject *Sender)
    {
        ++count;
        senders.push_back(Sender);
    }
    TNotifyEvent event() { return TNotifyEvent(this, &Counter::Heard); }
    int count = 0;
    std::vector<QObject *> senders;
};

// ---- Clamping setters ----

struct ClampCase
{
    const char *name;
    std::function<int(int)> setAndGet;
    int value;
    int expected;
};

template<class T>
std::function<int(int)> clampOf(void (T::*Set)(int), int (T::*Get)() const)
{
    return [Set, Get](int v) {
        T object;
        (object.*Set)(v);
        return (object.*Get)();
    };
}

TEST(EditorSettings, SettersClamp)
{
    const auto tab = clampOf(&TEditorCaret::SetTabSpaceCount, &TEditorCaret::TabSpaceCount);
    const auto gauge = clampOf(&TEditorRuler::SetGaugeRange, &TEditorRuler::GaugeRange);
    const auto column = clampOf(&TEditorLeftbar::SetColumn, &TEditorLeftbar::Column);
    const auto left = clampOf(&TEditorMargin::SetLeft, &TEditorMargin::Left);
    const auto digit = clampOf(&TEditorImagebar::SetDigitWidth, &TEditorImagebar::DigitWidth);
    const auto barMargin = clampOf(&TEditorLeftbar::SetRightMargin, &TEditorLeftbar::RightMargin);
    const auto speed = clampOf(&TEditorSpeed::SetPageVerticalRange, &TEditorSpeed::PageVerticalRange);
    const ClampCase cases[] = {
        {"tab 3", tab, 3, 2},           {"tab 7", tab, 7, 6},           {"tab 0", tab, 0, 2},
        {"tab 1", tab, 1, 2},           {"tab 9", tab, 9, 8},           {"tab 100", tab, 100, 8},
        {"tab 4", tab, 4, 4},           {"tab -3", tab, -3, 2},         {"gauge 9", gauge, 9, 8},
        {"gauge 20", gauge, 20, 10},    {"gauge 3", gauge, 3, 8},       {"column 0", column, 0, 1},
        {"column 12", column, 12, 8},   {"column 5", column, 5, 5},     {"margin -5", left, -5, 0},
        {"margin 500", left, 500, 100}, {"digit 101", digit, 101, 100}, {"bar margin -1", barMargin, -1, 0},
        {"speed 9", speed, 9, 4},       {"speed 0", speed, 0, 1},
    };
    for (const ClampCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.setAndGet(c.value), c.expected);
    }
}

TEST(EditorSettings, ColourValues)
{
    EXPECT_EQ(ColorToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ColorToQColor(0x0063C6), QColor(0xC6, 0x63, 0x00));
    EXPECT_FALSE(ColorToQColor(clNone).isValid());
    EXPECT_EQ(QColorToColor(QColor(0x12, 0x34, 0x56)), 0x563412);
    EXPECT_EQ(QColorToColor(QColor()), clNone);
    EXPECT_EQ(ColorToQColor(clWindowText), QGuiApplication::palette().color(QPalette::Text));
    TFont font(QFont(QStringLiteral("FixedSys")), clBlue);
    font.SetStyle(fsBold | fsUnderline);
    EXPECT_EQ(font.Style(), fsBold | fsUnderline);
    EXPECT_TRUE(font.bold());
    TFont other = font;
    other.SetColor(clRed);
    EXPECT_NE(other, font) << "the colour is part of the font";
}

// ---- Which changes notify ----

struct NotifyCase
{
    const char *name;
    std::function<std::unique_ptr<TNotifyPersistent>()> make;
    std::function<void(TNotifyPersistent &)> change;
    int notifications;
};

template<class T>
NotifyCase notifyCase(const char *name, std::function<void(T &)> change, int notifications)
{
    return {name, [] { return std::make_unique<T>(); }, [change](TNotifyPersistent &o) { change(static_cast<T &>(o)); },
            notifications};
}

TEST(EditorSettings, OnlyNotifyingPropertiesNotify)
{
    using Caret = TEditorCaret;
    using View = TEditorViewInfo;
    const NotifyCase cases[] = {
        // Caret flags and pointer shapes are direct: a caret change empties
        // the editor's undo history.
        notifyCase<Caret>(
            "AutoIndent", [](Caret &c) { c.SetAutoIndent(false); }, 0),
        notifyCase<Caret>(
            "FreeCaret", [](Caret &c) { c.SetFreeCaret(false); }, 0),
        notifyCase<Caret>(
            "SoftTab", [](Caret &c) { c.SetSoftTab(true); }, 0),
        notifyCase<Caret>(
            "SelDragMode", [](Caret &c) { c.SetSelDragMode(dmManual); }, 0),
        notifyCase<Caret>(
            "Cursors", [](Caret &c) { c.Cursors()->SetDefaultCursor(crArrow); }, 0),
        notifyCase<Caret>(
            "Style", [](Caret &c) { c.SetStyle(TEditorCaretStyle::csBrief); }, 1),
        notifyCase<Caret>(
            "TabSpaceCount", [](Caret &c) { c.SetTabSpaceCount(4); }, 1),
        notifyCase<Caret>(
            "TabSpaceCount unchanged", [](Caret &c) { c.SetTabSpaceCount(9); }, 0),
        notifyCase<Caret>(
            "Assign",
            [](Caret &c) {
                Caret other;
                other.SetSoftTab(true);
                c.Assign(&other);
            },
            1),
        notifyCase<TEditorMargin>(
            "Margin Left", [](TEditorMargin &m) { m.SetLeft(3); }, 1),
        notifyCase<TEditorMargin>(
            "Margin Underline", [](TEditorMargin &m) { m.SetUnderline(1); }, 0),
        notifyCase<TEditorMarks>(
            "a mark", [](TEditorMarks &m) { m.TabMark()->SetVisible(true); }, 1),
        notifyCase<TEditorMarks>(
            "Assign marks",
            [](TEditorMarks &m) {
                TEditorMarks o;
                o.EofMark()->SetColor(clRed);
                o.RetMark()->SetVisible(true);
                m.Assign(&o);
            },
            1),
        notifyCase<TEditorRuler>(
            "Ruler Visible", [](TEditorRuler &r) { r.SetVisible(true); }, 1),
        notifyCase<TEditorLeftbar>(
            "Leftbar ZeroLead", [](TEditorLeftbar &l) { l.SetZeroLead(true); }, 1),
        notifyCase<TEditorImagebar>(
            "Imagebar unchanged", [](TEditorImagebar &i) { i.SetVisible(true); }, 0),
        notifyCase<TEditorImagebar>(
            "empty update",
            [](TEditorImagebar &i) {
                i.BeginUpdate();
                i.EndUpdate();
            },
            1),
        notifyCase<View>(
            "Commenter", [](View &v) { v.SetCommenter(QStringLiteral("--")); }, 1),
        notifyCase<View>(
            "Quotation unchanged", [](View &v) { v.SetQuotation(QString()); }, 0),
        notifyCase<View>(
            "a colour of the scheme", [](View &v) { v.Colors()->Comment()->SetColor(clGreen); }, 1),
        notifyCase<View>(
            "a bracket pair", [](View &v) { v.Brackets()->Add(); }, 1),
        notifyCase<View>(
            "the word list", [](View &v) { v.EditorFountain()->SetReserveWordList({"SELECT"}); }, 1),
        notifyCase<View>(
            "Assign",
            [](View &v) {
                View o;
                o.SetUrl(true);
                o.Brackets()->Add();
                o.Colors()->Str()->SetColor(clRed);
                v.Assign(&o);
            },
            1),
        notifyCase<View>(
            "SameColor", [](View &v) { v.EditorFountain()->SameColor(clRed); }, 1),
    };
    for (const NotifyCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TNotifyPersistent> object = c.make();
        Counter counter;
        object->OnChange = counter.event();
        c.change(*object);
        EXPECT_EQ(counter.count, c.notifications);
        for (QObject *sender : counter.senders)
            EXPECT_EQ(sender, object.get());
    }
}

TEST(EditorSettings, ViewKeepsTheFirstQuotationCharacter)
{
    TEditorViewInfo view;
    view.SetQuotation(QStringLiteral("'\""));
    view.SetDoubleQuotation(QStringLiteral("\"x"));
    EXPECT_EQ(view.Quotation(), QStringLiteral("'"));
    EXPECT_EQ(view.DoubleQuotation(), QStringLiteral("\""));
    EXPECT_EQ(view.EditorFountain()->Quotation(), QStringLiteral("'"));
}

TEST(EditorSettings, SchemeColourOperations)
{
    TEditorFountain fountain;
    Counter first;
    Counter second;
    fountain.NotifyEventList()->Add(first.event());
    fountain.NotifyEventList()->Add(second.event());
    TEditorColors *colors = fountain.Colors();
    const TColor select = colors->Select()->Color();
    fountain.SameColor(clRed);
    EXPECT_EQ(first.count, 1);
    EXPECT_EQ(second.count, 1);
    EXPECT_EQ(first.senders.front(), &fountain);
    for (const TFountainColor *c :
         {static_cast<TFountainColor *>(colors->Ank()), static_cast<TFountainColor *>(colors->Comment()),
          static_cast<TFountainColor *>(colors->Url()), colors->Reserve()})
        EXPECT_EQ(c->Color(), clRed);
    EXPECT_EQ(colors->Select()->Color(), select);
    EXPECT_EQ(colors->Hit()->Color(), clNone);

    EXPECT_FALSE(fountain.HasItalicFontStyle(&fountain));
    fountain.Brackets()->Add()->ItemColor()->SetStyle(fsItalic | fsBold);
    EXPECT_TRUE(fountain.HasItalicFontStyle(&fountain));
    EXPECT_FALSE(fountain.HasItalicFontStyle(colors));
    colors->Hit()->SetStyle(fsItalic);
    EXPECT_TRUE(fountain.HasItalicFontStyle(colors));

    TEditorBracketCollection *pairs = fountain.EditorBrackets();
    pairs->Add();
    first.count = 0;
    pairs->SameBkColor(clYellow);
    EXPECT_EQ(first.count, 1);
    EXPECT_EQ(pairs->GetBracketItem(1)->ItemColor()->BkColor(), clYellow);
}

// ---- The settings holder ----

// An editor's settings without a window: its own settings objects, word
// wrap and wrap settings of a real row list, and a count of notifications
// per object.
class FakeEditor
    : public QObject
    , public TEditorSettingsHost
{
public:
    FakeEditor()
    {
        for (TNotifyPersistent *o : std::initializer_list<TNotifyPersistent *>{&m_caret, &m_imagebar, &m_leftbar,
                                                                               &m_margin, &m_marks, &m_ruler, &m_view})
            o->OnChange = counter.event();
        lines.SetTextStr(QString(100, QLatin1Char('x')));
        client.refreshes = 0;
    }

    TColor Color() const override { return m_color; }
    void SetColor(TColor Value) override { m_color = Value; }
    TEditorCaret *Caret() const override { return &m_caret; }
    TFont Font() const override { return m_font; }
    void SetFont(const TFont &Value) override { m_font = Value; }
    TEditorHitStyle HitStyle() const override { return m_hitStyle; }
    void SetHitStyle(TEditorHitStyle Value) override { m_hitStyle = Value; }
    TEditorImagebar *Imagebar() const override { return &m_imagebar; }
    TEditorLeftbar *Leftbar() const override { return &m_leftbar; }
    TEditorMargin *Margin() const override { return &m_margin; }
    TEditorMarks *Marks() const override { return &m_marks; }
    QStringList ReserveWordList() const override { return m_view.EditorFountain()->ReserveWordList(); }
    void SetReserveWordList(const QStringList &Value) override { m_view.EditorFountain()->SetReserveWordList(Value); }
    TEditorRuler *Ruler() const override { return &m_ruler; }
    TScrollStyle ScrollBars() const override { return m_scrollBars; }
    void SetScrollBars(TScrollStyle Value) override
    {
        if (brokenScrollBars)
            throw Exception(QStringLiteral("scroll bars"));
        m_scrollBars = Value;
    }
    TEditorSpeed *Speed() const override { return &m_speed; }
    TEditorViewInfo *View() const override { return &m_view; }
    bool WordWrap() const override { return client.list().WordWrap(); }
    void SetWordWrap(bool Value) override { client.list().SetWordWrap(Value); }
    TEditorWrapOption *WrapOption() const override { return client.list().WrapOption(); }

    FakeClient client;
    TEditorStrings lines{&client};
    Counter counter;
    bool brokenScrollBars = false;

private:
    TColor m_color = clWhite;
    mutable TEditorCaret m_caret;
    TFont m_font{QFont(QStringLiteral("FixedSys")), clBlack};
    TEditorHitStyle m_hitStyle = hsSelect;
    mutable TEditorImagebar m_imagebar;
    mutable TEditorLeftbar m_leftbar;
    mutable TEditorMargin m_margin;
    mutable TEditorMarks m_marks;
    mutable TEditorRuler m_ruler;
    TScrollStyle m_scrollBars = ssNone;
    mutable TEditorSpeed m_speed;
    mutable TEditorViewInfo m_view{this};
};

// A holder with every area changed from its defaults.
void changeAll(TEditorProp &p)
{
    p.SetColor(clYellow);
    p.Caret()->SetTabSpaceCount(4);
    p.Caret()->SetSoftTab(true);
    p.Caret()->Cursors()->SetInSelCursor(crArrow);
    TFont font(QFont(QStringLiteral("Noto Sans Mono CJK JP"), 13), clMaroon);
    font.SetStyle(fsBold);
    p.SetFont(font);
    p.SetHitStyle(hsDraw);
    p.Imagebar()->SetVisible(false);
    p.Leftbar()->SetShowNumberMode(nmLine);
    p.Margin()->SetTop(7);
    p.Marks()->SpaceMark()->SetVisible(true);
    p.SetReserveWordList({QStringLiteral("SELECT"), QStringLiteral("from")});
    p.Ruler()->SetGaugeRange(8);
    p.SetScrollBars(ssBoth);
    p.Speed()->SetInitBracketsFull(true);
    p.View()->SetCommenter(QStringLiteral("--"));
    TFountainBracketItem *pair = p.View()->Brackets()->Add();
    pair->SetLeftBracket(QStringLiteral("/*"));
    pair->SetRightBracket(QStringLiteral("*/"));
    p.View()->Colors()->Reserve()->SetStyle(fsBold);
    p.View()->Colors()->Select()->SetBkColor(clTeal);
    p.SetWordWrap(true);
    p.WrapOption()->SetWrapByte(30);
    p.SetFileExtList({QStringLiteral(".sql")});
}

TEST(EditorProp, Defaults)
{
    TEditorProp p;
    EXPECT_EQ(p.Color(), clWindow);
    EXPECT_EQ(p.Font().Color(), clWindowText);
    EXPECT_EQ(p.Font().family(), QStringLiteral("FixedSys"));
    EXPECT_EQ(p.HitStyle(), hsSelect);
    EXPECT_EQ(p.ScrollBars(), ssNone);
    EXPECT_FALSE(p.WordWrap());
    EXPECT_EQ(p.WrapOption()->WrapByte(), 80);
    EXPECT_EQ(p.Caret()->TabSpaceCount(), 8);
    EXPECT_TRUE(p.Caret()->FreeCaret());
    EXPECT_EQ(p.Caret()->Cursors()->DefaultCursor(), crIBeam);
    EXPECT_EQ(p.Margin()->Left(), 19);
    EXPECT_EQ(p.Marks()->EofMark()->Color(), clGray);
    EXPECT_TRUE(p.Imagebar()->Visible());
    EXPECT_EQ(p.Leftbar()->Column(), 4);
    EXPECT_EQ(p.Ruler()->GaugeRange(), 10);
    EXPECT_EQ(p.View()->Colors()->Select()->Color(), clWhite);
    EXPECT_EQ(p.View()->Colors()->Select()->BkColor(), clNavy);
    EXPECT_EQ(p.View()->Colors()->Comment()->Color(), clNone);
    EXPECT_EQ(p.View()->Owner(), &p);
}

TEST(EditorProp, HolderToHolderCopiesEverything)
{
    TEditorProp a;
    changeAll(a);
    const QByteArray changed = a.SaveProperties();
    TEditorProp b;
    ASSERT_NE(b.SaveProperties(), changed);
    Counter hitStyle;
    b.OnHitStyleChange = hitStyle.event();
    b.Assign(&a);
    EXPECT_EQ(b.SaveProperties(), changed);
    EXPECT_EQ(hitStyle.count, 0) << "Assign stores the hit style directly";
    EXPECT_TRUE(b.HasExt(QStringLiteral(".SQL")));

    TEditorProp c;
    c.OnHitStyleChange = hitStyle.event();
    a.AssignTo(&c);
    EXPECT_EQ(c.SaveProperties(), changed);
    EXPECT_EQ(hitStyle.count, 1) << "AssignTo goes through the other holder's setter";

    // Stored and read back the same (every property is declared for it).
    TEditorProp d;
    d.LoadProperties(changed);
    EXPECT_EQ(d.SaveProperties(), changed);
    EXPECT_EQ(d.Font().Color(), clMaroon);
    EXPECT_EQ(d.HitStyle(), hsDraw);
    EXPECT_EQ(d.View()->Brackets()->GetBracketItem(0)->RightBracket(), QStringLiteral("*/"));
}

TEST(EditorProp, IntoAnEditor)
{
    TEditorProp p;
    changeAll(p);
    FakeEditor editor;
    p.AssignTo(&editor);
    // Each settings object tells the editor once; the view once more, for
    // the word list of its scheme.
    auto heard = [&editor](const QObject *o) {
        return std::count(editor.counter.senders.begin(), editor.counter.senders.end(), o);
    };
    for (const QObject *o : std::initializer_list<const QObject *>{editor.Caret(), editor.Imagebar(), editor.Leftbar(),
                                                                   editor.Margin(), editor.Marks(), editor.Ruler()})
        EXPECT_EQ(heard(o), 1) << o->metaObject()->className();
    EXPECT_EQ(heard(editor.View()), 2);
    EXPECT_EQ(editor.counter.count, 8);
    EXPECT_EQ(editor.Color(), clYellow);
    EXPECT_EQ(editor.Caret()->TabSpaceCount(), 4);
    EXPECT_EQ(editor.Font(), p.Font());
    EXPECT_EQ(editor.HitStyle(), hsDraw);
    EXPECT_EQ(editor.ReserveWordList(), (QStringList{"from", "SELECT"}));
    EXPECT_EQ(editor.ScrollBars(), ssBoth);
    EXPECT_TRUE(editor.Speed()->InitBracketsFull());
    EXPECT_EQ(editor.View()->Commenter(), QStringLiteral("--"));
    EXPECT_EQ(editor.View()->Brackets()->Count(), 1);
    // Word wrap on: the text is wrapped once, with the holder's column.
    EXPECT_EQ(editor.client.refreshes, 1);
    EXPECT_EQ(editor.client.list().Count(), 4);
    EXPECT_EQ(editor.client.list().RowText(0).size(), 30);

    // Word wrap off: unwrapped once; the wrap settings come after.
    p.SetWordWrap(false);
    p.WrapOption()->SetWrapByte(50);
    editor.client.refreshes = 0;
    p.AssignTo(&editor);
    EXPECT_EQ(editor.client.refreshes, 1);
    EXPECT_EQ(editor.client.list().Count(), 1);
    EXPECT_EQ(editor.WrapOption()->WrapByte(), 50);

    // From the editor back: everything but the file extensions.
    TEditorProp back;
    Counter hitStyle;
    back.OnHitStyleChange = hitStyle.event();
    back.Assign(&editor);
    EXPECT_EQ(hitStyle.count, 0);
    back.SetFileExtList(p.FileExtList());
    EXPECT_EQ(back.SaveProperties(), p.SaveProperties());
}

TEST(EditorProp, FailuresWhileCopying)
{
    TEditorProp p;
    TEditorCaret caret;
    EXPECT_THROW(p.Assign(&caret), EConvertError);
    EXPECT_THROW(p.AssignTo(&caret), EConvertError);

    // A step that fails ends the copy quietly; what was copied stays.
    changeAll(p);
    FakeEditor editor;
    editor.brokenScrollBars = true;
    EXPECT_NO_THROW(p.AssignTo(&editor));
    EXPECT_EQ(editor.Ruler()->GaugeRange(), 8) << "copied before the scroll bars";
    EXPECT_EQ(editor.View()->Commenter(), QString()) << "copied after them";
    EXPECT_FALSE(editor.WordWrap());
}

} // namespace
