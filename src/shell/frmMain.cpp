#include "shell/frmMain.h"

#include "app/ProductVersion.h"
#include "app/Program.h"
#include "app/ProgramFiles.h"
#include "frame/mdifrm.h"
#include "links/HelpMenu.h"
#include "links/WebAddresses.h"
#include "links/modHelp.h"
#include "movie/frmBoxPendulam.h"
#include "platform/LinkLabel.h"
#include "platform/Twips.h"
#include "referral/frmNagScreen2.h"
#include "shell/UpdateReminder.h"
#include "wheel/frmHypno.h"

#include <QAction>
#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

using platform::FontSpec;
using platform::TwipsRect;

namespace {

// The window's design: client area, positions in twips, captions, colours and fonts.
namespace design {
constexpr int ClientWidth = 5565;
constexpr int ClientHeight = 4470;

constexpr TwipsRect txtInputText{1440, 2640, 2775, 285};
constexpr TwipsRect cmdNext{20, 3000, 5535, 375};
constexpr TwipsRect Frame2{20, -40, 5535, 735};
constexpr TwipsRect Label61{120, 90, 5355, 705};
constexpr TwipsRect Frame1{20, 1560, 5535, 615};
constexpr TwipsRect lblCaption{120, 2160, 5355, 435};
constexpr TwipsRect Label1{120, 720, 5415, 855};

struct Option {
    int index;
    TwipsRect rect;
    const char* caption;
};
// Left to right on screen; the index, not the position, names the method.
constexpr Option Options[] = {
    {2, {120, 240, 1335, 255}, "Pendulum"},
    {1, {2040, 240, 1335, 255}, "Color Box"},
    {0, {3840, 240, 1575, 255}, "Color Wheel"},
};

constexpr FontSpec WindowFont = platform::kVerdana825;
constexpr FontSpec BoldFont = platform::kVerdana825Bold;
constexpr FontSpec LinkFont{"Verdana", 8.25, platform::Underline};

const QColor Black(0, 0, 0);
const QColor InputBack(224, 224, 224);
const QColor ButtonFace(192, 192, 192);
const QColor LinkText(0, 255, 255);
const QColor FrameCaption(128, 255, 128);
const QColor OptionText(255, 0, 255);
const QColor CaptionText(255, 255, 0);
const QColor IntroText(255, 128, 0);

const QString Title = ProductNameAndVersion;
const QString Frame1Caption = QStringLiteral("Pick one of the following hypnosis method");
const QString CaptionLabel =
    QStringLiteral("Input Your text And Concentrate on one of the hypnosis method chosen by you");
const QString Intro = QStringLiteral(
    "Self-hypnosis can trap everyone and anyone with its miraculous powers. Somnara helps you in your "
    "quest to attain deep relaxation. Using the software you can enjoy the state of hypnosis as long as "
    "you want.");
QString banner()
{
    return QStringLiteral("The Most Popular Online Velmor Discussion Board. Best Resource For Everything "
                          "Velmor. Visit ") +
           web_addresses::MainSiteHost + QStringLiteral(" Now");
}

using help_menu::Command;
constexpr help_menu::Entry HelpEntries[] = {
    {Command::OnlineHelp, "mnuHelpOnlineHelp", "&Online Help"},
    {Command::VisitUsOnline, "mnuHelpVisitUsOnline", "&Visit Us Online"},
    {Command::Separator, "mnustep1", nullptr},
    {Command::CheckForUpdate, "mnuHelpCheckUpdate", "&Check For Software Update"},
    {Command::Separator, "mnuHelpStep2", nullptr},
    {Command::AboutSoftware, "mnuHelpAboutSoftware", "&About Software"},
};
} // namespace design

const QString kNoMethodChosen = QStringLiteral("Please Select any of the following hypnosis method");
const QString kFileMissing =
    QStringLiteral("Required File To Run The Software is Missing") + QChar(13) +
    QStringLiteral("Please Reinstall the Software");

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const TwipsRect& rect,
                  const QColor& colour, const FontSpec& font)
{
    auto* label = platform::makeControl<QLabel>(parent, name, text, rect, font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    platform::setForeground(*label, colour);
    return label;
}

} // namespace

frmMain::frmMain(Program& program) : QMainWindow(nullptr), Form(program.forms(), *this), program_(program)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(design::Title);
    setFont(design::WindowFont.toFont());
    buildControls();
    buildMenus();
    // Fixed dialog border: the client area keeps its designed size below the menu bar.
    setFixedSize(platform::twipsToPixels(design::ClientWidth),
                 platform::twipsToPixels(design::ClientHeight) + menuBar()->sizeHint().height());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
}

frmMain::~frmMain() = default;

