#include "frame/mdifrm.h"

#include "app/ProductVersion.h"
#include "app/Program.h"
#include "frame/DisplayButton.h"
#include "frame/FrameDisplay.h"
#include "frame/GeneralNumber.h"
#include "frame/MdiChildForm.h"
#include "links/modHelp.h"
#include "platform/FormTimer.h"
#include "platform/LinkLabel.h"
#include "platform/Twips.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

using platform::FontSpec;
using platform::TwipsRect;

namespace {

namespace design {
constexpr int ClientWidth = 11880;
constexpr int ClientHeight = 8220;
const QColor Sky(98, 209, 247);

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

// The colour-wheel settings panel, Picture1; positions inside the panel.
const QColor PanelCaptionText(255, 0, 255);
constexpr FontSpec PanelCaptionFont{"Verdana", 9.75, platform::Bold | platform::Underline};
const QColor SliderCaptionText(0, 0, 255);
constexpr FontSpec SliderCaptionFont{"Verdana", 8.25, platform::Underline};
const QColor ValueText(128, 0, 0);
const QColor HintText(192, 0, 0);
constexpr FontSpec HintFont{"Verdana", 9, platform::Bold};

struct Caption {
    const char* name;
    TwipsRect rect; // zero size: as large as the text
    const char* text;
};
constexpr Caption PanelCaption{"lblSettingsCaption", {4800, 0, 2535, 255}, "Color Wheel Settings"};
constexpr Caption SliderCaptions[] = {
    {"lblSizeCaption", {240, 390, 0, 0}, "Size"},
    {"lblWidthCaption", {6000, 390, 0, 0}, "Width"},
    {"lblDensityCaption", {120, 675, 0, 0}, "Density"},
    {"lblColorMultiplierCaption", {5640, 675, 0, 0}, "Color Multiplier"},
};
constexpr Caption Hint{"lblHint", {2040, 1080, 7800, 480},
                       "Look at the center of the Color Wheel with concentration to achive good results"};

struct Slider {
    const char* name;
    // What a screen reader calls it: the caption beside it.
    const char* spokenName;
    TwipsRect rect;
    int min;
    int max;
    int value;
    // The step of a click in the track; the arrows step by 1.
    int trackStep;
};
constexpr Slider ScrollBarSize{"ScrollBarSize", "Size", {840, 360, 2535, 250}, 0, 2200, 100, 10};
constexpr Slider ScrollBarWidth{"ScrollBarWidth", "Width", {7080, 360, 2535, 250}, 1, 50, 1, 1};
constexpr Slider ScrollBarDensity{"ScrollBarDensity", "Density", {840, 645, 2535, 250}, 0, 1000, 800, 10};
constexpr Slider ScrollBarColorMultiplier{"ScrollBarColorMultiplier", "Color Multiplier", {7080, 645, 2535, 250}, 1, 1000, 1, 1};

constexpr Caption lblSize{"lblSize", {3720, 360, 1095, 255}, "Size"};
constexpr Caption lblWidth{"lblWidth", {9720, 360, 855, 255}, "Width"};
constexpr Caption lblDensity{"lblDensity", {3720, 645, 1095, 255}, "Density"};

constexpr TwipsRect cmdBack{10680, 360, 1100, 255};
constexpr TwipsRect cmdChangeDirection{9720, 640, 2055, 315};
const QString cmdChangeDirectionCaption = QStringLiteral("Change Direction");

constexpr int ValueBoxInterval = 100;
// More than a frame of the slowest drawing the frame shows, a movie at 30 frames a second,
// so that every drawing carries the tick.
constexpr int ValueBoxMayComeEarly = 34;

// The label sizes itself to its text, centred in its strip as the designed "Display"
// stands, 120 twips below the strip's top.
constexpr int lblDisplayTop = 120;
constexpr FontSpec lblDisplayFont{"Verdana", 9, platform::Bold};
} // namespace design

QLabel* makeCaption(QWidget* parent, const design::Caption& caption, const FontSpec& font, const QColor& colour)
{
    auto* label = new QLabel(QString::fromLatin1(caption.text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString::fromLatin1(caption.name));
    label->setFont(font.toFont());
    platform::setForeground(*label, colour);
    if (caption.rect.width > 0) {
        platform::place(*label, caption.rect);
    } else {
        label->adjustSize();
        label->move(caption.rect.toPixels().topLeft());
    }
    return label;
}

QScrollBar* makeSlider(QWidget* parent, const design::Slider& slider)
{
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(QString::fromLatin1(slider.name));
    bar->setAccessibleName(QString::fromLatin1(slider.spokenName));
    platform::place(*bar, slider.rect);
    bar->setRange(slider.min, slider.max);
    bar->setValue(slider.value);
    bar->setSingleStep(1);
    bar->setPageStep(slider.trackStep);
    // A dragged thumb changes the value only when it is let go.
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    // Qt's scroll bars invert their keys for the sake of wheel scrolling; a slider's
    // Left arrow key must lower its value.
    bar->setInvertedControls(false);
    return bar;
}

QLabel* makeValueBox(QWidget* parent, const design::Caption& box)
{
    QLabel* label = makeCaption(parent, box, platform::kVerdana825Bold, design::ValueText);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Box);
    label->setLineWidth(1);
    return label;
}


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
    setWindowTitle(ProductNameAndVersion);
    setFont(platform::kVerdana825.toFont());
    buildStrips();
    connect(mdiArea, &QMdiArea::subWindowActivated, this, &mdifrm::updateMenus);
    // The frame has no menus of its own; the bar is there for its child's.
    menuBar()->setObjectName(QStringLiteral("menuBar"));
}

