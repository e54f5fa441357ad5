// The settings store: the character shift of keys and values, and where a value lives.

#include "FakeServices.h"
#include "platform/QtSettingsStore.h"
#include "shell/Settings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Windows-1252 characters 0..170: every one of them survives the shift and back.
QString everyShiftableCharacter()
{
    QByteArray bytes;
    for (int code = 0; code <= 170; ++code)
        bytes.append(static_cast<char>(code));
    // Latin-1 gives the right characters outside 0x80..0x9F; those are filled in by hand.
    QString text = QString::fromLatin1(bytes);
    const char16_t high[] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        text[0x80 + i] = QChar(high[i]);
    return text;
}

TEST(EncodeSetting, ShiftsEachCharacterEightyFivePlacesUpTheCodePage)
{
    // 'A' (65) becomes 150, the en dash; '0' (48) becomes 133, the ellipsis; ' ' (32)
    // becomes 117, 'u'; 'a' (97) becomes 182, the pilcrow.
    EXPECT_EQ(EncodeSetting(QStringLiteral("A0 a")), QString::fromUtf8("\u2013\u2026u\u00B6"));
    EXPECT_EQ(DecodeSetting(QString::fromUtf8("\u2013\u2026u\u00B6")), QStringLiteral("A0 a"));
}

TEST(EncodeSetting, KeyNameIsStoredShiftedAndComesBack)
{
    const QString key = EncodeSetting(QStringLiteral("Duration"));
    EXPECT_NE(key, QStringLiteral("Duration"));
    EXPECT_EQ(key.size(), 8);
    EXPECT_EQ(DecodeSetting(key), QStringLiteral("Duration"));
}

TEST(EncodeSetting, EmptyStaysEmpty)
{
    EXPECT_TRUE(EncodeSetting(QString()).isEmpty());
    EXPECT_TRUE(DecodeSetting(QString()).isEmpty());
}

TEST(EncodeSetting, EveryCharacterUpTo170SurvivesTheRoundTrip)
{
    const QString all = everyShiftableCharacter();
    const QString encoded = EncodeSetting(all);
    EXPECT_EQ(encoded.size(), all.size());
    EXPECT_EQ(DecodeSetting(encoded), all);
    // Digits 8 lands on 0x8D, a code Windows-1252 leaves undefined: dates need it.
    EXPECT_EQ(DecodeSetting(EncodeSetting(QStringLiteral("8/28/88"))), QStringLiteral("8/28/88"));
}

TEST(EncodeSetting, CharactersPastTheTopAreLeftOutAndTheRestStillEncoded)
{
    // 200 is 'È'; 171 '«' is the first that cannot move; 170 'ª' is the last that can.
    EXPECT_EQ(EncodeSetting(QString::fromUtf8("1È2")), EncodeSetting(QStringLiteral("12")));
    EXPECT_EQ(EncodeSetting(QString::fromUtf8("«ÿ")), QString());
    EXPECT_EQ(EncodeSetting(QString::fromUtf8("ª")), QString::fromUtf8("ÿ"));
}

TEST(EncodeSetting, CharactersOutsideTheCodePageCountAsQuestionMarks)
{
    EXPECT_EQ(EncodeSetting(QString::fromUtf8("г")), EncodeSetting(QStringLiteral("?")));
    EXPECT_EQ(DecodeSetting(EncodeSetting(QString::fromUtf8("a\u200Fb"))), QStringLiteral("a?b"));
}

TEST(DecodeSetting, CharactersBelow85AreLeftOut)
{
    // 'A' is 65 and 'T' 84: nothing to shift down to. 'U' (85) is the first that decodes.
    EXPECT_EQ(DecodeSetting(QStringLiteral("ATU")), QString(QChar(0)));
    EXPECT_EQ(DecodeSetting(QStringLiteral("A") + EncodeSetting(QStringLiteral("x"))), QStringLiteral("x"));
    // Outside the code page: a question mark (63), below 85 as well.
    EXPECT_EQ(DecodeSetting(QString::fromUtf8("г")), QString());
}

