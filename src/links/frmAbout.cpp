#include "links/frmAbout.h"

#include "app/ProductVersion.h"
#include "app/Program.h"
#include "links/WebAddresses.h"
#include "links/modHelp.h"
#include "platform/LinkLabel.h"
#include "platform/ProgramImages.h"
#include "platform/Twips.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

using platform::FontSpec;
using platform::TwipsRect;

namespace {

// The window's design: client area, positions in twips, captions, colours and fonts.
namespace design {
constexpr int ClientWidth = 6060;
constexpr int ClientHeight = 3795;

constexpr TwipsRect picIcon{150, 120, 540, 540};
constexpr TwipsRect Label2{960, 270, 2070, 240};
constexpr TwipsRect Label1{85, 720, 5985, 1245};
constexpr TwipsRect lblHomePage{1320, 1800, 4650, 195};
// A rule from (-60, 3270) to (6090, 3270), one pixel high.
constexpr TwipsRect Line2{-60, 3270, 6150, platform::kTwipsPerPixel};
constexpr TwipsRect cmdOK{4680, 3360, 1260, 345};

constexpr FontSpec WindowFont = platform::kVerdana825;
constexpr FontSpec TitleFont{"Verdana", 9.75, platform::Bold};

const QColor Background(0, 0, 0);
const QColor Text(224, 224, 224);
const QColor Link(0, 255, 255);
const QColor ButtonFace(192, 192, 192);

const QString Title = ProductNameAndVersion;
const QString Description = QStringLiteral(
    "Somnara is self-hypnosis software which helps you to relax and free your mind from all sorts of "
    "stress and strains. It is a simple and an easy-to-use self help software and is considered to be one "
    "of the most traditional, effective and practical ways for relaxing deeply. All rights to this "
    "software are held by Velmor Softwares.");
QString homePageLink()
{
    return QStringLiteral("Click here to visit ") + web_addresses::MainSiteHost;
}
} // namespace design

QLabel* makeText(QWidget* parent, const char* name, const QString& text, const TwipsRect& rect,
                 const QColor& colour, const FontSpec& font)
{
    auto* label = platform::makeControl<QLabel>(parent, name, text, rect, font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    platform::setForeground(*label, colour);
    return label;
}

// A label that sizes itself to its text keeps only its designed top left.
void fitToText(QLabel& label)
{
    label.resize(label.sizeHint());
}

} // namespace

frmAbout::frmAbout(Program& program) : QDialog(nullptr), Form(program.forms(), *this), program_(program)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(design::Title);
    // Fixed dialog frame, without maximise or minimise buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(design::WindowFont.toFont());
    platform::setClientSize(*this, design::ClientWidth, design::ClientHeight);
    platform::setBackground(*this, design::Background);

    picIcon = new QLabel(this);
    picIcon->setTextFormat(Qt::PlainText);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    platform::place(*picIcon, design::picIcon);
    picIcon->setPixmap(platform::programIcon(32));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label2 = makeText(this, "Label2", design::Title, design::Label2, design::Text, design::TitleFont);
    fitToText(*Label2);

    Label1 = makeText(this, "Label1", design::Description, design::Label1, design::Text, design::WindowFont);
    Label1->setWordWrap(true);

    lblHomePage = new platform::LinkLabel(design::homePageLink(), this);
    lblHomePage->setObjectName(QStringLiteral("lblHomePage"));
    platform::place(*lblHomePage, design::lblHomePage);
    platform::setForeground(*lblHomePage, design::Link);
    fitToText(*lblHomePage);
    connect(lblHomePage, &platform::LinkLabel::clicked, this, &frmAbout::lblHomePage_Click);

    Line2 = new QFrame(this);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setFrameShape(QFrame::HLine);
    Line2->setFrameShadow(QFrame::Plain);
    platform::place(*Line2, design::Line2);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    platform::place(*cmdOK, design::cmdOK);
    platform::setBackground(*cmdOK, design::ButtonFace);
    // Enter presses it as the default button; Esc reaches it through reject().
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    // OK is first in the tab order and has the focus when the box opens.
    setTabOrder(cmdOK, lblHomePage);
    cmdOK->setFocus();
    platform::centreOnScreen(*this);
}

frmAbout::~frmAbout() = default;

void frmAbout::cmdOK_Click()
{
    Unload();
}

void frmAbout::lblHomePage_Click()
{
    modHelp::OpenHomeSite(program_.services().web);
}

void frmAbout::reject()
{
    // Esc is the cancel key of the OK button.
    cmdOK_Click();
}
