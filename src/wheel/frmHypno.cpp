#include "wheel/frmHypno.h"

#include "app/ProductVersion.h"
#include "app/Program.h"
#include "frame/mdifrm.h"
#include "platform/DirectPresenter.h"
#include "platform/FormTimer.h"
#include "platform/Services.h"
#include "platform/Twips.h"
#include "wheel/LoadTimeValues.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

using platform::FontSpec;
using platform::TwipsRect;

namespace {
namespace design {
constexpr int ClientWidth = 11910;
constexpr int ClientHeight = 5400;
const QString Caption = ProductNameAndVersion;

constexpr TwipsRect lblHai{120, 1800, 495, 375};
const QString lblHaiCaption = QStringLiteral("HYPNO DISC");
constexpr FontSpec lblHaiFont{"Verdana", 9.75, platform::Bold};
const QColor lblHaiText(255, 0, 0);
const QColor lblHaiBack(255, 255, 255);
} // namespace design

PaceClock::duration refreshInterval(const QScreen* screen)
{
    const qreal hz = screen ? screen->refreshRate() : 0.0;
    if (hz <= 0.0)
        return wheelPace::LongestFrame;
    return std::chrono::duration_cast<PaceClock::duration>(std::chrono::duration<double>(1.0 / hz));
}

} // namespace

frmHypno::frmHypno(Program& program)
    : MdiChildForm(program, QStringLiteral("frmHypno")),
      wheel_(program.Wheel),
      clock_(program.services().monotonic),
      events_(program.services().events),
      picture_(QSize(platform::twipsToPixels(design::ClientWidth), platform::twipsToPixels(design::ClientHeight)),
               devicePixelRatioF()),
      presenter_(platform::makeDirectPresenter(*this)),
      schedule_(wheelPace::CirclePeriod, wheelPace::MaxLag, wheelPace::LongestFrame),
      yield_([this] { pacedYield(); })
{
    setWindowTitle(design::Caption);
    platform::setClientSize(*this, design::ClientWidth, design::ClientHeight);
    platform::setBackground(*this, Qt::black);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Color Wheel"));
    // The backing image paints every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);

    lblHai = new QLabel(design::lblHaiCaption, this);
    lblHai->setTextFormat(Qt::PlainText);
    lblHai->setObjectName(QStringLiteral("lblHai"));
    platform::place(*lblHai, design::lblHai);
    lblHai->setFont(design::lblHaiFont.toFont());
    lblHai->setAlignment(Qt::AlignCenter);
    lblHai->setWordWrap(true);
    platform::setBackground(*lblHai, design::lblHaiBack);
    platform::setForeground(*lblHai, design::lblHaiText);
    // The designed box is narrower than its words in today's fonts; it widens about
    // its centre, as far as the window's edge allows, rather than cut the words off.
    if (const int wanted = lblHai->fontMetrics().horizontalAdvance(QStringLiteral("HYPNO")) + 6;
        wanted > lblHai->width()) {
        const int left = std::max(0, lblHai->geometry().center().x() - wanted / 2);
        lblHai->setGeometry(left, lblHai->y(), wanted, lblHai->height());
    }

    Timer1 = new platform::FormTimer(this, 1, [this] { Timer1_Timer(); });
    Timer1->setObjectName(QStringLiteral("Timer1"));

    mnuFileStartHypnodisc =
        mnuFile->addAction(QStringLiteral("&Start Color Wheel"), this, &frmHypno::mnuFileStartHypnodisc_Click);
    mnuFileStartHypnodisc->setObjectName(QStringLiteral("mnuFileStartHypnodisc"));
    mnuFileStopHypnodisc =
        mnuFile->addAction(QStringLiteral("St&op Color Wheel"), this, &frmHypno::mnuFileStopHypnodisc_Click);
    mnuFileStopHypnodisc->setObjectName(QStringLiteral("mnuFileStopHypnodisc"));
    mnuChangeDirection =
        mnuFile->addAction(QStringLiteral("&Change Direction"), this, &frmHypno::mnuChangeDirection_Click);
    mnuChangeDirection->setObjectName(QStringLiteral("mnuChangeDirection"));
    mnuFileBAck = mnuFile->addAction(QStringLiteral("&Back"), this, &frmHypno::mnuFileBAck_Click);
    mnuFileBAck->setObjectName(QStringLiteral("mnuFileBAck"));
}

frmHypno::~frmHypno() = default;

void frmHypno::Form_Load()
{
    viewObject = this;

    wheel_.WheelDirection = 0;
    wheel_.LineWidth = loadTime::LineWidth;
    wheel_.MaxRadius = loadTime::MaxRadius;
    wheel_.RadiusStep = loadTime::RadiusStep;
    wheel_.ColorSteps = loadTime::ColorSteps;
    loadTime::applyChannels(wheel_);

    // Each move that changes a slider runs the frame's change handling.
    program_.form<mdifrm>().moveSliders({wheel_.MaxRadius, modHypno::roundHalfEven(wheel_.RadiusStep * 100.0),
                                         wheel_.LineWidth, wheel_.ColorSteps});

    Show();
    setDrawing(true);
}

void frmHypno::Form_Resize()
{
    Cls();
    wheel_.CenterReady = false;
}

void frmHypno::Form_MouseDown(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button == Qt::LeftButton)
        wheel_.CenterReady = false;
    else if (button == Qt::RightButton)
        mnuFile->popup(globalPos);
}

