#include "shell/UpdateReminder.h"

#include "app/Program.h"
#include "links/modHelp.h"
#include "shell/Settings.h"

#include <QCalendar>

namespace {

const QString kDurationKey = QStringLiteral("Duration");
const QString kQuestion = QStringLiteral("There maybe an update to this software available") + QChar(13) +
                          QStringLiteral("Do you want to check for an update?");
constexpr int kQuietDays = 14;

// The year ending in the given two digits that lies in the hundred years from 50 years
// before today's year to 49 after it.
int yearNear(int twoDigits, int todayYear)
{
    const int first = todayYear - 50;
    return first + ((twoDigits - first) % 100 + 100) % 100;
}

std::optional<QDate> readTwoDigitYearDate(const QString& text, const QLocale& locale, const QString& format,
                                          const QDate& today)
{
    // Qt reads a two-digit year as 19xx. Reading in the Julian calendar, where every
    // fourth year is a leap year, keeps a 29 February of 2000 (1900 to Qt) readable;
    // the real date is then built from the day, the month and the moved year.
    const QCalendar julian(QCalendar::System::Julian);
    const QDate read = locale.toDate(text, format, julian);
    if (!read.isValid())
        return std::nullopt;
    const QCalendar::YearMonthDay parts = julian.partsFromDate(read);
    const QDate date(yearNear(parts.year % 100, today.year()), parts.month, parts.day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace

namespace reminder {

QString StoredDateText(const QDate& date, const QLocale& locale)
{
    const QString text = locale.toString(date, QLocale::ShortFormat);
    // Some locales write dates with characters Windows-1252 lacks (other scripts'
    // digits or words, direction marks); such a text would come back from the store
    // as no date at all, and the reminder would never ask again.
    if (DecodeSetting(EncodeSetting(text)) == text && ReadStoredDate(text, locale, date) == date)
        return text;
    return date.toString(Qt::ISODate);
}

std::optional<QDate> ReadStoredDate(const QString& text, const QLocale& locale, const QDate& today)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")) && format.contains(QLatin1String("yy"))) {
        if (const std::optional<QDate> date = readTwoDigitYearDate(text, locale, format, today))
            return date;
    } else if (const QDate date = locale.toDate(text, format); date.isValid()) {
        return date;
    }
    if (const QDate iso = QDate::fromString(text, Qt::ISODate); iso.isValid())
        return iso;
    return std::nullopt;
}

bool ReminderDue(const QDate& lastReminder, const QDate& today)
{
    const qint64 days = today.daysTo(lastReminder);
    return days < -kQuietDays || days > kQuietDays;
}

} // namespace reminder

void UpdateReminder(Program& program)
{
    platform::Services& services = program.services();
    const QLocale locale;
    const QDate today = services.clock.today();

    const QString stored = ReadSetting(services, kDurationKey);
    if (stored.isEmpty()) {
        WriteSetting(services, kDurationKey, reminder::StoredDateText(today, locale));
        return;
    }
    // A value that is no date is left as it is: the user may still mend or remove it.
    const std::optional<QDate> lastReminder = reminder::ReadStoredDate(stored, locale, today);
    if (!lastReminder || !reminder::ReminderDue(*lastReminder, today))
        return;

    const platform::MsgResult answer =
        services.messages.show(kQuestion, platform::MsgIcon::Information, platform::MsgButtons::YesNo);
    // A store that refuses the date costs a question at the next start, but never the
    // page the user has just asked for.
    WriteSetting(services, kDurationKey, reminder::StoredDateText(today, locale));
    if (answer == platform::MsgResult::Yes)
        modHelp::OpenDownloadPage(services.web);
}
