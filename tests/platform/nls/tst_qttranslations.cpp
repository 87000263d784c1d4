#include "platform/nls/qttranslations.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// Qt's own texts (standard buttons, text-field menus) come in Japanese.
TEST(QtTranslations, QtsOwnTextsAreJapanese)
{
    ASSERT_TRUE(InstallQtJapaneseTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
    EXPECT_NE(QCoreApplication::translate("QWidgetTextControl", "&Copy"), QStringLiteral("&Copy"));
}
