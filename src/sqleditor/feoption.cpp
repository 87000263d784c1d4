#include "sqleditor/feoption.h"

#include "core/zksub_dialogs.h"

bool TfrmEditorOption::ShowWindow(TEditorProp *EditorProp)
{
    Q_UNUSED(EditorProp)
    ShowAppMessage(QStringLiteral("エディタオプションはまだ用意されていません。"), MB_ICONINFORMATION);
    return false;
}
