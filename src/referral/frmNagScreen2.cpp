#include "referral/frmNagScreen2.h"

#include "app/ProductVersion.h"
#include "app/Program.h"
#include "links/WebAddresses.h"
#include "links/modHelp.h"
#include "platform/LinkLabel.h"
#include "platform/ProgramImages.h"
#include "platform/Twips.h"
#include "referral/modTellAFriend.h"

#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>

using platform::FontSpec;
using platform::TwipsRect;
namespace placeholders = modTellAFriend::placeholders;

namespace {

// The window's design: client area, positions in twips (inside their frame for the
// frames' controls), captions, colours and fonts.
namespace design {
constexpr int ClientWidth = 11115;
constexpr int ClientHeight = 4725;

constexpr TwipsRect Frame6{7320, 120, 3735, 4575};
constexpr TwipsRect lblGoToHome{75, 4250, 3585, 210};
constexpr TwipsRect lblAdvertisement{120, 360, 3495, 3855};
constexpr TwipsRect Frame2{120, 3240, 7065, 1455};
// Below the frame's lower edge: never seen, yet reachable with Tab.
constexpr TwipsRect txtMessage{4800, 3600, 1815, 495};
constexpr TwipsRect txtFriendName{85, 720, 3375, 285};
constexpr TwipsRect txtFriendEmail{3600, 720, 3375, 285};
constexpr TwipsRect txtEmail{3600, 360, 3375, 285};
constexpr TwipsRect cmdSubmit{1920, 1080, 3375, 285};
constexpr TwipsRect txtName{85, 360, 3375, 285};
constexpr TwipsRect cmdClose{6000, 2760, 1245, 375};
constexpr TwipsRect Check1{30, 2040, 7185, 555};
constexpr TwipsRect Picture1{360, 120, 540, 540};
constexpr TwipsRect Label2{120, 840, 6975, 1095};
constexpr TwipsRect Label1{1080, 240, 3045, 435};

constexpr FontSpec WindowFont = platform::kSansSerif825;
constexpr FontSpec FrameFont{"Verdana", 9.75, platform::Bold};
constexpr FontSpec LinkFont{"Verdana", 9, platform::Bold | platform::Underline};
constexpr FontSpec AdvertisementFont{"Verdana", 9, platform::Regular};
constexpr FontSpec SubmitFont = platform::kVerdana825Bold;
constexpr FontSpec Check1Font{"Verdana", 14.25, platform::Regular};
constexpr FontSpec SupportFont{"Verdana", 9.75, platform::Bold};
constexpr FontSpec TitleFont{"MS Sans Serif", 18, platform::Regular};

const QColor Background(255, 255, 255);
const QColor FrameBack(0, 0, 128);
const QColor FrameCaption(255, 255, 255);
const QColor LinkText(255, 255, 0);
const QColor AdvertisementText(255, 255, 255);
const QColor Check1Text(0, 0, 192);

const QString Title = ProductNameAndVersion;
const QString Frame6Caption = QStringLiteral("Download Velmor Softwares");
const QString Frame2Caption = QStringLiteral("Refer A Friend");
const QString GoToHome = QStringLiteral("Click Here To Visit Velmor Softwares");
const QString Advertisement = QStringLiteral(
    "If you liked this program, try the other Velmor Softwares. They cover a large range of esoteric "
    "subjects, and every one of them is simple, easy to use and informative.\n\nShare your experience "
    "with your friends and family and let them discover them too.");
const QString MessageText = QStringLiteral("Your Message\r\n");

QString check1Caption()
{
    return QStringLiteral("Click Here To Visit ") + web_addresses::MainSiteHost + QStringLiteral(" Now");
}

// The four support texts, one of which is drawn at each load.
std::array<QString, 4> supportTexts()
{
    const QString& site = web_addresses::MainSiteHost;
    return {
        QStringLiteral("Velmor Softwares can only be created and maintained with your support, and the best "
                       "support is to visit our discussion board at ") +
            site + QStringLiteral(" regularly and take part in its discussions and other activities."),
        QStringLiteral("Please visit ") + site +
            QStringLiteral(" regularly and support it by taking part in its discussions and other "
                           "activities. Without your support these programs cannot be supported and maintained."),
        site + QStringLiteral(" is a free online discussion forum on the subjects of our programs. Visiting it "
                              "regularly helps us develop and maintain this program."),
        site + QStringLiteral(" needs your help: visiting it regularly and taking part in its discussions and "
                              "activities helps us maintain it and develop more Velmor Softwares."),
    };
}
} // namespace design

const QString kNoSpaces = QStringLiteral("Email Address Cannot Contain Space");
constexpr int kSpace = 32;

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& caption, const TwipsRect& rect)
{
    auto* frame = platform::makeControl<QGroupBox>(parent, name, caption, rect, design::FrameFont);
    // Only the frame's own roles: the boxes and the button inside keep their usual colours.
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, design::FrameBack);
    palette.setColor(QPalette::WindowText, design::FrameCaption);
    frame->setPalette(palette);
    frame->setAutoFillBackground(true);
    return frame;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const TwipsRect& rect,
                  const FontSpec& font)
{
    auto* label = platform::makeControl<QLabel>(parent, name, text, rect, font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLineEdit* makeBox(QWidget* parent, const char* name, const QString& text, const TwipsRect& rect, int maxLength)
{
    auto* box = platform::makeControl<QLineEdit>(parent, name, text, rect, design::WindowFont);
    box->setMaxLength(maxLength);
    // A screen reader names a box by what it asks for, not by whatever it holds now.
    box->setAccessibleName(text);
    return box;
}

} // namespace

frmNagScreen2::frmNagScreen2(Program& program)
    : QWidget(nullptr), Form(program.forms(), *this), program_(program)
{
    setObjectName(QStringLiteral("frmNagScreen2"));
    setWindowTitle(design::Title);
    // Fixed single border without maximise or minimise; above every ordinary window,
    // and shown without taking the focus from whatever the user is doing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(design::WindowFont.toFont());
    platform::setClientSize(*this, design::ClientWidth, design::ClientHeight);
    platform::setBackground(*this, design::Background);
    buildControls();
    platform::centreOnScreen(*this);
}

frmNagScreen2::~frmNagScreen2()
{
    // Destroying the controls moves the focus; this window must no longer hear of it.
    disconnect(focusWatch_);
}

void frmNagScreen2::buildControls()
{
    Frame6 = makeFrame(this, "Frame6", design::Frame6Caption, design::Frame6);

    lblGoToHome = new platform::LinkLabel(design::GoToHome, Frame6);
    lblGoToHome->setObjectName(QStringLiteral("lblGoToHome"));
    platform::place(*lblGoToHome, design::lblGoToHome);
    lblGoToHome->setFont(design::LinkFont.toFont());
    platform::setForeground(*lblGoToHome, design::LinkText);
    lblGoToHome->resize(lblGoToHome->sizeHint());
    connect(lblGoToHome, &platform::LinkLabel::clicked, this, &frmNagScreen2::lblGoToHome_Click);

    lblAdvertisement = makeLabel(Frame6, "lblAdvertisement", design::Advertisement, design::lblAdvertisement,
                                 design::AdvertisementFont);
    lblAdvertisement->setWordWrap(true);
    platform::setForeground(*lblAdvertisement, design::AdvertisementText);

    Frame2 = makeFrame(this, "Frame2", design::Frame2Caption, design::Frame2);

    txtMessage = new QPlainTextEdit(Frame2);
    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    txtMessage->setAccessibleName(placeholders::Message);
    platform::place(*txtMessage, design::txtMessage);
    txtMessage->setFont(design::WindowFont.toFont());
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on, as in every other box of the window.
    txtMessage->setTabChangesFocus(true);
    setMessageText(design::MessageText);

    connect(txtMessage->document(), &QTextDocument::contentsChange, this, &frmNagScreen2::keepMessageWithinLimit);

    namespace limits = modTellAFriend::limits;
    txtFriendName =
        makeBox(Frame2, "txtFriendName", placeholders::FriendName, design::txtFriendName, limits::Name);
    txtFriendEmail =
        makeBox(Frame2, "txtFriendEmail", placeholders::FriendEmail, design::txtFriendEmail, limits::Email);
    txtEmail = makeBox(Frame2, "txtEmail", placeholders::Email, design::txtEmail, limits::Email);
    cmdSubmit = platform::makeControl<QPushButton>(Frame2, "cmdSubmit", QStringLiteral("Refer A Friend &Now"),
                                                   design::cmdSubmit, design::SubmitFont);
    connect(cmdSubmit, &QPushButton::clicked, this, &frmNagScreen2::cmdSubmit_Click);
    txtName = makeBox(Frame2, "txtName", placeholders::Name, design::txtName, limits::Name);

    cmdClose = platform::makeControl<QPushButton>(this, "cmdClose", QStringLiteral("E&xit"), design::cmdClose,
                                                  design::WindowFont);
    connect(cmdClose, &QPushButton::clicked, this, &frmNagScreen2::cmdClose_Click);

    // A check box drawn as a button that stays pressed while checked.
    Check1 = platform::makeControl<QPushButton>(this, "Check1", design::check1Caption(), design::Check1,
                                                design::Check1Font);
    Check1->setCheckable(true);
    Check1->setCursor(platform::linkCursor());
    platform::setForeground(*Check1, design::Check1Text);
    connect(Check1, &QPushButton::clicked, this, &frmNagScreen2::Check1_Click);

    Picture1 = makeLabel(this, "Picture1", QString(), design::Picture1, design::WindowFont);
    Picture1->setPixmap(platform::programIcon(32));
    Picture1->setFocusPolicy(Qt::StrongFocus);

    Label2 = makeLabel(this, "Label2", design::supportTexts()[1], design::Label2, design::SupportFont);
    Label2->setWordWrap(true);

    Label1 = makeLabel(this, "Label1", design::Title, design::Label1, design::TitleFont);
    Label1->resize(Label1->sizeHint());

    txtEmail->installEventFilter(this);
    txtFriendEmail->installEventFilter(this);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &frmNagScreen2::focusMoved);

    // The designed tab order; the friend's e-mail comes before the friend's name. The
    // catalogue link comes last, so that keyboard users reach it too.
    QWidget* const order[] = {cmdClose, Check1,         Picture1,      txtName,    cmdSubmit,
                              txtEmail, txtFriendEmail, txtFriendName, txtMessage, lblGoToHome};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    cmdClose->setFocus();
}

