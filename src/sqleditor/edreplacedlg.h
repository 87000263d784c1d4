#pragma once

#include "sqleditor/edsearchdlg.h"

// "置換": search and replace texts with their histories and the options.
class TfrmEditReplace : public TfrmEditSearchBase
{
    Q_OBJECT
public:
    explicit TfrmEditReplace(QWidget *Owner);
    static bool Execute(QString &SearchText, QString &ReplaceText, TSearchOptions &SearchOptions, bool &NotFindMsg,
                        bool &Research);
};
