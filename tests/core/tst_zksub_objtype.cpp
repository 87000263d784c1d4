#include "core/zksub_objtype.h"

#include <gtest/gtest.h>

namespace {

TEST(ObjectKinds, CodesAndTypeWords)
{
    struct Case
    {
        int code;
        const char *word;
        int readBack; // ObjTypeFromName(word)
    };
    const Case cases[] = {
        {1, "DATABASE", 1},
        {2, "USER", 2},
        {3, "USER", 2},
        {4, "SCHEMA", 4},
        {45, "TABLE", 45},
        {46, "INDEX", 46},
        {47, "VIEW", 47},
        {48, "JAVA SOURCE", 48},
        {49, "JAVA CLASS", 49},
        {50, "JAVA RESOURCE", 50},
        {51, "PROCEDURE", 51},
        {52, "FUNCTION", 52},
        {53, "PACKAGE", 53},
        {54, "PACKAGE BODY", 54},
        {55, "TYPE", 55},
        {56, "TYPE BODY", 56},
        {57, "TRIGGER", 57},
        {58, "SEQUENCE", 58},
        {59, "CLUSTER", 59},
        {60, "SYNONYM", 60},
        {61, "MATERIALIZED VIEW", 61},
        {62, "MATERIALIZED VIEW LOG", 62},
        {63, "REFRESH GROUP", 63},
        {64, "DATABASE LINK", 64},
        {65, "LIBRARY", 65},
        {66, "CONSTRAINT", 66},
        {67, "PROFILE", 67},
        {68, "ROLE", 68},
        {69, "FILEGROUP", -1},
        {70, "ROLLBACK SEGMENT", 70},
        {71, "FILE", -1},
        {72, "DIRECTORY", 72},
        {73, "TABLE PARTITION", 73},
        {74, "INDEX PARTITION", 74},
        {97, "JOB", 97},
        {116, "DATABASE", 1},
        {117, "SCHEDULE", 117},
        {118, "DATABASE", 1},
        {119, "LOGIN", 120},
        {120, "LOGIN", 120},
        {125, "SCHEMA", 4},
        {126, "SCHEMA", 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(ObjTypeToName(c.code).toStdString(), c.word);
        EXPECT_EQ(ObjTypeFromName(c.word), c.readBack);
    }
    for (int code : {0, 5, 44, 75, 100, 127, -1})
        EXPECT_TRUE(ObjTypeToName(code).isEmpty()) << code;
    EXPECT_EQ(ObjTypeFromName("table"), 45);
    EXPECT_EQ(ObjTypeFromName("TABLESPACE"), 69);
    EXPECT_EQ(ObjTypeFromName("tablespace"), 69);
    EXPECT_EQ(ObjTypeFromName(" TABLE"), -1);
    EXPECT_EQ(ObjTypeFromName(""), -1);
}

TEST(ObjectKinds, CatalogueTypeLetters)
{
    struct Case
    {
        const char *letters;
        int code;
        const char *word;
    };
    const Case cases[] = {
        {"U", 45, "TABLE"},
        {" u ", 45, "TABLE"},
        {"S", 45, "TABLE"},
        {"V", 47, "VIEW"},
        {"IX", 46, "INDEX"},
        {"PK", 66, "CONSTRAINT"},
        {"F", 66, "CONSTRAINT"},
        {"C", 66, "CONSTRAINT"},
        {"D", 66, "CONSTRAINT"},
        {"uq", 66, "CONSTRAINT"},
        {"P", 51, "PROCEDURE"},
        {"RF", 51, "PROCEDURE"},
        {"X", 51, "PROCEDURE"},
        {"FN", 52, "FUNCTION"},
        {"IF", 52, "FUNCTION"},
        {"TF", 52, "FUNCTION"},
        {"TR", 57, "TRIGGER"},
        {"SO", 58, "SEQUENCE"},
        {"SN", 60, "SYNONYM"},
        {"PC", -1, "PROCEDURE"},
        {"FS", -1, "FUNCTION"},
        {"FT", -1, "FUNCTION"},
        {"TA", -1, "TRIGGER"},
        {"SQ", -1, "QUEUE"},
        {"IT", -1, "INNER TABLE"},
        {"R", -1, "RULE"},
        {"K", -1, ""},
        {"ZZ", -1, ""},
        {"", -1, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.letters);
        EXPECT_EQ(ObjTypeFromXType(c.letters), c.code);
        EXPECT_EQ(XTypeToName(c.letters).toStdString(), c.word);
    }
}

TEST(ObjectKinds, TypeLettersOfACode)
{
    const std::pair<int, QStringList> cases[] = {
        {45, {"U", "S"}},
        {47, {"V"}},
        {46, {"IX"}},
        {66, {"K", "PK", "F", "C", "D", "UQ"}},
        {51, {"P", "RF", "X"}},
        {52, {"FN", "IF", "TF"}},
        {57, {"TR"}},
        {58, {"SO"}},
        {60, {"SN"}},
        {1, {}},
        {0, {}},
    };
    for (const auto &[code, want] : cases) {
        QStringList list = {"old"};
        GetObjTypeXTypes(code, list);
        EXPECT_EQ(list, want) << code;
    }
}

} // namespace