void frmNagScreen2::Form_Load()
{
    platform::RandomSource& random = program_.services().random;
    random.randomize();
    const float r = random.next();
    const int k = std::clamp(static_cast<int>(r * 4.0f), 0, 3);
    Label2->setText(design::supportTexts()[static_cast<std::size_t>(k)]);
    Show();
}

void frmNagScreen2::Form_Unload(int&)
{
    program_.UnloadAllForms();
}

void frmNagScreen2::cmdClose_Click()
{
    program_.UnloadAllForms();
}

void frmNagScreen2::cmdSubmit_Click()
{
    modTellAFriend::Strings& strings = program_.tellAFriend;
    strings.ReferrerName = modTellAFriend::TrimSpaces(txtName->text());
    strings.ReferrerEmail = modTellAFriend::TrimSpaces(txtEmail->text());
    strings.ReferralMessage = modTellAFriend::TrimSpaces(messageText());
    strings.FriendName = modTellAFriend::TrimSpaces(txtFriendName->text());
    strings.FriendEmail = modTellAFriend::TrimSpaces(txtFriendEmail->text());
    if (const auto problem = modTellAFriend::AddressProblem(strings.ReferrerEmail, strings.FriendEmail)) {
        program_.services().messages.show(*problem, platform::MsgIcon::Critical, platform::MsgButtons::OK);
        return;
    }
    modTellAFriend::SubmitReferral(program_);
}

