#include "platform/db/dbtypes.h"

namespace {

struct TypeEntry
{
    const char *name;
    TFieldType fieldType;
    TDBStorage storage;
    int fixedSize; // bytes of a fixed type, 0 for sized ones
};

// SQL Server's types by name. Sized types take their size from the driver.
constexpr TypeEntry Types[] = {
    {"bit", ftBoolean, TDBStorage::Bool, 1},
    {"tinyint", ftByte, TDBStorage::UInt8, 1},
    {"smallint", ftSmallint, TDBStorage::Int16, 2},
    {"int", ftInteger, TDBStorage::Int32, 4},
    {"bigint", ftLargeint, TDBStorage::Int64, 8},
    {"real", ftSingle, TDBStorage::Float32, 4},
    {"float", ftFloat, TDBStorage::Float64, 8},
    {"money", ftCurrency, TDBStorage::Decimal, 8},
    {"smallmoney", ftCurrency, TDBStorage::Decimal, 4},
    {"decimal", ftFMTBcd, TDBStorage::Decimal, 0},
    {"numeric", ftFMTBcd, TDBStorage::Decimal, 0},
    {"date", ftDate, TDBStorage::Date, 3},
    {"time", ftTime, TDBStorage::Time, 5},
    {"datetime", ftTimeStamp, TDBStorage::DateTime, 8},
    {"smalldatetime", ftTimeStamp, TDBStorage::DateTime, 4},
    {"datetime2", ftTimeStamp, TDBStorage::DateTime, 8},
    {"datetimeoffset", ftTimeStampOffset, TDBStorage::DateTimeOffset, 10},
    {"uniqueidentifier", ftGuid, TDBStorage::Guid, 16},
    {"char", ftFixedChar, TDBStorage::Text, 0},
    {"varchar", ftString, TDBStorage::Text, 0},
    {"text", ftMemo, TDBStorage::Text, 0},
    {"nchar", ftFixedWideChar, TDBStorage::Text, 0},
    {"nvarchar", ftWideString, TDBStorage::Text, 0},
    {"sysname", ftWideString, TDBStorage::Text, 0},
    {"ntext", ftWideMemo, TDBStorage::Text, 0},
    {"xml", ftWideMemo, TDBStorage::Text, 0},
    {"sql_variant", ftVariant, TDBStorage::Text, 0},
    {"binary", ftBytes, TDBStorage::Binary, 0},
    {"varbinary", ftVarBytes, TDBStorage::Binary, 0},
    {"image", ftBlob, TDBStorage::Binary, 0},
    {"timestamp", ftBytes, TDBStorage::Binary, 8},
    {"rowversion", ftBytes, TDBStorage::Binary, 8},
    {"hierarchyid", ftBlob, TDBStorage::Binary, 0},
    {"geography", ftBlob, TDBStorage::Binary, 0},
    {"geometry", ftBlob, TDBStorage::Binary, 0},
};

const TypeEntry *findType(const QString &name)
{
    for (const TypeEntry &t : Types) {
        if (name == QLatin1String(t.name))
            return &t;
    }
    return nullptr;
}

bool isUnlimitedType(const QString &t)
{
    return t == QLatin1String("text") || t == QLatin1String("ntext") || t == QLatin1String("image")
           || t == QLatin1String("xml") || t == QLatin1String("hierarchyid") || t == QLatin1String("geography")
           || t == QLatin1String("geometry");
}

} // namespace