mdifrm::~mdifrm()
{
    // Tearing down a frame still on screen hides its sub-windows, and the area reports
    // each change of the active one; this object is no longer there to hear it.
    mdiArea->disconnect(this);
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
    buildSettingsPanel();

    PicCaption = makeStrip(client, "PicCaption", design::PicCaptionHeight, design::Sky);
    lblDisplay = new QLabel(QStringLiteral("Display"), PicCaption);
    lblDisplay->setObjectName(QStringLiteral("lblDisplay"));
    // The user's text, shown exactly as typed.
    lblDisplay->setTextFormat(Qt::PlainText);
    lblDisplay->setFont(design::lblDisplayFont.toFont());
    lblDisplay->setAlignment(Qt::AlignCenter);
    displayTextColour_ = lblDisplay->palette().color(QPalette::WindowText);
    auto* captionLayout = new QHBoxLayout(PicCaption);
    captionLayout->setContentsMargins(0, platform::twipsToPixels(design::lblDisplayTop), 0, 0);
    captionLayout->addWidget(lblDisplay, 0, Qt::AlignHCenter | Qt::AlignTop);

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

void mdifrm::buildSettingsPanel()
{
    makeCaption(Picture1, design::PanelCaption, design::PanelCaptionFont, design::PanelCaptionText);
    for (const design::Caption& caption : design::SliderCaptions)
        makeCaption(Picture1, caption, design::SliderCaptionFont, design::SliderCaptionText);

    ScrollBarSize = makeSlider(Picture1, design::ScrollBarSize);
    lblSize = makeValueBox(Picture1, design::lblSize);
    ScrollBarWidth = makeSlider(Picture1, design::ScrollBarWidth);
    lblWidth = makeValueBox(Picture1, design::lblWidth);
    cmdBack = makeDisplayButton(Picture1, "cmdBack", QStringLiteral("&Back"), design::cmdBack);
    ScrollBarDensity = makeSlider(Picture1, design::ScrollBarDensity);
    lblDensity = makeValueBox(Picture1, design::lblDensity);
    ScrollBarColorMultiplier = makeSlider(Picture1, design::ScrollBarColorMultiplier);
    cmdChangeDirection =
        makeDisplayButton(Picture1, "cmdChangeDirection", design::cmdChangeDirectionCaption, design::cmdChangeDirection);

    QLabel* hint = makeCaption(Picture1, design::Hint, design::HintFont, design::HintText);
    hint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    hint->setWordWrap(true);

    // Connected after the designed values are set: those are not changes.
    const auto onChange = [this](QScrollBar* bar, void (mdifrm::*handler)()) {
        connect(bar, &QScrollBar::valueChanged, this, [this, handler] { (this->*handler)(); });
    };
    onChange(ScrollBarSize, &mdifrm::ScrollBarSize_Change);
    onChange(ScrollBarDensity, &mdifrm::ScrollBarDensity_Change);
    onChange(ScrollBarWidth, &mdifrm::ScrollBarWidth_Change);
    onChange(ScrollBarColorMultiplier, &mdifrm::ScrollBarColorMultiplier_Change);
    connect(cmdBack, &QPushButton::clicked, this, &mdifrm::cmdBack_Click);
    connect(cmdChangeDirection, &QPushButton::clicked, this, &mdifrm::cmdChangeDirection_Click);

    Timer1 = new platform::FormTimer(this, design::ValueBoxInterval, [this] { Timer1_Timer(); });
    Timer1->setObjectName(QStringLiteral("Timer1"));
    // The value boxes show the settings a little early rather than wake the drawing's
    // thread between its frames.
    Timer1->setMayComeEarly(std::chrono::milliseconds(design::ValueBoxMayComeEarly));
    Timer1->setEnabled(true);
}

void mdifrm::Show()
{
    if (!shownOnce_) {
        shownOnce_ = true;
        // The client area keeps its designed size below the menu bar, which holds the
        // child's menus by now.
        resize(platform::twipsToPixels(design::ClientWidth),
               platform::twipsToPixels(design::ClientHeight) + menuBar()->sizeHint().height());
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
    // The first child's menus stand on the bar before the frame first shows, so that
    // the frame is sized with the bar it will have.
    if (menuBar()->actions().isEmpty())
        for (QAction* action : child.menuBarActions())
            menuBar()->addAction(action);
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

void mdifrm::detach()
{
    Timer1->setEnabled(false);
    Form::detach();
}

void mdifrm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    reportInSight();
}

void mdifrm::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    reportInSight();
}

void mdifrm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        reportInSight();
}

