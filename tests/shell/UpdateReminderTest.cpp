// The update reminder: when it asks, what it stores, and how it reads dates back under
// the user's locale.

#include "FakeServices.h"
#include "app/Program.h"
#include "links/WebAddresses.h"
#include "shell/Settings.h"
#include "shell/UpdateReminder.h"
#include "shell/frmMain.h"

#include <gtest/gtest.h>

namespace {

const QString kQuestion = QStringLiteral("There maybe an update to this software available") + QChar(13) +
                          QStringLiteral("Do you want to check for an update?");
const QString kFileMissing = QStringLiteral("Required File To Run The Software is Missing") + QChar(13) +
                             QStringLiteral("Please Reinstall the Software");

// Makes a locale the user's for the life of the object.
class UserLocale {
public:
    explicit UserLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~UserLocale() { QLocale::setDefault(previous_); }
    UserLocale(const UserLocale&) = delete;
    UserLocale& operator=(const UserLocale&) = delete;

private:
    QLocale previous_;
};

// ---- Reading and writing dates, one locale at a time ----

class StoredDates : public ::testing::TestWithParam<const char*> {
protected:
    QLocale locale{QString::fromLatin1(GetParam())};
};

TEST_P(StoredDates, EveryDateInTheWindowComesBackAsItself)
{
    const QDate today(2026, 12, 8);
    // The ends of the hundred-year window, leap days on both sides of 2000, and today.
    for (const QDate& date : {QDate(1976, 1, 1), QDate(1999, 12, 31), QDate(2000, 2, 29), QDate(2024, 2, 29),
                              today, QDate(2075, 12, 31)}) {
        const QString text = reminder::StoredDateText(date, locale);
        EXPECT_EQ(reminder::ReadStoredDate(text, locale, today), date) << qPrintable(text);
        EXPECT_EQ(DecodeSetting(EncodeSetting(text)), text);
    }
}

TEST_P(StoredDates, TextThatIsNoDateReadsAsNothing)
{
    const QDate today(2026, 12, 8);
    for (const char* text : {"garbage", "", "99/99/99", "31.31.2026", "12-8"})
        EXPECT_FALSE(reminder::ReadStoredDate(QString::fromLatin1(text), locale, today)) << text;
}

INSTANTIATE_TEST_SUITE_P(Locales, StoredDates, ::testing::Values("en_US", "de_DE", "en_GB", "C"));

TEST(StoredDates, TwoDigitYearsAreReadInTheHundredYearsAroundToday)
{
    const QLocale us(QStringLiteral("en_US"));
    const QLocale de(QStringLiteral("de_DE"));
    const QDate today(2026, 12, 8);
    EXPECT_EQ(reminder::ReadStoredDate(QStringLiteral("12/8/26"), us, today), today);
    EXPECT_EQ(reminder::ReadStoredDate(QStringLiteral("23.11.26"), de, today), QDate(2026, 11, 23));
    EXPECT_EQ(reminder::ReadStoredDate(QStringLiteral("12/31/75"), us, today), QDate(2075, 12, 31));
    EXPECT_EQ(reminder::ReadStoredDate(QStringLiteral("1/1/76"), us, today), QDate(1976, 1, 1));
    // The window moves with today.
    EXPECT_EQ(reminder::ReadStoredDate(QStringLiteral("1/1/76"), us, QDate(2027, 1, 1)), QDate(2076, 1, 1));
    // 29 February exists in 2000 but not in 1900 or 2100.
    EXPECT_EQ(reminder::ReadStoredDate(QStringLiteral("29.02.00"), de, today), QDate(2000, 2, 29));
    EXPECT_FALSE(reminder::ReadStoredDate(QStringLiteral("29.02.00"), de, QDate(2070, 1, 1)));
    EXPECT_FALSE(reminder::ReadStoredDate(QStringLiteral("29.02.01"), de, today));
}

TEST(StoredDates, TextWrittenUnderAnotherLocaleIsNoDate)
{
    const QDate today(2026, 12, 8);
    EXPECT_FALSE(reminder::ReadStoredDate(QStringLiteral("08.12.26"), QLocale(QStringLiteral("en_US")), today));
    EXPECT_FALSE(reminder::ReadStoredDate(QStringLiteral("12/8/26"), QLocale(QStringLiteral("de_DE")), today));
}

TEST(StoredDates, LocalesWritingOutsideTheCodePageStoreIsoDates)
{
    // Bulgarian ends its dates with a Cyrillic letter; Persian uses its own digits.
    const QDate today(2026, 12, 8);
    for (const char* name : {"bg_BG", "fa_IR"}) {
        const QLocale locale(QString::fromLatin1(name));
        const QString text = reminder::StoredDateText(today, locale);
        EXPECT_EQ(text, QStringLiteral("2026-12-08")) << name;
        EXPECT_EQ(reminder::ReadStoredDate(DecodeSetting(EncodeSetting(text)), locale, today), today) << name;
    }
}

TEST(ReminderDue, FourteenDaysEitherWayIsQuietFifteenIsDue)
{
    const QDate today(2026, 3, 1); // across the end of February
    for (int days = -14; days <= 14; ++days)
        EXPECT_FALSE(reminder::ReminderDue(today.addDays(days), today)) << days;
    for (int days : {-15, -16, -400, 15, 16, 400})
        EXPECT_TRUE(reminder::ReminderDue(today.addDays(days), today)) << days;
}

// ---- The reminder at start-up, under each locale ----

class Reminder : public ::testing::TestWithParam<const char*> {
protected:
    Reminder() : locale_(QLocale(QString::fromLatin1(GetParam()))) {}

