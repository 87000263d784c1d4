#pragma once

#include "editorcontrol/edcellmap.h"
#include "editorcontrol/edclasses.h"

#include <QString>
#include <QStringView>

// Word-wrap settings: the wrap column and the Japanese line-breaking rules.
class TEditorWrapOption : public TNotifyPersistent
{
    Q_OBJECT
    Q_PROPERTY(bool FollowRetMark READ FollowRetMark WRITE SetFollowRetMark)
    Q_PROPERTY(bool FollowPunctuation READ FollowPunctuation WRITE SetFollowPunctuation)
    Q_PROPERTY(QString FollowStr READ FollowStr WRITE SetFollowStr)
    Q_PROPERTY(bool Leading READ Leading WRITE SetLeading)
    Q_PROPERTY(QString LeadStr READ LeadStr WRITE SetLeadStr)
    Q_PROPERTY(QString PunctuationStr READ PunctuationStr WRITE SetPunctuationStr)
    Q_PROPERTY(bool WordBreak READ WordBreak WRITE SetWordBreak)
    Q_PROPERTY(int WrapByte READ WrapByte WRITE SetWrapByte)
public:
    explicit TEditorWrapOption(QObject *Parent = nullptr);

    static const QString DefaultFollowStr;      // must not begin a row
    static const QString DefaultLeadStr;        // must not end a row
    static const QString DefaultPunctuationStr; // may hang past the wrap column
    static constexpr int MinWrapByte = 20;
    static constexpr int MaxWrapByte = 250;

    bool FollowRetMark() const { return FFollowRetMark; }
    void SetFollowRetMark(bool Value);
    bool FollowPunctuation() const { return FFollowPunctuation; }
    void SetFollowPunctuation(bool Value);
    QString FollowStr() const { return FFollowStr; }
    void SetFollowStr(const QString &Value);
    bool Leading() const { return FLeading; }
    void SetLeading(bool Value);
    QString LeadStr() const { return FLeadStr; }
    void SetLeadStr(const QString &Value);
    QString PunctuationStr() const { return FPunctuationStr; }
    void SetPunctuationStr(const QString &Value);
    bool WordBreak() const { return FWordBreak; }
    void SetWordBreak(bool Value);
    int WrapByte() const { return FWrapByte; }
    // Clamps to 20..250.
    void SetWrapByte(int Value);

    // From another wrap option: all eight values, unclamped, one notification.
    void Assign(const QObject *Source) override;

private:
    bool FFollowRetMark = false;
    bool FFollowPunctuation = false;
    QString FFollowStr;
    bool FLeading = false;
    QString FLeadStr;
    QString FPunctuationStr;
    bool FWordBreak = false;
    int FWrapByte = 80;
};

// A cursor over a text and its cell map (cells from 1; the map is followed
// by the terminator '0'). SourcePos is the number of characters whose first
// cell lies at or before the current cell.
class TEditorAttributeArray
{
public:
    TEditorAttributeArray() = default;
    TEditorAttributeArray(QStringView Source, QStringView Attributes);

    void NewData(QStringView Source, QStringView Attributes);
    void Next();
    void Prior();
    void SetPosition(int Value);
    // The character the current cell belongs to; empty on the terminator.
    QStringView PositionString() const;
    // The character of the following cell; the cursor stays.
    QStringView NextPositionString();

    QChar Attribute() const { return FAttributes[FPosition - 1]; }
    int Position() const { return FPosition; }
    int SourcePos() const { return FSourcePos; }
    int Size() const { return int(FAttributes.size()) - 1; }
    QStringView Source() const { return FSource; }

private:
    static bool isFirstCell(QChar c) { return c != QLatin1Char('3') && c != QLatin1Char('5'); }
    bool onTerminator() const { return FPosition > Size(); }

    QString FAttributes = QStringLiteral("0");
    int FPosition = 1;
    QStringView FSource;
    int FSourcePos = 1;
};

// The line-breaking rules applied to one line of text.
class TEditorWrapper
{
public:
    // Options carries the tab width, delimiters and ambiguous-width rule; word
    // wrap and the wrap column come from WrapOption.
    TEditorWrapper(const TEditorWrapOption &WrapOption, const TCellMapOptions &Options);

    // Characters of the first row cut from Line; 0 when Line needs no cut.
    int FindCut(QStringView Line);
    // Cuts Line into rows: calls Row(text, wrapped) for each row in order.
    template<class F>
    void WrapLine(QStringView Line, F Row);
    // Number of rows Line wraps into.
    int RowCount(QStringView Line);

    const TCellMapOptions &Options() const { return m_options; }

private:
    int findCut();
    bool inSet(QStringView Ch, const QString &Set) const;
    void stepBack();

    const TEditorWrapOption &m_wrap;
    TCellMapOptions m_options;
    QString m_map;
    TEditorAttributeArray m_cursor;
};

template<class F>
void TEditorWrapper::WrapLine(QStringView Line, F Row)
{
    const int w = m_options.WrapByte;
    CellMapInto(Line, m_options, m_map);
    if (m_map.size() < w) {
        Row(Line, false);
        return;
    }
    QStringView rest = Line;
    m_cursor.NewData(rest, m_map);
    for (;;) {
        const int n = findCut();
        if (n <= 0)
            break;
        if (n >= rest.size() && m_wrap.FollowRetMark()) {
            // The row uses up the line: the break follows the full row.
            Row(rest, false);
            return;
        }
        Row(rest.left(n), true);
        rest = rest.mid(n);
        CellMapInto(rest, m_options, m_map);
        m_cursor.NewData(rest, m_map);
    }
    // The rest, or an empty row holding the break of a line the cuts used up.
    Row(rest, false);
}
