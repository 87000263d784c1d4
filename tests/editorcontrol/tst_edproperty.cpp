#include "support/properties/editscript.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <random>

// Random edit scripts of up to 64 edits, with word wrap off or at 20, 80 or
// 250 cells.
TEST(EditProperty, UndoRedoAndWrapRoundTrips)
{
    const int wraps[] = {0, 20, 80, 250};
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        std::mt19937 random(seed);
        editscript::Script script([&random] { return unsigned(random()); });
        const QString failure = editscript::failure(script, wraps[seed % 4]);
        ASSERT_TRUE(failure.isEmpty()) << "seed " << seed << ": " << failure.toStdString();
    }
}

// Inputs the fuzzer once failed on, replayed (tests/fixtures/fuzz/editor_model).
TEST(EditProperty, FuzzFindingsStayMended)
{
    const QDir dir(QStringLiteral(ZK_FIXTURES_DIR "/fuzz/editor_model"));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString failure = editscript::failureFromBytes(f.readAll());
        EXPECT_TRUE(failure.isEmpty()) << name.toStdString() << ": " << failure.toStdString();
    }
}
