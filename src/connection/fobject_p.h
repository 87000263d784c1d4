#pragma once

#include "connection/fobject.h"
#include "connection/fobject_sql.h"
#include "connection/fsqlwait.h"
#include "controls/zkcomctrls.h"
#include "core/zkoption.h"

#include <QApplication>

// The frame of a command over the object list's selected items: the wait
// cursor, the list's change event detached (deselecting each processed item
// must not run the selection handling) and an ESC from before forgotten;
// at the end, however it ends, the status bar's default text, the change
// event back and the cursor restored.
class TListLoopGuard
{
public:
    explicit TListLoopGuard(TfrmObject *form);
    ~TListLoopGuard();
    TListLoopGuard(const TListLoopGuard &) = delete;
    TListLoopGuard &operator=(const TListLoopGuard &) = delete;

private:
    TSQLWaitCursor m_wait;
    TfrmObject *m_form;
};

// The first selected item after `item`, in list order; -1 when none.
inline int nextSelected(const TzkListView *list, int item)
{
    for (int i = item + 1; i < list->ItemCount(); ++i)
        if (list->IsSelected(i))
            return i;
    return -1;
}
