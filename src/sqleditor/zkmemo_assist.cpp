// The completion popup of the SQL editor and the name before the caret.

#include "sqleditor/zkmemo.h"

#include "core/zksub_text.h"
#include "platform/fonts/fontmap.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSizeGrip>

namespace {

// Delimiters that end a dotted name: a full stop and brackets stay in it.
bool isHardDelimiter(QChar c)
{
    return TzkMemo::IsDelimiter(c) && c != u'.' && c != u'[' && c != u']';
}

bool startsWithUpper(const QString &caption, const QString &upperFilter)
{
    if (caption.size() < upperFilter.size())
        return false;
    for (qsizetype i = 0; i < upperFilter.size(); ++i) {
        if (caption[i].toUpper() != upperFilter[i])
            return false;
    }
    return true;
}

QString upperUnits(QString s)
{
    for (QChar &c : s)
        c = c.toUpper();
    return s;
}

} // namespace

// ---- The name before the caret ----

QString TzkMemo::GetCodeAssistToken()
{
    if (ListCount() == 0 || Row() >= ListCount())
        return QString();
    const QString s = ListString(Row());
    if (s.isEmpty())
        return QString();
    const int c = CaretCharIndex() - 1;
    if (c < 0 || c >= s.size())
        return QString();
    const QChar b = s[c];
    const bool hasA = c > 0;
    const QChar a = hasA ? s[c - 1] : QChar();
    if ((!hasA || a.unicode() <= u' ') && b == u'.')
        return QStringLiteral(".");
    if (hasA && b == u'.' && (a == u'\'' || a == u'.' || a == u'[')
        && s.contains(QLatin1String("csv"), Qt::CaseInsensitive))
        return QStringLiteral(".");
    if (b != u'.' && IsDelimiter(b))
        return QString();
    int start = c;
    while (start > 0 && !isHardDelimiter(s[start - 1]))
        --start;
    return s.mid(start, c - start + 1);
}

void TzkMemo::CloseCodeAssist()
{
    if (!CodeAssist)
        return;
    TzkCodeAssist *popup = CodeAssist;
    CodeAssist = nullptr;
    CASize.Width = popup->width();
    CASize.Height = popup->height();
    CASize.ColumnWidth = {popup->columnWidth(0), popup->columnWidth(1)};
    popup->setEnabled(false);
    popup->hide();
    // A key handler of the popup may be closing it: it goes once that
    // handler has returned.
    popup->deleteLater();
    if (isVisible())
        setFocus();
}

// ---- TzkCodeAssist ----

TzkCodeAssist::TzkCodeAssist(TzkMemo *AEdit, QWidget *AOwner, int X, int Y)
    : QTreeWidget(AOwner)
    , FOwner(AEdit)
{
    setObjectName(QStringLiteral("CodeAssist"));
    hide();
    // A sub-window, so the size grip resizes the popup and not the form.
    setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    setFrameShape(QFrame::Box);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    header()->setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    setMinimumSize(200, 100);
    setFont(QFont(FontMap::substitute(QStringLiteral("ＭＳ ゴシック")), 10));
    setColumnCount(2);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    header()->setStretchLastSection(true);

    const TzkCodeAssistSize &size = AEdit->CASize;
    int width = std::max(size.Width, 200);
    const int height = std::max(size.Height, 100);
    if (size.ColumnWidth.size() >= 2) {
        setColumnWidth(0, size.ColumnWidth[0]);
        setColumnWidth(1, size.ColumnWidth[1]);
    }
    // Below the caret row, kept inside the editor's width.
    const QPoint caret = AEdit->viewport()->mapTo(AOwner, QPoint(X, Y + AEdit->RowHeight() + 2));
    const QPoint editorLeft = AEdit->mapTo(AOwner, QPoint(0, 0));
    const int editorWidth = AEdit->width();
    if (width > editorWidth)
        width = std::max(editorWidth, 200);
    int left = caret.x();
    const int excess = (caret.x() - editorLeft.x()) + width + 30 - editorWidth;
    if (excess > 0)
        left = std::max(editorLeft.x(), left - excess);
    setGeometry(left, caret.y(), width, height);

    Buf = new QLineEdit(this);
    Buf->setObjectName(QStringLiteral("Buf"));
    Buf->hide();
    m_grip = new QSizeGrip(this);
    m_grip->setFocusPolicy(Qt::NoFocus);
    m_grip->resize(m_grip->sizeHint());

    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int) {
        for (int i = 0; i < 6; ++i)
            AddItems();
    });
}

