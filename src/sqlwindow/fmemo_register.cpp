#include "controls/rdata.h"
#include "sqlwindow/fmemo.h"

// Apart from fmemo.cpp: the grid's and the editor's headers do not meet in
// one unit.
void RegisterMemoWindow()
{
    TfraData::ShowMemoWindow = [](QString &text, bool &nullChecked, bool showNull, bool readOnly) {
        return TfrmMemo::ShowWindow(text, nullChecked, showNull, readOnly);
    };
}