void mdifrm::reportInSight()
{
    program_.screenAwake.setFrameInSight(isVisible() && !isMinimized());
}

void mdifrm::MDIForm_Unload()
{
    // A colour-wheel pass still on the stack ends before its next circle.
    program_.Wheel.StopRequested = true;
    program_.showChooser();
}

FrameDisplay* mdifrm::hostedDisplay() const
{
    for (QMdiSubWindow* sub : mdiArea->subWindowList())
        if (auto* display = dynamic_cast<FrameDisplay*>(sub->widget()))
            return display;
    return nullptr;
}

void mdifrm::clearDisplay()
{
    if (FrameDisplay* display = hostedDisplay())
        display->Cls();
}

void mdifrm::setDisplayText(const QString& text)
{
    lblDisplay->setText(text);
    // Sized to the new text at once, not when the event loop next lays the strip out: the
    // label is never hidden and shown again, which would do it.
    PicCaption->layout()->activate();
}

void mdifrm::setDisplayTextColour(const QColor& colour)
{
    displayTextColour_ = colour;
    setDisplayTextVisible(displayTextShown_);
}

void mdifrm::setDisplayTextVisible(bool visible)
{
    displayTextShown_ = visible;
    platform::setForeground(*lblDisplay, visible ? displayTextColour_ : QColor(Qt::transparent));
}

void mdifrm::hideTextStrip()
{
    PicCaption->setVisible(false);
}

void mdifrm::hideSettingsPanel()
{
    Picture1->setVisible(false);
    // Its value boxes go with it: their timer would wake the window's thread ten times a
    // second for nothing while a movie plays.
    Timer1->setHeld(true);
}

void mdifrm::moveSliders(const SliderValues& values)
{
    ScrollBarSize->setValue(values.size);
    ScrollBarDensity->setValue(values.density);
    ScrollBarWidth->setValue(values.width);
    ScrollBarColorMultiplier->setValue(values.colorMultiplier);
}

void mdifrm::ScrollBarSize_Change()
{
    program_.Wheel.CenterReady = false;
    // Setting the value runs this handling again, to its end, with the value 1.
    if (ScrollBarSize->value() == 0)
        ScrollBarSize->setValue(1);
    clearDisplay();
    program_.Wheel.MaxRadius = static_cast<std::int16_t>(ScrollBarSize->value());
}

void mdifrm::ScrollBarDensity_Change()
{
    if (ScrollBarDensity->value() == 0)
        ScrollBarDensity->setValue(1);
    clearDisplay();
    program_.Wheel.RadiusStep = static_cast<float>(ScrollBarDensity->value() / 100.0);
}

void mdifrm::ScrollBarWidth_Change()
{
    clearDisplay();
    program_.Wheel.LineWidth = static_cast<std::int16_t>(ScrollBarWidth->value());
    if (FrameDisplay* display = hostedDisplay())
        display->setDrawWidth(program_.Wheel.LineWidth);
}

void mdifrm::ScrollBarColorMultiplier_Change()
{
    program_.Wheel.ColorSteps = static_cast<std::int16_t>(ScrollBarColorMultiplier->value());
}

void mdifrm::Timer1_Timer()
{
    lblSize->setText(QString::number(program_.Wheel.MaxRadius));
    lblDensity->setText(generalNumber(program_.Wheel.RadiusStep));
    lblWidth->setText(QString::number(program_.Wheel.LineWidth));
}

void mdifrm::cmdChangeDirection_Click()
{
    if (FrameDisplay* display = hostedDisplay())
        display->changeDirection();
}

void mdifrm::cmdBack_Click()
{
    Unload();
}

void mdifrm::Label61_Click()
{
    modHelp::OpenHomeSite(program_.services().web);
}