TzkCodeAssist::~TzkCodeAssist()
{
    if (FOwner && FOwner->CodeAssist == this)
        FOwner->CodeAssist = nullptr;
}

void TzkCodeAssist::SetBuffer(const QString &buffer)
{
    Buf->setText(buffer);
    Buf->end(false);
}

QString TzkCodeAssist::Buffer() const
{
    return Buf->text();
}

void TzkCodeAssist::addRow(int Index)
{
    auto *item = new QTreeWidgetItem(QStringList{CaptionListW[Index], SubItemListW[Index]});
    const int image = ImageListW[size_t(Index)];
    if (image >= 0 && ImageOf)
        item->setIcon(0, ImageOf(image));
    addTopLevelItem(item);
}

void TzkCodeAssist::ShowItems()
{
    const QString text = Buf->text();
    const QString trimmed = text.trimmed();
    if (trimmed != text)
        Buf->setText(trimmed);
    const QString filter = upperUnits(trimmed);
    setUpdatesEnabled(false);
    clear();
    CaptionListW.clear();
    SubItemListW.clear();
    ImageListW.clear();
    for (qsizetype i = 0; i < CaptionList.size(); ++i) {
        if (!filter.isEmpty() && !startsWithUpper(CaptionList[i], filter))
            continue;
        CaptionListW.append(CaptionList[i]);
        SubItemListW.append(i < SubItemList.size() ? SubItemList[i] : QString());
        ImageListW.push_back(size_t(i) < ImageList.size() ? ImageList[size_t(i)] : -1);
        if (topLevelItemCount() < ItemMax)
            addRow(int(CaptionListW.size()) - 1);
    }
    if (topLevelItemCount() > 0)
        setCurrentItem(topLevelItem(0));
    setUpdatesEnabled(true);
}

void TzkCodeAssist::AddItems()
{
    const int rows = topLevelItemCount();
    if (rows < CaptionListW.size())
        addRow(rows);
}

void TzkCodeAssist::moveCurrent(int Delta)
{
    const int rows = topLevelItemCount();
    if (rows == 0)
        return;
    const int index = std::clamp(indexOfTopLevelItem(currentItem()) + Delta, 0, rows - 1);
    setCurrentItem(topLevelItem(index));
    scrollToItem(topLevelItem(index));
}

void TzkCodeAssist::Accept(char16_t Ch)
{
    QPointer<TzkMemo> memo = FOwner;
    if (!memo)
        return;
    QTreeWidgetItem *item = currentItem();
    if (item && item->isSelected() && memo->Row() < memo->ListCount()) {
        const QString s = memo->ListString(memo->Row());
        const int c = std::min(memo->CaretCharIndex(), int(s.size()));
        int right = c;
        while (right < s.size() && (!TzkMemo::IsDelimiter(s[right]) || s[right] == u']'))
            ++right;
        int left = c - 1;
        while (left >= 0 && (!TzkMemo::IsDelimiter(s[left]) || s[left] == u'['))
            --left;
        // The name part around the caret goes through the editor's own keys,
        // so each removal can be undone as typing can.
        for (int i = c; i < right; ++i)
            memo->EditorKeyDown(Qt::Key_Delete, Qt::NoModifier);
        for (int i = left + 1; i < c; ++i)
            memo->EditorKeyChar(8, Qt::NoModifier);
        QString text = item->text(0);
        const QString lead = text.trimmed();
        if (FUseBQuote && text != QLatin1String("*") && !FRWTable.contains(text) && !lead.startsWith(u'['))
            text = BracketName(text, true);
        memo->PutStringToLine(text);
    }
    memo->CloseCodeAssist();
    if (Ch != 13 && memo)
        memo->EditorKeyChar(Ch, Qt::NoModifier);
}

