#include "core/zksub_objtype.h"

namespace {

struct Kind
{
    int code;
    const char *word;
    bool readBack; // ObjTypeFromName gives this code for the word
};

constexpr Kind kKinds[] = {
    {1, "DATABASE", true},
    {2, "USER", true},
    {3, "USER", false},
    {4, "SCHEMA", true},
    {45, "TABLE", true},
    {46, "INDEX", true},
    {47, "VIEW", true},
    {48, "JAVA SOURCE", true},
    {49, "JAVA CLASS", true},
    {50, "JAVA RESOURCE", true},
    {51, "PROCEDURE", true},
    {52, "FUNCTION", true},
    {53, "PACKAGE", true},
    {54, "PACKAGE BODY", true},
    {55, "TYPE", true},
    {56, "TYPE BODY", true},
    {57, "TRIGGER", true},
    {58, "SEQUENCE", true},
    {59, "CLUSTER", true},
    {60, "SYNONYM", true},
    {61, "MATERIALIZED VIEW", true},
    {62, "MATERIALIZED VIEW LOG", true},
    {63, "REFRESH GROUP", true},
    {64, "DATABASE LINK", true},
    {65, "LIBRARY", true},
    {66, "CONSTRAINT", true},
    {67, "PROFILE", true},
    {68, "ROLE", true},
    {69, "FILEGROUP", false},
    {70, "ROLLBACK SEGMENT", true},
    {71, "FILE", false},
    {72, "DIRECTORY", true},
    {73, "TABLE PARTITION", true},
    {74, "INDEX PARTITION", true},
    {97, "JOB", true},
    {116, "DATABASE", false},
    {117, "SCHEDULE", true},
    {118, "DATABASE", false},
    {119, "LOGIN", false},
    {120, "LOGIN", true},
    {125, "SCHEMA", false},
    {126, "SCHEMA", false},
};

struct XType
{
    const char *letters;
    int code; // what ObjTypeFromXType gives; -1 for none
    const char *word;
    int listedFor; // the code whose letters GetObjTypeXTypes lists; 0 for none
};

// In the order GetObjTypeXTypes lists a code's letters. K (key) is listed
// with the constraints, though no conversion reads it back.
constexpr XType kXTypes[] = {
    {"U", 45, "TABLE", 45},       {"S", 45, "TABLE", 45},      {"V", 47, "VIEW", 47},
    {"IX", 46, "INDEX", 46},      {"K", -1, "", 66},           {"PK", 66, "CONSTRAINT", 66},
    {"F", 66, "CONSTRAINT", 66},  {"C", 66, "CONSTRAINT", 66}, {"D", 66, "CONSTRAINT", 66},
    {"UQ", 66, "CONSTRAINT", 66}, {"P", 51, "PROCEDURE", 51},  {"RF", 51, "PROCEDURE", 51},
    {"X", 51, "PROCEDURE", 51},   {"FN", 52, "FUNCTION", 52},  {"IF", 52, "FUNCTION", 52},
    {"TF", 52, "FUNCTION", 52},   {"TR", 57, "TRIGGER", 57},   {"SO", 58, "SEQUENCE", 58},
    {"SN", 60, "SYNONYM", 60},    {"PC", -1, "PROCEDURE", 0},  {"FS", -1, "FUNCTION", 0},
    {"FT", -1, "FUNCTION", 0},    {"TA", -1, "TRIGGER", 0},    {"SQ", -1, "QUEUE", 0},
    {"IT", -1, "INNER TABLE", 0}, {"R", -1, "RULE", 0},
};

const XType *findXType(const QString &xtype)
{
    const QString key = xtype.trimmed().toUpper();
    for (const XType &x : kXTypes)
        if (key == QLatin1String(x.letters))
            return &x;
    return nullptr;
}

} // namespace

QString ObjTypeToName(int code)
{
    for (const Kind &k : kKinds)
        if (k.code == code)
            return QLatin1String(k.word);
    return QString();
}

int ObjTypeFromName(const QString &name)
{
    const QString word = name.toUpper();
    if (word == QLatin1String("TABLESPACE"))
        return 69;
    for (const Kind &k : kKinds)
        if (k.readBack && word == QLatin1String(k.word))
            return k.code;
    return -1;
}

int ObjTypeFromXType(const QString &xtype)
{
    const XType *x = findXType(xtype);
    return x ? x->code : -1;
}

QString XTypeToName(const QString &xtype)
{
    const XType *x = findXType(xtype);
    return x ? QLatin1String(x->word) : QString();
}

void GetObjTypeXTypes(int code, QStringList &list)
{
    QStringList letters;
    for (const XType &x : kXTypes)
        if (x.listedFor != 0 && x.listedFor == code)
            letters += QLatin1String(x.letters);
    list = letters;
}