void frmHypno::Timer1_Timer()
{
    // A pass yields to the event loop, where this window may be unloaded; it must stay
    // in memory until the pass and this handler are done with it.
    platform::FormRuntime::KeepAlive keepAlive(runtime());
    // Passes shorter than a frame's batch follow one another at once while their circles
    // are behind the schedule, as the circles of one pass do; each would otherwise sleep
    // out the timer's interval. A pass that slept ends the tick, as any pass does.
    do {
        behindSchedule_ = false;
        sleptInPass_ = false;
        if (!runPasses())
            return;
    } while (behindSchedule_ && !sleptInPass_ && Timer1->isEnabled() && !outOfSight_);
    // The last circles of the last pass before a stop still reach the screen.
    if (!Timer1->isEnabled())
        update(picture_.takeChanged());
}

bool frmHypno::runPasses()
{
    if (wheel_.WheelDirection == 0) {
        ++activity_.passes;
        schedule_.passBegins(wheel_, false);
        modHypno::DrawOutwardPass(wheel_, *viewObject, yield_);
        if (!runtime().isLoaded(*this))
            return false;
    }
    if (wheel_.WheelDirection == 1) {
        ++activity_.passes;
        schedule_.passBegins(wheel_, true);
        modHypno::DrawInwardPass(wheel_, *viewObject, yield_);
    }
    return runtime().isLoaded(*this);
}

void frmHypno::Circle(float x, float y, float radius, modHypno::Rgb colour)
{
    picture_.Circle(x, y, radius, colour);
    ++activity_.circles;
}

void frmHypno::Cls()
{
    picture_.Cls();
    // A running pass brings the cleared picture to the screen at its next present.
    if (!Timer1->isRunningHandler())
        update(picture_.takeChanged());
}

void frmHypno::mnuFileStartHypnodisc_Click()
{
    setDrawing(true);
}

void frmHypno::mnuFileStopHypnodisc_Click()
{
    setDrawing(false);
}

void frmHypno::setDrawing(bool drawing)
{
    Timer1->setEnabled(drawing);
    program_.screenAwake.setVisualRunning(drawing);
}

void frmHypno::mnuChangeDirection_Click()
{
    wheel_.WheelDirection = static_cast<std::int16_t>(wheel_.WheelDirection + 1);
    if (wheel_.WheelDirection == 2)
        wheel_.WheelDirection = 0;
}

void frmHypno::mnuFileBAck_Click()
{
    goBack();
}

void frmHypno::leaving()
{
    // A pass still on the stack ends before it draws on the unloaded window.
    wheel_.StopRequested = true;
}

void frmHypno::replaceYield(modHypno::YieldHook hook)
{
    yield_ = std::move(hook);
}

void frmHypno::pacedYield()
{
    const WheelSchedule::AfterCircle step = schedule_.afterCircle(clock_.now(), wheel_);
    behindSchedule_ = !step.sleepUntil;
    sleptInPass_ = sleptInPass_ || step.sleepUntil;
    if (step.present)
        present();
    if (!step.sleepUntil)
        events_.handlePending();
    // Each wait ends early for an event, which is handled there and then; a Back or a
    // closed frame ends the pass at once rather than at the frame.
    while (step.sleepUntil && !wheel_.StopRequested && !outOfSight_ && clock_.now() < *step.sleepUntil)
        events_.waitUntil(step.sleepUntil);
    if (outOfSight_)
        holdWhileOutOfSight();
}

void frmHypno::holdWhileOutOfSight()
{
    while (outOfSight_ && !wheel_.StopRequested)
        events_.waitUntil(std::nullopt);
    schedule_.restart();
}

void frmHypno::present()
{
    schedule_.setRefreshInterval(refreshInterval(screen()));
    picture_.setDevicePixelRatio(devicePixelRatioF());
    const QRect changed = picture_.takeChanged();
    if (changed.isEmpty())
        return;
    if (presenter_ && presenter_->present(picture_.image(), changed)) {
        ++activity_.framesPresented;
        return;
    }
    repaint(changed);
}

void frmHypno::paintEvent(QPaintEvent* event)
{
    picture_.setDevicePixelRatio(devicePixelRatioF());
    const QImage& image = picture_.image();
    const QRect area = event->rect();
    const qreal dpr = image.devicePixelRatio();
    QPainter painter(this);
    painter.drawImage(QPointF(area.topLeft()), image,
                      QRectF(QPointF(area.topLeft()) * dpr, QSizeF(area.size()) * dpr));
    ++activity_.framesPresented;
}

void frmHypno::resizeEvent(QResizeEvent* event)
{
    MdiChildForm::resizeEvent(event);
    if (picture_.logicalSize() != size())
        picture_.resize(size(), devicePixelRatioF());
    Form_Resize();
}

void frmHypno::mousePressEvent(QMouseEvent* event)
{
    Form_MouseDown(event->button(), event->globalPosition().toPoint());
}

void frmHypno::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        Form_MouseDown(Qt::LeftButton, QCursor::pos());
        return;
    }
    MdiChildForm::keyPressEvent(event);
}

void frmHypno::contextMenuEvent(QContextMenuEvent* event)
{
    // A right click has already opened the menu on its button press.
    if (event->reason() != QContextMenuEvent::Mouse)
        Form_MouseDown(Qt::RightButton, mapToGlobal(rect().center()));
}

void frmHypno::showEvent(QShowEvent* event)
{
    MdiChildForm::showEvent(event);
    schedule_.setRefreshInterval(refreshInterval(screen()));
    outOfSight_ = false;
    Timer1->setHeld(false);
}

void frmHypno::hideEvent(QHideEvent* event)
{
    MdiChildForm::hideEvent(event);
    outOfSight_ = true;
    Timer1->setHeld(true);
}

void frmHypno::detach()
{
    // An unloaded window's timer is gone with it; no pass may start on it again.
    setDrawing(false);
    MdiChildForm::detach();
}
