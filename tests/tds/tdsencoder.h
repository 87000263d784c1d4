#pragma once

// Result sets, values and type descriptions in TDS 7.4 form.

#include "support/rules/tdsrules.h"
#include "tds/tdsstream.h"

#include <functional>

namespace tds {

// The 5-byte collation of a text column: SQL_Latin1_General_CP1_CI_AS, or
// Japanese_CI_AS for code page 932.
void writeCollation(Buffer &b, int codePage = 1252);
int codePageOfCollation(const uchar *collation);

void writeTypeInfo(Buffer &b, const tdsrules::Column &c);
void writeColMetadata(Buffer &b, const QList<tdsrules::Column> &columns);
// A non-NULL value as it follows its column in a ROW token.
void writeValue(Buffer &b, const tdsrules::Column &c, const QVariant &v, int extraTicks);
// NULL as a ROW token or a RETURNVALUE carries it.
void writeNull(Buffer &b, const tdsrules::Column &c);

// Streams COLMETADATA and every row of a result set into out, sending as it
// goes; stops early when cancelled() says so (checked between sends).
// Returns the rows written.
qint64 writeResultRows(const tdsrules::ResultSet &rs, Buffer &tokens, PacketStream &out,
                       const std::function<bool()> &cancelled);

} // namespace tds