class SettingsAccess : public ::testing::Test {
protected:
    fakes::Services fakes;
    platform::Services services = fakes.services();
};

TEST_F(SettingsAccess, ValueLivesUnderProgramNameSectionAndShiftedKey)
{
    fakes.files.name = QStringLiteral("somnara-beta");
    ASSERT_TRUE(WriteSetting(services, QStringLiteral("Duration"), QStringLiteral("12/8/26")));
    const QString where =
        QStringLiteral("somnara-beta/Settings/") + EncodeSetting(QStringLiteral("Duration"));
    ASSERT_TRUE(fakes.settings.values.contains(where));
    EXPECT_EQ(fakes.settings.values.value(where), EncodeSetting(QStringLiteral("12/8/26")));
    EXPECT_EQ(ReadSetting(services, QStringLiteral("Duration")), QStringLiteral("12/8/26"));
}

TEST_F(SettingsAccess, AbsentKeyReadsEmptyAndRefusedWriteIsReported)
{
    EXPECT_TRUE(ReadSetting(services, QStringLiteral("Duration")).isEmpty());
    fakes.settings.failWrites = true;
    EXPECT_FALSE(WriteSetting(services, QStringLiteral("Duration"), QStringLiteral("x")));
    EXPECT_TRUE(ReadSetting(services, QStringLiteral("Duration")).isEmpty());
}

// The real store, pointed at a private folder, where Qt's own per-user settings (which
// earlier versions used directly) are pointed too.
class RealSettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    }
    QTemporaryDir folder;
    platform::QtSettingsStore store{folder.path()};
};

TEST_F(RealSettingsStore, ShiftedTextComesBackIntactAcrossInstances)
{
    const QString key = EncodeSetting(QStringLiteral("Duration"));
    const QString value = EncodeSetting(everyShiftableCharacter());
    EXPECT_TRUE(store.read(QStringLiteral("somnara"), QStringLiteral("Settings"), key).isEmpty());
    ASSERT_TRUE(store.write(QStringLiteral("somnara"), QStringLiteral("Settings"), key, value));
    const platform::QtSettingsStore another(folder.path());
    EXPECT_EQ(another.read(QStringLiteral("somnara"), QStringLiteral("Settings"), key), value);
    EXPECT_TRUE(another.read(QStringLiteral("other"), QStringLiteral("Settings"), key).isEmpty());
}

TEST_F(RealSettingsStore, StoreThatCannotBeWrittenSaysSo)
{
    // A file where the store's folder should be: nothing can be created below it.
    const QString blocked = folder.filePath(QStringLiteral("blocked"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    platform::QtSettingsStore below(blocked + QStringLiteral("/sub"));
    EXPECT_FALSE(below.write(QStringLiteral("somnara"), QStringLiteral("Settings"), QStringLiteral("k"),
                             QStringLiteral("v")));
    EXPECT_TRUE(below.read(QStringLiteral("somnara"), QStringLiteral("Settings"), QStringLiteral("k")).isEmpty());
}

TEST_F(RealSettingsStore, KeepsTheFileThatEarlierVersionsWrote)
{
    const QString key = EncodeSetting(QStringLiteral("Duration"));
    {
        QSettings earlier(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("somnara"));
        earlier.setValue(QStringLiteral("Settings/") + key, EncodeSetting(QStringLiteral("11/23/26")));
    }
    EXPECT_EQ(store.read(QStringLiteral("somnara"), QStringLiteral("Settings"), key),
              EncodeSetting(QStringLiteral("11/23/26")));
    ASSERT_TRUE(store.write(QStringLiteral("somnara"), QStringLiteral("Settings"), key,
                            EncodeSetting(QStringLiteral("12/8/26"))));
    const QSettings earlier(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("somnara"));
    EXPECT_EQ(earlier.value(QStringLiteral("Settings/") + key).toString(), EncodeSetting(QStringLiteral("12/8/26")));
}

} // namespace
