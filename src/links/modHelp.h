#pragma once
// The commands that open the maker's web pages. Each hands one fixed address to the
// user's default handler and returns at once; nothing is checked or reported.

#include <QString>

namespace platform {
class WebOpener;
}

namespace modHelp {

void OpenWebAddress(platform::WebOpener& web, const QString& address);

void OpenOnlineHelp(platform::WebOpener& web);
void OpenHomeSite(platform::WebOpener& web);
void OpenSoftwareCatalog(platform::WebOpener& web);
void OpenDonationPage(platform::WebOpener& web);
void OpenDownloadPage(platform::WebOpener& web);

} // namespace modHelp
