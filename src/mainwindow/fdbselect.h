#pragma once

#include <QString>
#include <QStringList>

class TfrmObject;

// "参照データベース": the databases a dependency search covers.
class Tfrmdbselect
{
public:
    // Lists AOwner's accessible databases, ticking those of dbselectNames
    // (every one when it is empty). On OK dbselectNames becomes the ticked
    // ones in list order and the result is true; on cancel it is unchanged.
    // A failing database list raises before any dialog shows.
    static bool ShowWindow(TfrmObject *AOwner, const QString &DBName, QStringList &dbselectNames);
};
