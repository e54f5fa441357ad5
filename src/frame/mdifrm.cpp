#include "frame/mdifrm.h"

#include "frame/MdiChildForm.h"
#include "links/modHelp.h"
#include "platform/LinkLabel.h"
#include "platform/Twips.h"
#include "shell/Program.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

using platform::FontSpec;
using platform::TwipsRect;

namespace {

namespace design {
constexpr int ClientWidth = 11880;
constexpr int ClientHeight = 8220;
const QColor Sky(98, 209, 247);
const QColor ButtonFace(192, 192, 192);

// The strips, top to bottom, with their heights in twips.
constexpr int Picture4Height = 480;
constexpr int Picture2Height = 15;
constexpr int Picture1Height = 1560;
constexpr int PicCaptionHeight = 480;

constexpr TwipsRect Label61{2483, 0, 6915, 495};
const QColor Label61Text(128, 0, 0);
constexpr FontSpec Label61Font{"Verdana", 8.25, platform::Bold | platform::Underline};
const QString Label61Caption = QStringLiteral(
    "Join the most popular online Velmor discussion board: answers, articles and friendly people for "
    "everything Velmor. Click here and visit us today!");

constexpr TwipsRect cmdBack{10680, 360, 1100, 255};

// The label grows to the right from its left edge as its text grows.
constexpr TwipsRect lblDisplay{5565, 120, ClientWidth - 5565, 255};
constexpr FontSpec lblDisplayFont{"Verdana", 9, platform::Bold};
} // namespace design

QFrame* makeStrip(QWidget* parent, const char* name, int heightTwips, const QColor& colour)
{
    auto* strip = new QFrame(parent);
    strip->setObjectName(QString::fromLatin1(name));
    strip->setFixedHeight(platform::twipsToPixels(heightTwips));
    platform::setBackground(*strip, colour);
    return strip;
}

} // namespace

mdifrm::mdifrm(Program& program) : QMainWindow(nullptr), Form(program.forms(), *this), program_(program)
{
    setObjectName(QStringLiteral("mdifrm"));
    setWindowTitle(QStringLiteral("Somnara v1.45"));
    setFont(platform::kVerdana825.toFont());
    buildStrips();
    connect(mdiArea, &QMdiArea::subWindowActivated, this, &mdifrm::updateMenus);
    // The frame has no menus of its own; the bar is there for its child's.
    menuBar()->setObjectName(QStringLiteral("menuBar"));
    resize(platform::twipsToPixels(design::ClientWidth),
           platform::twipsToPixels(design::ClientHeight) + menuBar()->sizeHint().height());
}

mdifrm::~mdifrm()
{
    // The area announces its last sub-window's departure while this window's base
    // classes take it down; by then there is no menu bar to update.
    disconnect(mdiArea, nullptr, this, nullptr);
}

void mdifrm::buildStrips()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(client);

    Picture4 = makeStrip(client, "Picture4", design::Picture4Height, design::Sky);
    Label61 = new platform::LinkLabel(design::Label61Caption, Picture4);
    Label61->setObjectName(QStringLiteral("Label61"));
    platform::place(*Label61, design::Label61);
    Label61->setFont(design::Label61Font.toFont());
    Label61->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label61->setWordWrap(true);
    platform::setForeground(*Label61, design::Label61Text);
    connect(Label61, &platform::LinkLabel::clicked, this, &mdifrm::Label61_Click);

    Picture2 = makeStrip(client, "Picture2", design::Picture2Height, palette().color(QPalette::Button));
    Picture2->setFrameShape(QFrame::HLine);

    Picture1 = makeStrip(client, "Picture1", design::Picture1Height, design::Sky);
    cmdBack = new QPushButton(QStringLiteral("&Back"), Picture1);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    platform::place(*cmdBack, design::cmdBack);
    platform::setBackground(*cmdBack, design::ButtonFace);
    cmdBack->setFont(platform::kVerdana825Bold.toFont());
    connect(cmdBack, &QPushButton::clicked, this, &mdifrm::cmdBack_Click);

    PicCaption = makeStrip(client, "PicCaption", design::PicCaptionHeight, design::Sky);
    lblDisplay = new QLabel(QStringLiteral("Display"), PicCaption);
    lblDisplay->setObjectName(QStringLiteral("lblDisplay"));
    platform::place(*lblDisplay, design::lblDisplay);
    lblDisplay->setFont(design::lblDisplayFont.toFont());
    lblDisplay->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    mdiArea = new QMdiArea(client);
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    mdiArea->setBackground(design::Sky);
    // The display windows are designed a pixel or two wider than the frame's client area;
    // scroll bars for that sliver would only get in the way.
    mdiArea->setFrameShape(QFrame::NoFrame);
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    for (QWidget* strip : {static_cast<QWidget*>(Picture4), static_cast<QWidget*>(Picture2),
                           static_cast<QWidget*>(Picture1), static_cast<QWidget*>(PicCaption)})
        layout->addWidget(strip);
    layout->addWidget(mdiArea, 1);
}

void mdifrm::Show()
{
    if (!shownOnce_) {
        shownOnce_ = true;
        platform::centreOnScreen(*this);
    }
    Form::Show();
}

QMdiSubWindow* mdifrm::addChild(MdiChildForm& child)
{
    QMdiSubWindow* sub = mdiArea->addSubWindow(&child, Qt::FramelessWindowHint);
    sub->setObjectName(child.objectName() + QStringLiteral("Window"));
    sub->move(0, 0);
    sub->hide();
    return sub;
}

void mdifrm::removeChild(MdiChildForm& child)
{
    // Take the child's menus off the bar before the child and its actions go.
    for (QAction* action : child.menuBarActions())
        menuBar()->removeAction(action);
}

void mdifrm::activateChild(QMdiSubWindow& subWindow)
{
    mdiArea->setActiveSubWindow(&subWindow);
    updateMenus();
}

void mdifrm::updateMenus()
{
    menuBar()->clear();
    QMdiSubWindow* active = mdiArea->activeSubWindow();
    if (!active) {
        const QList<QMdiSubWindow*> all = mdiArea->subWindowList();
        active = all.isEmpty() ? nullptr : all.first();
    }
    if (!active)
        return;
    if (auto* child = qobject_cast<MdiChildForm*>(active->widget()))
        for (QAction* action : child->menuBarActions())
            menuBar()->addAction(action);
}

void mdifrm::unloadChildren()
{
    for (QMdiSubWindow* sub : mdiArea->subWindowList())
        if (auto* child = qobject_cast<MdiChildForm*>(sub->widget()))
            child->Unload();
}

void mdifrm::Form_Unload(int&)
{
    MDIForm_Unload();
}

void mdifrm::MDIForm_Unload()
{
    program_.form<frmMain>().Show();
}

void mdifrm::cmdBack_Click()
{
    Unload();
}

void mdifrm::Label61_Click()
{
    modHelp::OpenHomeSite(program_.services().web);
}
