// The web-page commands: the address each one opens, the place of every menu entry and
// label that runs one, and the hand-over to the desktop.

#include "Controls.h"
#include "FakeServices.h"
#include "app/Program.h"
#include "frame/mdifrm.h"
#include "links/WebAddresses.h"
#include "links/frmAbout.h"
#include "links/modHelp.h"
#include "movie/frmBoxPendulam.h"
#include "platform/LinkLabel.h"
#include "platform/QtServices.h"
#include "shell/StartUp.h"
#include "shell/frmMain.h"
#include "wheel/frmHypno.h"

#include <QAction>
#include <QDesktopServices>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(WebAddresses, EachPageHasItsDesignedHostAndPath)
{
    const QUrl main(web_addresses::MainSite);
    const QUrl help(web_addresses::HelpSite);
    // Reserved names only, so that no real third party is ever sent anything.
    EXPECT_TRUE(main.host().endsWith(QStringLiteral(".example")));
    EXPECT_TRUE(help.host().endsWith(QStringLiteral(".example")));
    EXPECT_NE(main.host(), help.host());
    EXPECT_EQ(main.host(), web_addresses::MainSiteHost);

    struct Page {
        const QString& address;
        const QUrl& site;
        const char* path;
    };
    const Page pages[] = {
        {web_addresses::OnlineHelp, main, "/somnara-software/somnara-help.html"},
        {web_addresses::SoftwareCatalog, main, "/velmorsoftwares"},
        {web_addresses::DonationPage, help, "/donate.html"},
        {web_addresses::DownloadPage, main, "/somnara-software/download-somnara.html"},
        {web_addresses::ReferAFriendPage, main, "/qxvs-refer-a-friend.php"},
        {web_addresses::ProductPage, main, "/somnara-software/"},
    };
    for (const Page& page : pages) {
        const QUrl url(page.address);
        EXPECT_EQ(url.scheme(), QStringLiteral("https")) << qPrintable(page.address);
        EXPECT_EQ(url.host(), page.site.host()) << qPrintable(page.address);
        EXPECT_EQ(url.path(), QString::fromLatin1(page.path)) << qPrintable(page.address);
        EXPECT_EQ(page.address, QStringLiteral("https://") + page.site.host() + QString::fromLatin1(page.path));
    }
    // The home page is the bare host: no path, not even a slash.
    EXPECT_EQ(web_addresses::HomeSite, QStringLiteral("https://") + web_addresses::MainSiteHost);
}

TEST(OpenWebAddress, HandsOverExactlyWhatItIsGivenEachTime)
{
    fakes::WebOpener web;
    const QString odd = QStringLiteral("https://x.example/a b?c=%ZZ&d=\r\n");
    modHelp::OpenWebAddress(web, odd);
    modHelp::OpenWebAddress(web, odd);
    EXPECT_EQ(web.opened, (QStringList{odd, odd}));
}

// Receives what QDesktopServices hands to the https handler.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

TEST(QtWebOpener, DesktopReceivesTheAddressWithItsEncodingIntact)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    platform::QtWebOpener opener;
    const QString request = web_addresses::ReferAFriendPage +
                            QStringLiteral("?taf1=A%26B%2B%3D%23&taf2=a%40b.example&taf3=Hi%0D%0A%C3%A9&taf6=") +
                            web_addresses::ProductPage;
    opener.open(web_addresses::HomeSite);
    opener.open(request);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(QString::fromLatin1(catcher.urls[0].toEncoded()), web_addresses::HomeSite);
    EXPECT_EQ(QString::fromLatin1(catcher.urls[1].toEncoded()), request);
}

// ---- Every place that opens a page ----

class LinkPlaces : public ::testing::Test {
protected:
    LinkPlaces() { InstallShell(program); }

    // Runs the entry and returns what it opened.
    QStringList opens(const std::function<void()>& entry)
    {
        fakes.web.opened.clear();
        entry();
        return fakes.web.opened;
    }
    static void click(QWidget* label) { QTest::mouseClick(label, Qt::LeftButton); }

    fakes::Services fakes;
    Program program{fakes.services()};
};

TEST_F(LinkPlaces, ChooserMenusAndBanner)
{
    frmMain& chooser = program.form<frmMain>();
    const QStringList help{web_addresses::OnlineHelp};
    const QStringList home{web_addresses::HomeSite};
    EXPECT_EQ(control<QAction>(chooser, "mnuHelpCheckUpdate")->text(), QStringLiteral("&Check For Software Update"));
    EXPECT_EQ(opens([&] { control<QAction>(chooser, "mnuHelpOnlineHelp")->trigger(); }), help);
    EXPECT_EQ(opens([&] { control<QAction>(chooser, "mnuHelpVisitUsOnline")->trigger(); }), home);
    EXPECT_EQ(opens([&] { control<QAction>(chooser, "mnuHelpCheckUpdate")->trigger(); }), QStringList{web_addresses::DownloadPage});
    EXPECT_EQ(opens([&] { control<QAction>(chooser, "mnuDonate")->trigger(); }), QStringList{web_addresses::DonationPage});
    EXPECT_EQ(opens([&] { click(control<platform::LinkLabel>(chooser, "Label61")); }), home);
    // Again: nothing is remembered, the page opens once more.
    EXPECT_EQ(opens([&] { click(control<platform::LinkLabel>(chooser, "Label61")); }), home);
}

TEST_F(LinkPlaces, BothDisplayWindowsMenusAndTheFrameBanner)
{
    for (MdiChildForm* child : {static_cast<MdiChildForm*>(&program.form<frmHypno>()),
                                static_cast<MdiChildForm*>(&program.form<frmBoxPendulam>())}) {
        SCOPED_TRACE(child->objectName().toStdString());
        EXPECT_EQ(control<QAction>(*child, "mnuUpdate")->text(), QStringLiteral("&Check for Software Update"));
        EXPECT_EQ(opens([&] { control<QAction>(*child, "mnuOnline")->trigger(); }), QStringList{web_addresses::OnlineHelp});
        EXPECT_EQ(opens([&] { control<QAction>(*child, "mnuVisit")->trigger(); }), QStringList{web_addresses::HomeSite});
        EXPECT_EQ(opens([&] { control<QAction>(*child, "mnuUpdate")->trigger(); }), QStringList{web_addresses::DownloadPage});
        EXPECT_EQ(opens([&] { control<QAction>(*child, "mnuDonate")->trigger(); }), QStringList{web_addresses::DonationPage});
    }
    mdifrm& frame = program.form<mdifrm>();
    EXPECT_EQ(opens([&] { click(control<platform::LinkLabel>(frame, "Label61")); }), QStringList{web_addresses::HomeSite});
}

TEST_F(LinkPlaces, AboutBoxLinkOpensTheHomePageAndKeepsTheBoxOpen)
{
    frmAbout& about = program.form<frmAbout>();
    about.show();
    EXPECT_EQ(opens([&] { click(control<platform::LinkLabel>(about, "lblHomePage")); }), QStringList{web_addresses::HomeSite});
    EXPECT_TRUE(program.forms().isLoaded(about));
    EXPECT_TRUE(about.isVisible());
    about.Unload();
}

} // namespace

#include "WebLinksTest.moc"