    void storeDate(const QDate& date)
    {
        WriteSetting(services, QStringLiteral("Duration"), QLocale().toString(date, QLocale::ShortFormat));
        fakes.settings.writes = 0;
    }
    QString stored() const { return ReadSetting(services, QStringLiteral("Duration")); }
    QString todayText() const { return QLocale().toString(fakes.clock.date, QLocale::ShortFormat); }
    int questions() const { return static_cast<int>(fakes.messages.shown.size()); }

    UserLocale locale_;
    fakes::Services fakes;
    platform::Services services = fakes.services();
    Program program{services};
};

TEST_P(Reminder, FirstRunAsksNothingAndRemembersToday)
{
    UpdateReminder(program);
    EXPECT_EQ(questions(), 0);
    EXPECT_EQ(stored(), todayText());
    EXPECT_TRUE(fakes.web.opened.isEmpty());
}

TEST_P(Reminder, FourteenDaysEitherSideAsksNothingAndWritesNothing)
{
    for (int days : {-14, 0, 14}) {
        storeDate(fakes.clock.date.addDays(days));
        const QString before = stored();
        UpdateReminder(program);
        EXPECT_EQ(questions(), 0) << days;
        EXPECT_EQ(fakes.settings.writes, 0) << days;
        EXPECT_EQ(stored(), before);
    }
}

TEST_P(Reminder, FifteenDaysAgoAsksAndNoOpensNothing)
{
    storeDate(fakes.clock.date.addDays(-15));
    fakes.messages.answers = {platform::MsgResult::No};
    UpdateReminder(program);
    ASSERT_EQ(questions(), 1);
    EXPECT_EQ(fakes.messages.shown[0].text, kQuestion);
    EXPECT_EQ(fakes.messages.shown[0].icon, platform::MsgIcon::Information);
    EXPECT_EQ(fakes.messages.shown[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(stored(), todayText());
    EXPECT_TRUE(fakes.web.opened.isEmpty());

    // Started again the same day: no second question.
    UpdateReminder(program);
    EXPECT_EQ(questions(), 1);
}

TEST_P(Reminder, YesOpensTheDownloadPageOnce)
{
    storeDate(fakes.clock.date.addDays(-15));
    fakes.messages.answers = {platform::MsgResult::Yes};
    UpdateReminder(program);
    EXPECT_EQ(fakes.web.opened, QStringList{web_addresses::DownloadPage});
    EXPECT_EQ(stored(), todayText());
}

TEST_P(Reminder, FifteenDaysAheadAsksAsAfterTheClockWasSetBack)
{
    storeDate(fakes.clock.date.addDays(15));
    UpdateReminder(program);
    EXPECT_EQ(questions(), 1);
    EXPECT_EQ(stored(), todayText());
}

TEST_P(Reminder, DamagedValueEndsTheReminderQuietlyAndStays)
{
    WriteSetting(services, QStringLiteral("Duration"), QStringLiteral("not a date"));
    fakes.settings.writes = 0;
    UpdateReminder(program);
    EXPECT_EQ(questions(), 0);
    EXPECT_EQ(fakes.settings.writes, 0);
    EXPECT_EQ(stored(), QStringLiteral("not a date"));
}

TEST_P(Reminder, StartedEveryDayItAsksOnDays15And30)
{
    const QDate first = fakes.clock.date;
    QList<qint64> askedOn;
    for (int day = 0; day <= 44; ++day) {
        fakes.clock.date = first.addDays(day);
        const int before = questions();
        UpdateReminder(program);
        if (questions() > before)
            askedOn.append(day);
    }
    EXPECT_EQ(askedOn, (QList<qint64>{15, 30}));
}

TEST_P(Reminder, StoreThatRefusesWritesStillHonoursYes)
{
    fakes.settings.failWrites = true;
    UpdateReminder(program); // first run: nothing stored, nothing asked
    EXPECT_EQ(questions(), 0);

    fakes.settings.failWrites = false;
    storeDate(fakes.clock.date.addDays(-30));
    fakes.settings.failWrites = true;
    fakes.messages.answers = {platform::MsgResult::Yes};
    UpdateReminder(program);
    EXPECT_EQ(fakes.web.opened, QStringList{web_addresses::DownloadPage});
}

INSTANTIATE_TEST_SUITE_P(Locales, Reminder, ::testing::Values("en_US", "de_DE", "en_GB", "C"));

// ---- The reminder's place in the chooser's start-up ----

TEST(ReminderAtStartUp, QuestionComesBeforeTheFilesCheckAndStartUpGoesOn)
{
    fakes::Services fakes;
    platform::Services services = fakes.services();
    Program program(services);
    fakes.files.present.remove(fakes.files.folder + QStringLiteral("/Pendulum.swf"));
    WriteSetting(services, QStringLiteral("Duration"),
                 QLocale().toString(fakes.clock.date.addDays(-20), QLocale::ShortFormat));
    fakes.messages.answers = {platform::MsgResult::Yes};

    program.form<frmMain>();
    EXPECT_EQ(fakes.messages.texts(), (QStringList{kQuestion, kFileMissing}));
    EXPECT_EQ(fakes.web.opened, QStringList{web_addresses::DownloadPage});
    EXPECT_TRUE(program.ended());
}

TEST(ReminderAtStartUp, RefusedStoreDoesNotStopTheChooser)
{
    fakes::Services fakes;
    fakes.settings.failWrites = true;
    platform::Services services = fakes.services();
    Program program(services);
    frmMain& chooser = program.form<frmMain>();
    EXPECT_FALSE(program.ended());
    EXPECT_TRUE(fakes.messages.shown.empty());
    EXPECT_TRUE(program.forms().isLoaded(chooser));
}

} // namespace
