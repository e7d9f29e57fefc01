#include "core/CodePage.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(CodePage, CzechLettersRoundTripInEveryCodePage)
{
    const QString czech = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy ČŘŠŽÝÁÍÉÚŮĚŤĎŇ");
    for (CodePage cp : {CodePage::Cp1250, CodePage::Cp852, CodePage::Kamenicky})
        EXPECT_EQ(decode(encode(czech, cp), cp), czech) << static_cast<int>(cp);
}

TEST(CodePage, KnownBytes)
{
    EXPECT_EQ(encode(QStringLiteral("č"), CodePage::Cp1250), QByteArray("\xE8"));
    EXPECT_EQ(encode(QStringLiteral("Č"), CodePage::Cp852), QByteArray("\xAC"));
    EXPECT_EQ(encode(QStringLiteral("Č"), CodePage::Kamenicky), QByteArray("\x80"));
    EXPECT_EQ(decode(QByteArray("\x8A\x9E"), CodePage::Cp1250), QStringLiteral("Šž"));
    EXPECT_EQ(decode(QByteArray("\x81"), CodePage::Cp1250), QStringLiteral("?"));
}

TEST(CodePage, MissingCharactersFoldOrReplace)
{
    EXPECT_EQ(encode(QStringLiteral("žluť"), CodePage::Ascii), QByteArray("zlut"));
    EXPECT_EQ(encode(QStringLiteral("ő"), CodePage::Kamenicky), QByteArray("o"));
    EXPECT_EQ(encode(QStringLiteral("€"), CodePage::Cp852, '#'), QByteArray("#"));
    EXPECT_EQ(foldToAscii(QStringLiteral("Řízení – „x“")), QStringLiteral("Rizeni - \"x\""));
}
