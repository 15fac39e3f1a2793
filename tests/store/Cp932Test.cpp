#include "store/Cp932.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp932, MicrosoftMappingBothWays)
{
    // The wave dash of Windows files is U+FF5E at 0x8160; the ended marker takes six bytes.
    EXPECT_EQ(store::ToCp932(QStringLiteral("～")), QByteArray::fromHex("8160"));
    EXPECT_EQ(store::FromCp932(QByteArray::fromHex("8160")), QStringLiteral("～"));
    EXPECT_EQ(store::ToCp932(QStringLiteral("[終了]")).size(), 6);
    const QString mixed = QStringLiteral("カメラ No3: 12,345円(終了)ｶﾅ①");
    EXPECT_EQ(store::FromCp932(store::ToCp932(mixed)), mixed);
}

TEST(Cp932, WhatCp932CannotHoldBecomesAQuestionMark)
{
    // One "?" per character, also for characters outside the basic plane.
    EXPECT_EQ(store::ToCp932(QStringLiteral("a😀b€c")), QByteArray("a?b?c"));
    EXPECT_EQ(store::ToCp932(QStringLiteral("한글円")), QByteArray("??") + QByteArray::fromHex("897e"));
}

TEST(Cp932, InvalidBytesDoNotStopTheConversion)
{
    // A lone lead byte at the end and an invalid trail byte in the middle.
    const QString text =
        store::FromCp932(QByteArray("ab") + QByteArray::fromHex("81ff") + "cd" + QByteArray::fromHex("82"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("ab")));
    EXPECT_TRUE(text.contains(QStringLiteral("cd")));
    EXPECT_TRUE(text.contains(QChar(0xFFFD)));
}

TEST(Cp932, LongTextsConvertWhole)
{
    QString longText;
    for (int i = 0; i < 5000; ++i)
        longText += QStringLiteral("落札");
    EXPECT_EQ(store::FromCp932(store::ToCp932(longText)), longText);
}

} // namespace
