#pragma once
// At start-up, offers to check for an update when the last reminder lies more than
// 14 days away, before or after today. The date of the last reminder is the one value
// the program keeps between runs.

#include <QDate>
#include <QLocale>
#include <QString>

#include <optional>

class Program;

void UpdateReminder(Program& program);

namespace reminder {

// The date as it is stored: the locale's short-date text, unless that text could not
// be stored and read back intact, in which case the ISO form.
QString StoredDateText(const QDate& date, const QLocale& locale);

// A stored date read back under the locale's short-date rules (or in ISO form). A
// two-digit year is taken from the hundred years around today. Nothing if the text is
// no date.
std::optional<QDate> ReadStoredDate(const QString& text, const QLocale& locale, const QDate& today);

// True when more than 14 days lie between the two dates, in either direction.
bool ReminderDue(const QDate& lastReminder, const QDate& today);

} // namespace reminder