TDBColumnDef DescribeColumn(const QString &name, const QString &typeName, int size, int precision, int scale,
                            bool binaryHint)
{
    TDBColumnDef c;
    c.name = name;
    c.typeName = typeName.trimmed().toLower();
    const TypeEntry *t = findType(c.typeName);
    if (!t) {
        c.fieldType = binaryHint ? ftBlob : ftWideMemo;
        c.storage = binaryHint ? TDBStorage::Binary : TDBStorage::Text;
        c.size = -1;
        return c;
    }
    c.fieldType = t->fieldType;
    c.storage = t->storage;
    switch (t->storage) {
    case TDBStorage::Decimal:
        if (c.typeName == QLatin1String("money")) {
            c.precision = 19;
            c.scale = 4;
        } else if (c.typeName == QLatin1String("smallmoney")) {
            c.precision = 10;
            c.scale = 4;
        } else {
            c.precision = precision > 0 ? qMin(precision, 38) : 18;
            c.scale = qBound(0, scale, c.precision);
            c.fieldType = c.precision <= 15 ? ftBCD : ftFMTBcd;
            if (c.precision > 18)
                c.storage = TDBStorage::BigDecimal;
        }
        c.size = c.precision;
        break;
    case TDBStorage::Time:
    case TDBStorage::DateTimeOffset:
        c.scale = qBound(0, scale, 7);
        c.size = t->fixedSize;
        break;
    case TDBStorage::DateTime:
        if (c.typeName == QLatin1String("datetime"))
            c.scale = 3;
        else if (c.typeName == QLatin1String("smalldatetime"))
            c.scale = 0;
        else
            c.scale = qBound(0, scale, 7);
        c.size = t->fixedSize;
        break;
    case TDBStorage::Text:
    case TDBStorage::Binary:
        if (t->fixedSize > 0)
            c.size = t->fixedSize;
        else if (isUnlimitedType(c.typeName) || c.typeName == QLatin1String("sql_variant"))
            c.size = -1;
        else
            c.size = (size <= 0 || size > 8000) ? -1 : size;
        if (c.size < 0) {
            // Unlimited text and binary are the memo and blob kinds.
            if (c.fieldType == ftString || c.fieldType == ftFixedChar)
                c.fieldType = ftMemo;
            else if (c.fieldType == ftWideString || c.fieldType == ftFixedWideChar)
                c.fieldType = ftWideMemo;
            else if (c.fieldType == ftVarBytes || c.fieldType == ftBytes)
                c.fieldType = ftBlob;
        }
        break;
    default: c.size = t->fixedSize; break;
    }
    return c;
}

QString TDBColumnDef::sqlTypeText() const
{
    const QString sz = size < 0 ? QStringLiteral("max") : QString::number(size);
    if (typeName == QLatin1String("decimal") || typeName == QLatin1String("numeric"))
        return QStringLiteral("%1(%2,%3)").arg(typeName).arg(precision).arg(scale);
    if (typeName == QLatin1String("datetime2") || typeName == QLatin1String("time")
        || typeName == QLatin1String("datetimeoffset"))
        return QStringLiteral("%1(%2)").arg(typeName).arg(scale);
    if (typeName == QLatin1String("char") || typeName == QLatin1String("varchar") || typeName == QLatin1String("nchar")
        || typeName == QLatin1String("nvarchar") || typeName == QLatin1String("binary")
        || typeName == QLatin1String("varbinary"))
        return QStringLiteral("%1(%2)").arg(typeName, sz);
    return typeName;
}

bool IsKnownSqlType(const QString &typeName)
{
    return findType(typeName.trimmed().toLower()) != nullptr;
}

bool IsTextField(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftMemo:
    case ftWideMemo:
    case ftFmtMemo:
    case ftOraClob: return true;
    default: return false;
    }
}

bool IsNumericField(TFieldType type)
{
    switch (type) {
    case ftByte:
    case ftShortint:
    case ftSmallint:
    case ftWord:
    case ftInteger:
    case ftLongWord:
    case ftLargeint:
    case ftAutoInc:
    case ftSingle:
    case ftFloat:
    case ftExtended:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd: return true;
    default: return false;
    }
}

bool IsBinaryField(TFieldType type)
{
    switch (type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftOraBlob: return true;
    default: return false;
    }
}

bool IsDateTimeField(TFieldType type)
{
    return type == ftDate || type == ftTime || type == ftDateTime || type == ftTimeStamp || type == ftTimeStampOffset;
}

int DefaultDisplayWidth(const TDBColumnDef &c)
{
    switch (c.storage) {
    case TDBStorage::Bool: return 5;
    case TDBStorage::UInt8: return 3;
    case TDBStorage::Int16: return 6;
    case TDBStorage::Int32: return 11;
    case TDBStorage::Int64: return 20;
    case TDBStorage::Float32: return 15;
    case TDBStorage::Float64: return 24;
    case TDBStorage::Decimal:
    case TDBStorage::BigDecimal: return c.precision + 2;
    case TDBStorage::Date: return 10;
    case TDBStorage::Time: return 8 + (c.scale > 0 ? c.scale + 1 : 0);
    case TDBStorage::DateTime: return 19 + (c.scale > 0 ? c.scale + 1 : 0);
    case TDBStorage::DateTimeOffset: return 26 + (c.scale > 0 ? c.scale + 1 : 0);
    case TDBStorage::Guid: return 36;
    case TDBStorage::Text: return c.size < 0 ? 30 : qMax(1, c.size);
    case TDBStorage::Binary: return c.size < 0 ? 30 : 2 + 2 * c.size;
    }
    return 10;
}

TAlignment DefaultAlignment(TFieldType type)
{
    return IsNumericField(type) ? taRightJustify : taLeftJustify;
}
