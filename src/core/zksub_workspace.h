#pragma once

#include <QList>
#include <QString>

// The work space (objects kept aside to open again, across connections) and
// the recent objects (per connection, the objects opened last).

struct TzkWorkSpace
{
    int ObjectType = 0; // object-kind code, also the index of its image
    QString Title;
    QString Schema;
    QString ObjectName;
    QString ParentObject;
    QString DataBase;
    QString Connect; // connection text of the entry's connection
};

struct TzkRecentObject
{
    int ObjectType = 0;
    QString Title;
    QString Schema;
    QString ObjectName;
    QString ParentObject;
    QString DataBase;
    QString Connect;
};

extern QList<TzkWorkSpace> WorkSpaceList;
// One list per connection text, the most recent object first.
extern QList<QList<TzkRecentObject>> RecentObjectLists;

// Not kept in the settings store yet: loading leaves the lists as they are
// and saving writes nothing.
void LoadWorkSpace();
void SaveWorkSpace();
void LoadRecentObjects();
void SaveRecentObjects();
