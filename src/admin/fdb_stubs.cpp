// Placeholders of the database editor's scripts and compile road, which the
// issue "Database creation and alteration scripts, compile and commands"
// replaces: they write nothing yet.
#include "admin/fdb.h"

QStringList Tfrmdb::BuildCreateScript()
{
    return {};
}

QStringList Tfrmdb::BuildDropScript() const
{
    return {};
}

QStringList Tfrmdb::BuildCompileScript()
{
    return {};
}

QStringList Tfrmdb::BuildScript(bool drop) const
{
    Q_UNUSED(drop)
    return {};
}
