#include "core/zksub_workspace.h"

QList<TzkWorkSpace> WorkSpaceList;
QList<QList<TzkRecentObject>> RecentObjectLists;

void LoadWorkSpace()
{
}

void SaveWorkSpace()
{
}

void LoadRecentObjects()
{
}

void SaveRecentObjects()
{
}