void frmNagScreen2::Check1_Click()
{
    if (!Check1->isChecked())
        return;
    Check1->setChecked(false);
    modHelp::OpenHomeSite(program_.services().web);
}

void frmNagScreen2::lblGoToHome_Click()
{
    modHelp::OpenSoftwareCatalog(program_.services().web);
}

void frmNagScreen2::txtEmail_KeyPress(int& KeyAscii)
{
    refuseSpace(*txtEmail, KeyAscii);
}

void frmNagScreen2::txtFriendEmail_KeyPress(int& KeyAscii)
{
    refuseSpace(*txtFriendEmail, KeyAscii);
}

void frmNagScreen2::refuseSpace(QWidget& box, int& KeyAscii)
{
    if (KeyAscii != kSpace)
        return;
    program_.services().messages.show(kNoSpaces, platform::MsgIcon::Critical, platform::MsgButtons::OK);
    KeyAscii = 0;
    box.setFocus(Qt::OtherFocusReason);
}

QString frmNagScreen2::messageText() const
{
    QString text = txtMessage->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void frmNagScreen2::setMessageText(const QString& text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtMessage->setPlainText(plain);
}

void frmNagScreen2::keepMessageWithinLimit(int position, int, int added)
{
    const QString text = txtMessage->toPlainText();
    const qsizetype excess = text.size() - modTellAFriend::limits::Message;
    if (excess <= 0 || added <= 0)
        return;
    // As a one-line box does with its length: what went in last is kept up to the limit.
    // A whole new text is reported one character past its end.
    const qsizetype end = std::min<qsizetype>(position + added, text.size());
    qsizetype cut = std::max<qsizetype>(position, end - excess);
    // A character outside the basic plane goes whole, never half of it.
    if (cut > 0 && text.at(cut - 1).isHighSurrogate())
        --cut;
    QTextCursor excessText(txtMessage->document());
    excessText.setPosition(static_cast<int>(cut));
    excessText.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    excessText.removeSelectedText();
}

QString frmNagScreen2::boxText(const QObject* box) const
{
    if (box == txtMessage)
        return messageText();
    return static_cast<const QLineEdit*>(box)->text();
}

void frmNagScreen2::setBoxText(QObject* box, const QString& text)
{
    if (box == txtMessage)
        setMessageText(text);
    else
        static_cast<QLineEdit*>(box)->setText(text);
}

const QString* frmNagScreen2::placeholderOf(const QWidget* box) const
{
    if (box == txtName)
        return &placeholders::Name;
    if (box == txtEmail)
        return &placeholders::Email;
    if (box == txtMessage)
        return &placeholders::Message;
    if (box == txtFriendName)
        return &placeholders::FriendName;
    if (box == txtFriendEmail)
        return &placeholders::FriendEmail;
    return nullptr;
}

void frmNagScreen2::focusMoved(QWidget*, QWidget* now)
{
    // Only a move between this window's controls counts. The focus leaving for another
    // window (a message box, another program) and coming back to the same control
    // leaves the boxes as they are.
    if (!now || now->window() != this || now == focused_)
        return;
    if (const QString* placeholder = placeholderOf(focused_)) {
        const QString text = boxText(focused_);
        if (const QString left = modTellAFriend::TextOnLostFocus(text, *placeholder); left != text)
            setBoxText(focused_, left);
    }
    focused_ = now;
    if (const QString* placeholder = placeholderOf(now)) {
        const QString text = boxText(now);
        if (const QString entered = modTellAFriend::TextOnGotFocus(text, *placeholder); entered != text)
            setBoxText(now, entered);
    }
}

bool frmNagScreen2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1) {
            int KeyAscii = typed.at(0).unicode();
            if (watched == txtEmail)
                txtEmail_KeyPress(KeyAscii);
            else
                txtFriendEmail_KeyPress(KeyAscii);
            if (KeyAscii == 0)
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
