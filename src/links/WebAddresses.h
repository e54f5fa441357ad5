#pragma once
// The maker's web addresses, all in one place so that a packager changes only this file.
// The hosts lie under the reserved .example domain: no real third party ever receives
// what the program sends. Every address uses https, since the refer-a-friend request
// carries names and e-mail addresses.

#include <QString>

namespace web_addresses {

inline const QString MainSiteHost = QStringLiteral("www.velmor.example");
inline const QString MainSite = QStringLiteral("https://www.velmor.example");
inline const QString HelpSite = QStringLiteral("https://help.velmor.example");

inline const QString OnlineHelp = MainSite + QStringLiteral("/somnara-software/somnara-help.html");
inline const QString HomeSite = MainSite;
inline const QString SoftwareCatalog = MainSite + QStringLiteral("/velmorsoftwares");
inline const QString DonationPage = HelpSite + QStringLiteral("/donate.html");
inline const QString DownloadPage = MainSite + QStringLiteral("/somnara-software/download-somnara.html");
inline const QString ReferAFriendPage = MainSite + QStringLiteral("/qxvs-refer-a-friend.php");
inline const QString ProductPage = MainSite + QStringLiteral("/somnara-software/");

} // namespace web_addresses
