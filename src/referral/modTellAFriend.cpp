#include "referral/modTellAFriend.h"

#include "app/Program.h"
#include "links/WebAddresses.h"
#include "links/modHelp.h"

#include <QUrl>

namespace modTellAFriend {

namespace {

const QString kDistinct = QStringLiteral("Please Enter Distinct Email Addresses");
const QString kProper = QStringLiteral("Please Enter Proper Email Address");

struct Required {
    QString Strings::*value;
    const QString& placeholder;
    const char* message;
};

// Capture order, which is also the order of the checks.
const Required kRequired[] = {
    {&Strings::ReferrerName, placeholders::Name, "Please Enter Your Name"},
    {&Strings::ReferrerEmail, placeholders::Email, "Please Enter Your Email"},
    {&Strings::ReferralMessage, placeholders::Message, "Please Enter Your Message"},
    {&Strings::FriendName, placeholders::FriendName, "Please Enter Your Friend's Name"},
    {&Strings::FriendEmail, placeholders::FriendEmail, "Please Enter Your Friend's Email"},
};

QString queryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

QString TrimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == QLatin1Char(' '))
        ++first;
    while (end > first && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(first, end - first);
}

QString TextOnGotFocus(const QString& text, const QString& placeholder)
{
    return TrimSpaces(text) == placeholder ? QString() : text;
}

QString TextOnLostFocus(const QString& text, const QString& placeholder)
{
    return TrimSpaces(text).isEmpty() ? placeholder : text;
}

std::optional<QString> AddressProblem(const QString& email, const QString& friendEmail)
{
    if (email == friendEmail)
        return kDistinct;
    for (const QChar mark : {QLatin1Char('@'), QLatin1Char('.')})
        if (!email.contains(mark) || !friendEmail.contains(mark))
            return kProper;
    return std::nullopt;
}

std::optional<QString> MissingEntry(const Strings& strings)
{
    for (const Required& entry : kRequired) {
        const QString value = TrimSpaces(strings.*entry.value);
        if (value.isEmpty() || value == entry.placeholder)
            return QString::fromLatin1(entry.message);
    }
    return std::nullopt;
}

QString BuildReferralAddress(const Strings& strings)
{
    return web_addresses::ReferAFriendPage + QStringLiteral("?") +
           QStringLiteral("taf1=") + queryValue(strings.ReferrerName) +
           QStringLiteral("&taf2=") + queryValue(strings.ReferrerEmail) +
           QStringLiteral("&taf3=") + queryValue(strings.ReferralMessage) +
           QStringLiteral("&taf4=") + queryValue(strings.FriendName) +
           QStringLiteral("&taf5=") + queryValue(strings.FriendEmail) +
           QStringLiteral("&taf6=") + web_addresses::ProductPage;
}

void SubmitReferral(Program& program)
{
    Strings& strings = program.tellAFriend;
    if (const std::optional<QString> missing = MissingEntry(strings)) {
        program.services().messages.show(*missing, platform::MsgIcon::Critical, platform::MsgButtons::OK);
        return;
    }
    strings.ReferralAddress = BuildReferralAddress(strings);
    OpenTellAFriendRequest(program);
}

void OpenTellAFriendRequest(Program& program)
{
    modHelp::OpenWebAddress(program.services().web, program.tellAFriend.ReferralAddress);
}

} // namespace modTellAFriend
