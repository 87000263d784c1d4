// The SQL editor's key-macro commands: recording, replay and the macro files.

#include "sqleditor/zkmacro.h"
#include "sqleditor/zkmemo.h"

#include "core/zkshortcut.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QSaveFile>
#include <QStringDecoder>

#include <stdexcept>

namespace {

Qt::KeyboardModifiers modifiersOf(const TKeyMacroData &d)
{
    Qt::KeyboardModifiers mods;
    if (d.Shift & KeyStateDown)
        mods |= Qt::ShiftModifier;
    if (d.Ctrl & KeyStateDown)
        mods |= Qt::ControlModifier;
    if (d.Alt & KeyStateDown)
        mods |= Qt::AltModifier;
    return mods;
}

// The window's commands by key. Replayed keys are sent to the editor
// directly, where no shortcut runs, so the replay looks them up itself.
QHash<QKeyCombination, QList<QAction *>> commandKeys(QWidget *editor)
{
    QHash<QKeyCombination, QList<QAction *>> keys;
    auto add = [&keys](QAction *a) {
        for (const QKeySequence &seq : a->shortcuts())
            if (seq.count() == 1 && !keys[seq[0]].contains(a))
                keys[seq[0]].append(a);
    };
    for (QWidget *w = editor; w; w = w->parentWidget())
        for (QAction *a : w->actions())
            add(a);
    for (QAction *a : editor->window()->findChildren<QAction *>())
        add(a);
    return keys;
}

} // namespace

void TzkMemo::recordMacro(QEvent *Event)
{
    if (FMacroList && FMacroList->Status() == msRecording)
        FMacroList->Add(Event);
}

void TzkMemo::BeginMacroRec()
{
    if (FMacroList)
        FMacroList->BeginRec();
}

void TzkMemo::EndMacroRec()
{
    if (FMacroList)
        FMacroList->EndRec();
}

void TzkMemo::CancelMacroRec()
{
    if (FMacroList)
        FMacroList->CancelRec();
}

void TzkMemo::CancelMacroExec()
{
    if (FMacroList)
        FMacroList->CancelExec();
}

void TzkMemo::replayMacroItem(const TKeyMacroData &Item, const QHash<QKeyCombination, QList<QAction *>> &Keys)
{
    const Qt::KeyboardModifiers mods = modifiersOf(Item);
    switch (Item.Msg) {
    case WM_IME_CHAR: {
        QInputMethodEvent commit;
        commit.setCommitString(QString(QChar(Item.CharCode)));
        QCoreApplication::sendEvent(this, &commit);
        break;
    }
    case CN_KEYDOWN: {
        const QKeySequence seq = ShortCutWordToKey(TShortCut(Item.CharCode & 0xFF));
        if (seq.isEmpty())
            break;
        const Qt::Key key = seq[0].key();
        const Qt::KeyboardModifiers keyMods = mods | (seq[0].keyboardModifiers() & Qt::KeypadModifier);
        const auto found = Keys.constFind(QKeyCombination(mods, key));
        if (found != Keys.constEnd()) {
            for (QAction *a : *found) {
                if (a->isEnabled()) {
                    a->trigger();
                    return;
                }
            }
        }
        EditorKeyDown(key, keyMods);
        break;
    }
    case CN_CHAR: EditorKeyChar(char16_t(Item.CharCode), mods); break;
    default: break;
    }
}

void TzkMemo::ExecMacro()
{
    if (!FMacroList || !FMacroList->BeginRun())
        return;
    TzkMacroList *list = FMacroList;
    // A command of the macro may change the list (a load) or close this editor.
    const std::vector<TKeyMacroData> items = list->Items();
    const auto keys = commandKeys(this);
    QPointer<TzkMemo> self(this);
    BeginUpdate();
    try {
        for (const TKeyMacroData &item : items) {
            replayMacroItem(item, keys);
            if (!self || list->Status() != msRunning)
                break;
        }
    } catch (...) {
        if (self)
            EndUpdate();
        list->EndRun();
        throw;
    }
    list->EndRun();
    if (self)
        EndUpdate();
}

void TzkMemo::SaveMacroFile(const QString &i_sFilePath)
{
    if (!FMacroList || FMacroList->Count() == 0)
        return;
    FMacroList->EndRec();
    QSaveFile file(i_sFilePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(FMacroList->FileText().toLatin1()) < 0 || !file.commit())
        throw std::runtime_error(
            QStringLiteral("キーマクロファイルを保存できません。(%1)").arg(i_sFilePath).toStdString());
}

bool TzkMemo::LoadMacroFile(const QString &i_sFilePath)
{
    if (!FMacroList)
        return false;
    FMacroList->BeginRec();
    QFile file(i_sFilePath);
    if (!file.open(QIODevice::ReadOnly)) {
        FMacroList->EndRec();
        throw std::runtime_error(QStringLiteral("キーマクロファイルを開けません。(%1)").arg(i_sFilePath).toStdString());
    }
    const QByteArray data = file.readAll();
    // A byte-order mark chooses the encoding; the lines are ASCII otherwise.
    QString text;
    if (const auto bom = QStringConverter::encodingForData(data); bom) {
        QStringDecoder decode(*bom);
        text = decode(data);
    } else {
        text = QString::fromLatin1(data);
    }
    const bool ok = FMacroList->AddFileText(text);
    FMacroList->EndRec();
    return ok;
}
