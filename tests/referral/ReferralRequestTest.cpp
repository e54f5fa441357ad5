// The refer-a-friend request without its window: trimming, the checks and their order,
// and the address that carries the entries.

#include "links/WebAddresses.h"
#include "referral/modTellAFriend.h"

#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

using modTellAFriend::Strings;

Strings valid()
{
    Strings strings;
    strings.ReferrerName = QStringLiteral("Ann");
    strings.ReferrerEmail = QStringLiteral("ann@mail.example");
    strings.ReferralMessage = QStringLiteral("Try it");
    strings.FriendName = QStringLiteral("Bob");
    strings.FriendEmail = QStringLiteral("bob@mail.example");
    return strings;
}

TEST(TrimSpaces, RemovesSpacesAtBothEndsAndNothingElse)
{
    EXPECT_EQ(modTellAFriend::TrimSpaces(QStringLiteral("  a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(modTellAFriend::TrimSpaces(QStringLiteral("   ")), QString());
    EXPECT_EQ(modTellAFriend::TrimSpaces(QStringLiteral("\t x\r\n")), QStringLiteral("\t x\r\n"));
    EXPECT_EQ(modTellAFriend::TrimSpaces(QStringLiteral(" Your Message\r\n ")), QStringLiteral("Your Message\r\n"));
}

TEST(AddressProblem, EqualThenNoAtThenNoDot)
{
    const QString distinct = QStringLiteral("Please Enter Distinct Email Addresses");
    const QString proper = QStringLiteral("Please Enter Proper Email Address");
    struct Case {
        const char* email;
        const char* friendEmail;
        const QString* expected;
    };
    const Case cases[] = {
        {"", "", &distinct},
        {"Your Email Address", "Your Email Address", &distinct},
        {"a@b.example", "a@b.example", &distinct},
        {"Your Email Address", "Friend's Email Address", &proper}, // the untouched form
        {"a@b.example", "", &proper},
        {"a@b", "c@d.example", &proper},
        {"a@b.example", "c@d", &proper},
        {"ab.example", "c@d.example", &proper},
        {"a.b@c", "d.e@f", nullptr}, // a dot before the "@" is enough
        {"A@b.example", "a@b.example", nullptr}, // letter case makes them distinct
    };
    for (const Case& c : cases) {
        const auto problem =
            modTellAFriend::AddressProblem(QString::fromLatin1(c.email), QString::fromLatin1(c.friendEmail));
        if (c.expected)
            EXPECT_EQ(problem, *c.expected) << c.email << " / " << c.friendEmail;
        else
            EXPECT_FALSE(problem) << c.email << " / " << c.friendEmail;
    }
}

TEST(MissingEntry, FirstEmptyOrPlaceholderEntryInCaptureOrder)
{
    struct Case {
        QString Strings::*entry;
        QString placeholder;
        const char* message;
    };
    const Case cases[] = {
        {&Strings::ReferrerName, QStringLiteral("Your Name"), "Please Enter Your Name"},
        {&Strings::ReferrerEmail, QStringLiteral("Your Email Address"), "Please Enter Your Email"},
        {&Strings::ReferralMessage, QStringLiteral("Your Message"), "Please Enter Your Message"},
        {&Strings::FriendName, QStringLiteral("Friend's Name"), "Please Enter Your Friend's Name"},
        {&Strings::FriendEmail, QStringLiteral("Friend's Email Address"), "Please Enter Your Friend's Email"},
    };
    EXPECT_FALSE(modTellAFriend::MissingEntry(valid()));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const QString blanks[] = {QString(), QStringLiteral("   "), c.placeholder, QStringLiteral(" ") + c.placeholder};
        for (const QString& blank : blanks) {
            Strings strings = valid();
            strings.*c.entry = blank;
            EXPECT_EQ(modTellAFriend::MissingEntry(strings), QString::fromLatin1(c.message));
            // Every later entry missing as well: still this one's message.
            for (std::size_t later = i + 1; later < std::size(cases); ++later)
                strings.*cases[later].entry = QString();
            EXPECT_EQ(modTellAFriend::MissingEntry(strings), QString::fromLatin1(c.message));
        }
        // Letter case matters: not the placeholder.
        Strings strings = valid();
        strings.*c.entry = c.placeholder.toUpper();
        EXPECT_FALSE(modTellAFriend::MissingEntry(strings)) << c.message;
    }
}

TEST(ReferralAddress, OrdinaryEntries)
{
    Strings strings = valid();
    strings.ReferrerName = QStringLiteral("Ann Lee");
    strings.ReferralMessage = QStringLiteral("Your Message\r\n");
    EXPECT_EQ(modTellAFriend::BuildReferralAddress(strings),
              QStringLiteral("https://www.velmor.example/qxvs-refer-a-friend.php?taf1=Ann%20Lee"
                             "&taf2=ann%40mail.example&taf3=Your%20Message%0D%0A&taf4=Bob"
                             "&taf5=bob%40mail.example&taf6=https://www.velmor.example/somnara-software/"));
}

TEST(ReferralAddress, HostileEntriesArriveExactlyAsTyped)
{
    Strings strings;
    strings.ReferrerName = QStringLiteral("Tom & Jerry=1#top");
    strings.ReferrerEmail = QStringLiteral("a+b@x.example");
    strings.ReferralMessage = QStringLiteral("50% off?\r\nline two&taf6=evil\n");
    strings.FriendName = QString::fromUtf8("Zoë 日本 \U0001F600");
    strings.FriendEmail = QStringLiteral("c@d.example/../%2F");

    const QString address = modTellAFriend::BuildReferralAddress(strings);
    EXPECT_TRUE(address.startsWith(web_addresses::ReferAFriendPage +
                                   QStringLiteral("?taf1=Tom%20%26%20Jerry%3D1%23top&taf2=a%2Bb%40x.example&")));
    // Nothing but the printable ASCII of an address, and no second "?" or any "#".
    for (const QChar ch : address)
        EXPECT_TRUE(ch.unicode() > 32 && ch.unicode() < 127) << int(ch.unicode());
    EXPECT_EQ(address.count(QLatin1Char('?')), 1);
    EXPECT_FALSE(address.contains(QLatin1Char('#')));

    // A page reading the query gets the six keys in order, and each value as typed.
    const QUrl url(address, QUrl::StrictMode);
    ASSERT_TRUE(url.isValid());
    EXPECT_TRUE(url.fragment().isNull());
    const QList<std::pair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    const QList<std::pair<QString, QString>> expected = {
        {QStringLiteral("taf1"), strings.ReferrerName},    {QStringLiteral("taf2"), strings.ReferrerEmail},
        {QStringLiteral("taf3"), strings.ReferralMessage}, {QStringLiteral("taf4"), strings.FriendName},
        {QStringLiteral("taf5"), strings.FriendEmail},     {QStringLiteral("taf6"), web_addresses::ProductPage},
    };
    EXPECT_EQ(items, expected);
}

// The longest entries the boxes take, made of the costliest characters: each of them
// becomes nine in the address once percent-encoded as UTF-8 (a line break, sent as CR LF,
// only six). The request stays under 25,000 characters, well within what the system hands
// to the browser (128 KiB) and what browsers open, and still carries every entry whole.
TEST(ReferralAddress, LongestEntriesOfTheCostliestCharactersStayWellWithinWhatOpens)
{
    namespace limits = modTellAFriend::limits;
    const QChar costliest(0x4E2D); // three bytes in UTF-8
    Strings strings;
    strings.ReferrerName = QString(limits::Name, costliest);
    strings.ReferrerEmail = QString(limits::Email, costliest);
    strings.ReferralMessage = QString(limits::Message, costliest);
    strings.FriendName = QString(limits::Name, costliest);
    strings.FriendEmail = QString(limits::Email, costliest);

    const QString address = modTellAFriend::BuildReferralAddress(strings);
    EXPECT_LT(address.size(), 25000);
    const QUrlQuery query{QUrl(address)};
    EXPECT_EQ(query.queryItemValue(QStringLiteral("taf3"), QUrl::FullyDecoded), strings.ReferralMessage);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("taf5"), QUrl::FullyDecoded), strings.FriendEmail);

    strings.ReferralMessage = QStringLiteral("\r\n").repeated(limits::Message);
    EXPECT_LT(modTellAFriend::BuildReferralAddress(strings).size(), 25000) << "line breaks";
}

} // namespace
