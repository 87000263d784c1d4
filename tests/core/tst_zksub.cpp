#include "core/zkreg.h"
#include "core/zksub.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TEST(CoreStartup, CreatesTheOutputAndDataFoldersButNoWorkFolder)
{
    const QString home = QDir::homePath();
    QDir(home + "/Documents").removeRecursively();
    QDir(home + "/.local/share/ZKS25R").removeRecursively();

    InitializeCore();
    EXPECT_EQ(OutputPath, home + "/Documents/");
    EXPECT_EQ(DataPath, home + "/.local/share/ZKS25R/");
    EXPECT_TRUE(ProgramPath.endsWith('/'));
    EXPECT_TRUE(QFileInfo(OutputPath).isDir());
    EXPECT_TRUE(QFileInfo(DataPath).isDir());
    EXPECT_FALSE(QFileInfo::exists(DataPath + "temp"));
    ASSERT_NE(zkReg, nullptr);
    EXPECT_EQ(zkReg->RootKey(), HKEY_CURRENT_USER);

    WriteRootBool("Flag", true);
    EXPECT_EQ(zkReg->CurrentPath(), "Software\\Quillmark\\ZKS25R");
    EXPECT_TRUE(zkReg->GetBool("Flag", false));

    FinalizeCore();
    EXPECT_EQ(zkReg, nullptr);
    EXPECT_TRUE(DataPath.isEmpty());
}

} // namespace
