#pragma once

#include <QString>

class TfrmObject;

// "表示データベース設定": the databases an object tree shows while its
// display setting is the chosen list. The choice is kept per server (as
// typed at logon) in the value "DataBase" of OBJECTTREE\<server>, one name
// per line.
class TfrmProject
{
public:
    // Lists AOwner's accessible databases with the stored ones ticked. On OK
    // stores the ticked ones and returns true; on cancel changes nothing.
    // A failing database list raises before any dialog shows.
    static bool ShowWindow(TfrmObject *AOwner, const QString &ProjectName = QString());
};
