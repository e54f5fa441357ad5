#pragma once
// The refer-a-friend request: the entries captured from the refer-a-friend window, the
// checks they must pass, and the address that carries them to the maker's page.

#include "app/ReferralEntries.h"

#include <QString>

#include <optional>

class Program;

namespace modTellAFriend {

// The module's strings: empty at start, kept for the whole run (Program holds them).
using Strings = ReferralEntries;

// What each entry box shows while nothing has been typed into it.
namespace placeholders {
inline const QString Name = QStringLiteral("Your Name");
inline const QString Email = QStringLiteral("Your Email Address");
inline const QString Message = QStringLiteral("Your Message");
inline const QString FriendName = QStringLiteral("Friend's Name");
inline const QString FriendEmail = QStringLiteral("Friend's Email Address");
} // namespace placeholders

// The longest entry each box takes, in characters. An e-mail address is at most 254
// characters long (the longest path a mail server takes), and 100 hold any name people
// write; 2,000 keep a message to what web servers and browsers take in one address.
// Percent-encoded as UTF-8, a character costs at most 9 in the address, so a request stays
// under 25,000 characters: far below the 128 KiB beyond which the system refuses to hand
// an address to the browser, losing the request without a word.
namespace limits {
constexpr int Name = 100;
constexpr int Email = 254;
constexpr int Message = 2000;
} // namespace limits

// The text with space characters, and only those, removed from both ends.
QString TrimSpaces(const QString& text);

// What a box holds after it gets the focus: emptied if it only shows its placeholder.
QString TextOnGotFocus(const QString& text, const QString& placeholder);
// What a box holds after it loses the focus: its placeholder if nothing but spaces.
QString TextOnLostFocus(const QString& text, const QString& placeholder);

// The message for the first fault in the two e-mail addresses, checked before anything
// else: equal addresses, then an address without "@", then one without ".".
std::optional<QString> AddressProblem(const QString& email, const QString& friendEmail);

// The message for the first entry left empty or at its placeholder, in capture order.
std::optional<QString> MissingEntry(const Strings& strings);

// The request: the refer-a-friend page with the five entries as the query values
// taf1 to taf5 and the product page as taf6. Each entry is percent-encoded as UTF-8,
// so that "&", "#", "+", "=" or a line break in it arrive as typed.
QString BuildReferralAddress(const Strings& strings);

// Reports the first entry not made, or builds ReferralAddress and opens it.
void SubmitReferral(Program& program);
// Opens ReferralAddress, unchanged, in the user's browser.
void OpenTellAFriendRequest(Program& program);

} // namespace modTellAFriend