bool TzkCodeAssist::WantsShortcut(const QKeyEvent *Event) const
{
    const Qt::KeyboardModifiers mods = Event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    switch (Event->key()) {
    case Qt::Key_V:
    case Qt::Key_X: return mods == Qt::ControlModifier;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Space: return mods == Qt::NoModifier || mods == Qt::ControlModifier;
    default: return mods == Qt::NoModifier && !Event->text().isEmpty();
    }
}

bool TzkCodeAssist::HandleKey(QKeyEvent *Event)
{
    const int key = Event->key();
    const Qt::KeyboardModifiers mods = Event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    QPointer<TzkCodeAssist> self(this);
    const int page = std::max(1, viewport()->height() / std::max(1, sizeHintForRow(0)) - 1);
    switch (key) {
    case Qt::Key_PageDown:
        for (int i = 0; i < 8; ++i)
            AddItems();
        moveCurrent(page);
        return true;
    case Qt::Key_End:
        while (topLevelItemCount() < CaptionListW.size())
            AddItems();
        moveCurrent(topLevelItemCount());
        return true;
    case Qt::Key_PageUp: moveCurrent(-page); return true;
    case Qt::Key_Home:
        Buf->home(false);
        moveCurrent(-topLevelItemCount());
        return true;
    case Qt::Key_Down:
        AddItems();
        moveCurrent(1);
        return true;
    case Qt::Key_Up: moveCurrent(-1); return true;
    case Qt::Key_Left:
        if (Buf->cursorPosition() > 0)
            Buf->cursorBackward(false);
        else if (FOwner)
            FOwner->CloseCodeAssist();
        return false;
    case Qt::Key_Right:
        if (Buf->cursorPosition() >= Buf->text().size()) {
            if (FOwner)
                FOwner->CloseCodeAssist();
        } else {
            Buf->cursorForward(false);
        }
        return false;
    case Qt::Key_Delete:
        Buf->del();
        ShowItems();
        return false;
    case Qt::Key_V:
        if (ctrl && !alt) {
            if (FOwner)
                FOwner->WMPaste();
            return true;
        }
        break;
    case Qt::Key_X:
        if (ctrl && !alt) {
            if (FOwner)
                FOwner->WMCut();
            return true;
        }
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: Accept(9); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: Accept(13); return true;
    case Qt::Key_Escape:
        if (FOwner)
            FOwner->CloseCodeAssist();
        return true;
    case Qt::Key_Backspace:
        if (Buf->cursorPosition() == 0) {
            if (FOwner)
                FOwner->CloseCodeAssist();
            return false;
        }
        Buf->backspace();
        ShowItems();
        return false;
    case Qt::Key_Space:
        if (!ctrl)
            Accept(u' ');
        return true;
    default: break;
    }
    const QString text = Event->text();
    if (text.size() != 1 || ctrl || alt || text[0].unicode() < u' ')
        return false;
    const QChar ch = text[0];
    if (ch == u'%' || ch == u',' || ch == u'.' || ch == u';') {
        Accept(ch.unicode());
        return true;
    }
    Buf->insert(text);
    ShowItems();
    return false;
}

void TzkCodeAssist::HandleCommit(const QString &Text)
{
    Buf->insert(Text);
    ShowItems();
}

void TzkCodeAssist::resizeEvent(QResizeEvent *Event)
{
    QTreeWidget::resizeEvent(Event);
    if (m_grip)
        m_grip->move(width() - m_grip->width(), height() - m_grip->height());
    if (m_grip)
        m_grip->raise();
}

void TzkCodeAssist::wheelEvent(QWheelEvent *Event)
{
    for (int i = 0; i < 8; ++i)
        AddItems();
    QTreeWidget::wheelEvent(Event);
}

void TzkCodeAssist::mouseDoubleClickEvent(QMouseEvent *Event)
{
    Event->accept();
    Accept(13);
}

void TzkCodeAssist::focusInEvent(QFocusEvent *Event)
{
    // The editor keeps the focus while the popup is open.
    QTreeWidget::focusInEvent(Event);
    if (FOwner)
        FOwner->setFocus();
}
