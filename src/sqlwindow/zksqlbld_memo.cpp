// The designer's side of its editor, apart from the grid's unit: the two
// headers declare the same control enumerations.
#include "sqleditor/zkmemo.h"
#include "sqlwindow/zksqlbld.h"

TzkMemo *TzkSQLDesigner::SQLText() const
{
    return static_cast<TzkMemo *>(FSQLText.data());
}

void TzkSQLDesigner::SetSQLText(TzkMemo *Value)
{
    if (FSQLText)
        disconnect(FSQLText, nullptr, this, nullptr);
    FSQLText = Value;
    // Boxes follow every change of the text, the user's included.
    if (Value)
        connect(Value, &TEditor::OnChange, this, [this] { UpdateTablesEnabled(); });
}

QString TzkSQLDesigner::EditorText() const
{
    const TzkMemo *memo = SQLText();
    return memo ? memo->WMGetText() : QString();
}
