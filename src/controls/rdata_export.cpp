#include "controls/rdata.h"

#include "core/zksub_dialogs.h"

// The result exports (CSV, INSERT script, clipboard, Excel workbooks) are
// built in their own units; until they are, the buttons say so instead of
// doing nothing.

namespace {

void ResultExportNotBuilt()
{
    ShowAppMessage(QStringLiteral("この出力はまだ使用できません。"), MB_ICONINFORMATION);
}

} // namespace

void TfraData::btnExcelClick()
{
    ResultExportNotBuilt();
}

void TfraData::btnInsertClick()
{
    ResultExportNotBuilt();
}

void TfraData::btnCopyClick()
{
    ResultExportNotBuilt();
}

void TfraData::btnCSVClick()
{
    ResultExportNotBuilt();
}
