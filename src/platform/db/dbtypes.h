#pragma once

#include <QString>

// Field types of result columns, as the data-set code of the windows names
// them. Several names exist only so that the windows' type tests read as
// written; the SQL Server mapping (DescribeColumn) produces the subset noted.
enum TFieldType : quint8 {
    ftUnknown,
    // text
    ftString,        // varchar
    ftFixedChar,     // char
    ftWideString,    // nvarchar, sysname
    ftFixedWideChar, // nchar
    ftMemo,          // varchar(max), text
    ftWideMemo,      // nvarchar(max), ntext, xml
    ftFmtMemo,
    // numbers
    ftBoolean, // bit
    ftByte,    // tinyint
    ftShortint,
    ftSmallint, // smallint
    ftWord,
    ftInteger, // int
    ftLongWord,
    ftLargeint, // bigint
    ftAutoInc,
    ftSingle, // real
    ftFloat,  // float
    ftExtended,
    ftCurrency, // money, smallmoney
    ftBCD,      // decimal, numeric up to 15 digits
    ftFMTBcd,   // decimal, numeric of 16 to 38 digits
    // dates and times
    ftDate, // date
    ftTime, // time
    ftDateTime,
    ftTimeStamp,       // datetime, smalldatetime, datetime2
    ftTimeStampOffset, // datetimeoffset
    // binary
    ftBytes,    // binary, timestamp/rowversion
    ftVarBytes, // varbinary
    ftBlob,     // varbinary(max), image, hierarchyid, geography, geometry
    ftGraphic,
    ftTypedBinary,
    ftParadoxOle,
    ftDBaseOle,
    ftOraBlob,
    ftOraClob,
    // others
    ftGuid,    // uniqueidentifier
    ftVariant, // sql_variant (carried as its text)
    ftCursor,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
};

enum TAlignment : quint8 { taLeftJustify, taRightJustify, taCenter };

// How the column store keeps a column's values.
enum class TDBStorage : quint8 {
    Bool,  // 1 byte
    UInt8, // tinyint
    Int16,
    Int32,
    Int64,
    Float32,
    Float64,
    Decimal,        // 64-bit integer scaled by 10^scale (precision up to 18)
    BigDecimal,     // its exact digits as text (precision 19 to 38)
    Date,           // 32-bit days since 0001-01-01
    Time,           // 64-bit 100 ns ticks since midnight
    DateTime,       // 64-bit 100 ns ticks since 0001-01-01 00:00
    DateTimeOffset, // local ticks as DateTime, and the offset in minutes
    Guid,           // 16 bytes
    Text,           // UTF-16 text
    Binary,         // bytes
};

// One column of a result, described as SQL Server describes it.
struct TDBColumnDef
{
    QString name;
    QString typeName; // lower case: "int", "nvarchar", "datetime2", ...
    TFieldType fieldType = ftUnknown;
    TDBStorage storage = TDBStorage::Text;
    int size = 0;      // characters (text) or bytes (binary); -1 unlimited
    int precision = 0; // digits of exact numbers
    int scale = 0;     // fraction digits of exact numbers and of times
    bool nullable = true;
    bool readOnly = false;

    // "nvarchar(40)", "decimal(18,4)", "varbinary(max)", "datetime2(7)", "int"
    QString sqlTypeText() const;
};

// The column of a SQL Server type, from the type name and the sizes a driver
// or the catalogue gives (size in characters for n-types, bytes otherwise;
// a size of 0 or below, or above 8000, means unlimited). A type this layer
// does not know becomes text, or binary when binaryHint is set, so that an
// unknown type never fails a whole result.
TDBColumnDef DescribeColumn(const QString &name, const QString &typeName, int size = 0, int precision = 0,
                            int scale = 0, bool binaryHint = false);

// Whether DescribeColumn knows the type by this name (ignoring case).
bool IsKnownSqlType(const QString &typeName);

bool IsTextField(TFieldType type);
bool IsNumericField(TFieldType type);
bool IsBinaryField(TFieldType type);
bool IsDateTimeField(TFieldType type);

// Characters a field shows by default (a grid column's width before fitting).
int DefaultDisplayWidth(const TDBColumnDef &column);
TAlignment DefaultAlignment(TFieldType type);