void frmMain::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    platform::setBackground(*client, design::Black);
    setCentralWidget(client);

    txtInputText = new QLineEdit(client);
    txtInputText->setObjectName(QStringLiteral("txtInputText"));
    platform::place(*txtInputText, design::txtInputText);
    txtInputText->setMaxLength(55);
    txtInputText->setAlignment(Qt::AlignHCenter);
    txtInputText->setFont(design::BoldFont.toFont());
    txtInputText->setFrame(false);
    {
        QPalette palette = txtInputText->palette();
        palette.setColor(QPalette::Base, design::InputBack);
        palette.setColor(QPalette::Text, Qt::black);
        txtInputText->setPalette(palette);
    }
    txtInputText->setAccessibleName(QStringLiteral("Your text"));

    cmdNext = new QPushButton(QStringLiteral("&Proceed"), client);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    platform::place(*cmdNext, design::cmdNext);
    platform::setBackground(*cmdNext, design::ButtonFace);
    cmdNext->setAutoDefault(true);
    connect(cmdNext, &QPushButton::clicked, this, &frmMain::cmdNext_Click);

    Frame2 = new QFrame(client);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    platform::place(*Frame2, design::Frame2);
    platform::setBackground(*Frame2, design::Black);

    Label61 = new platform::LinkLabel(design::banner(), Frame2);
    Label61->setObjectName(QStringLiteral("Label61"));
    platform::place(*Label61, design::Label61);
    Label61->setFont(design::LinkFont.toFont());
    Label61->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label61->setWordWrap(true);
    platform::setForeground(*Label61, design::LinkText);
    connect(Label61, &platform::LinkLabel::clicked, this, &frmMain::Label61_Click);

    Frame1 = new QGroupBox(design::Frame1Caption, client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    platform::place(*Frame1, design::Frame1);
    platform::setBackground(*Frame1, design::Black);
    platform::setForeground(*Frame1, design::FrameCaption);

    methodGroup_ = new QButtonGroup(this);
    methodGroup_->setExclusive(true);
    for (const design::Option& option : design::Options) {
        auto* button = new QRadioButton(QString::fromLatin1(option.caption), Frame1);
        button->setObjectName(QStringLiteral("OptHypno(%1)").arg(option.index));
        platform::place(*button, option.rect);
        button->setFont(design::BoldFont.toFont());
        platform::setForeground(*button, design::OptionText);
        methodGroup_->addButton(button, option.index);
        OptHypno[static_cast<std::size_t>(option.index)] = button;
    }

    lblCaption = makeLabel(client, "lblCaption", design::CaptionLabel, design::lblCaption, design::CaptionText,
                           design::WindowFont);
    Label1 = makeLabel(client, "Label1", design::Intro, design::Label1, design::IntroText, design::WindowFont);

    // Tab order of the controls that take the focus, as designed: the options left to
    // right, the link, the button, then the text box.
    setTabOrder(OptHypno[2], OptHypno[1]);
    setTabOrder(OptHypno[1], OptHypno[0]);
    setTabOrder(OptHypno[0], Label61);
    setTabOrder(Label61, cmdNext);
    setTabOrder(cmdNext, txtInputText);
}

void frmMain::buildMenus()
{
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileNext = mnuFile->addAction(QStringLiteral("&Proceed"), this, &frmMain::mnuFileNext_Click);
    mnuFileNext->setObjectName(QStringLiteral("mnuFileNext"));
    mnuFileExit = mnuFile->addAction(QStringLiteral("E&xit"), this, &frmMain::mnuFileExit_Click);
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));

    const help_menu::Menus shared = help_menu::build(*this, program_, design::HelpEntries);
    menuBar()->addMenu(shared.help);
    menuBar()->addAction(shared.donate);
}

void frmMain::Form_Load()
{
    platform::centreOnScreen(*this);
    UpdateReminder(program_);
    checkRequiredFiles();
}

void frmMain::checkRequiredFiles()
{
    const platform::FileSystem& files = program_.services().files;
    bool allPresent = true;
    // All three are looked up, in this order, even after one is found missing.
    for (const QString& name : {movie_files::BoxDownward, movie_files::BoxUpward, movie_files::Pendulum})
        allPresent = files.isReadableFile(program_.programFile(name)) && allPresent;
    if (allPresent)
        return;
    program_.services().messages.show(kFileMissing, platform::MsgIcon::Information, platform::MsgButtons::OK);
    program_.UnloadAllForms();
}

void frmMain::Form_Unload(int&)
{
    // Leaving the chooser leads out through the refer-a-friend window.
    program_.form<frmNagScreen2>().Show();
}

void frmMain::cmdNext_Click()
{
    const int method = methodGroup_->checkedId();
    if (method < 0) {
        program_.services().messages.show(kNoMethodChosen, platform::MsgIcon::Critical, platform::MsgButtons::OK);
        return;
    }
    switch (method) {
    case 0: { // Color Wheel
        program_.form<mdifrm>().hideTextStrip();
        frmHypno& wheel = program_.form<frmHypno>();
        wheel.Show();
        wheel.setLeft(0);
        wheel.setTop(0);
        break;
    }
    case 1: { // Color Box
        frmBoxPendulam& box = program_.form<frmBoxPendulam>();
        box.setMovie(program_.programFile(movie_files::BoxUpward));
        program_.form<mdifrm>().hideSettingsPanel();
        box.Show();
        box.setLeft(0);
        box.setTop(0);
        program_.BoxDirectionUp = VbTrue;
        break;
    }
    default: { // Pendulum
        frmBoxPendulam& pendulum = program_.form<frmBoxPendulam>();
        pendulum.setBackgroundColor(QColor(0, 0, 0));
        pendulum.setMovie(program_.programFile(movie_files::Pendulum));
        pendulum.hideDirectionChange();
        program_.form<mdifrm>().hideSettingsPanel();
        pendulum.setLeft(0);
        pendulum.setTop(0);
        pendulum.Show();
        break;
    }
    }
    program_.form<mdifrm>().setDisplayText(txtInputText->text());
    Hide();
}

void frmMain::mnuFileNext_Click()
{
    cmdNext_Click();
}

void frmMain::mnuFileExit_Click()
{
    program_.form<frmNagScreen2>().Show();
    Unload();
}

void frmMain::Label61_Click()
{
    modHelp::OpenHomeSite(program_.services().web);
}
