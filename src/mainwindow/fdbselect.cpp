#include "mainwindow/fdbselect.h"

#include "connection/fobject.h"
#include "mainwindow/fproject_p.h"

#include <QPushButton>

bool Tfrmdbselect::ShowWindow(TfrmObject *AOwner, const QString &DBName, QStringList &dbselectNames)
{
    Q_UNUSED(DBName)
    TzkDatabaseCheckDialog dialog(AOwner, QStringLiteral("参照データベース"), QStringLiteral("参照するDB"),
                                  QStringLiteral("参照するデータベースを最低一つは選択して下さい。"));
    dialog.setObjectName(QStringLiteral("frmdbselect"));
    auto *btnAll = new QPushButton(QStringLiteral("全て選択"), &dialog);
    btnAll->setObjectName(QStringLiteral("btnAll"));
    auto *btnClear = new QPushButton(QStringLiteral("全て選択解除"), &dialog);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    QObject::connect(btnAll, &QPushButton::clicked, &dialog, [&dialog] { dialog.TickAll(true); });
    QObject::connect(btnClear, &QPushButton::clicked, &dialog, [&dialog] { dialog.TickAll(false); });
    if (dbselectNames.isEmpty())
        dialog.TickAll(true);
    else
        dialog.Tick(dbselectNames);
    dialog.AddButtons({btnAll, btnClear});
    if (!dialog.Execute())
        return false;
    dbselectNames = dialog.Ticked();
    return true;
}
