#include "links/modHelp.h"

#include "links/WebAddresses.h"
#include "platform/Services.h"

namespace modHelp {

void OpenWebAddress(platform::WebOpener& web, const QString& address)
{
    web.open(address);
}

void OpenOnlineHelp(platform::WebOpener& web)
{
    OpenWebAddress(web, web_addresses::OnlineHelp);
}

void OpenHomeSite(platform::WebOpener& web)
{
    OpenWebAddress(web, web_addresses::HomeSite);
}

void OpenSoftwareCatalog(platform::WebOpener& web)
{
    OpenWebAddress(web, web_addresses::SoftwareCatalog);
}

void OpenDonationPage(platform::WebOpener& web)
{
    OpenWebAddress(web, web_addresses::DonationPage);
}

void OpenDownloadPage(platform::WebOpener& web)
{
    OpenWebAddress(web, web_addresses::DownloadPage);
}

} // namespace modHelp
