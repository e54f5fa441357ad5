#include "movie/frmBoxPendulam.h"

#include "app/ProductVersion.h"
#include "app/Program.h"
#include "app/ProgramFiles.h"
#include "frame/DisplayButton.h"
#include "frame/mdifrm.h"
#include "platform/DirectPresenter.h"
#include "platform/FormTimer.h"
#include "platform/Twips.h"
#include "swf/PlayerWidget.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include <memory>

using platform::TwipsRect;

namespace {
namespace design {
constexpr int ClientWidth = 11910;
constexpr int ClientHeight = 6885;
const QColor Background(98, 209, 247);
constexpr TwipsRect SWF{0, 0, 11895, 5535};
constexpr TwipsRect cmdChangeDirection{8040, 5640, 1815, 315};
constexpr TwipsRect cmdBack{9960, 5640, 1815, 315};
constexpr int Timer1Interval = 500; // ms
// More than a frame of the movies, at 30 a second: a playing movie carries the blink.
constexpr int Timer1MayComeEarly = 34; // ms
} // namespace design

} // namespace

frmBoxPendulam::frmBoxPendulam(Program& program) : MdiChildForm(program, QStringLiteral("frmBoxPendulam"))
{
    setWindowTitle(ProductNameAndVersion);
    setFont(platform::kVerdana825.toFont());
    platform::setClientSize(*this, design::ClientWidth, design::ClientHeight);
    platform::setBackground(*this, design::Background);

    SWF = new swf::PlayerWidget(this);
    SWF->setObjectName(QStringLiteral("SWF"));
    platform::place(*SWF, design::SWF);
    // The movie's changed pixels go straight to the window where the display system allows.
    if (std::shared_ptr<platform::DirectPresenter> presenter = platform::makeDirectPresenter(*SWF)) {
        SWF->setPresenter([presenter](const QImage& picture, const QRect& changed) {
            return presenter->present(picture, changed);
        });
        // From the player's thread where it can: the window's thread then sleeps while
        // the movie plays.
        SWF->setDirectShow([presenter](const QImage& picture, const QRegion& changed) {
            return presenter->presentOffThread(picture, changed);
        });
        // Frames drawn where the presenter puts them from need no copy on the way.
        SWF->setFrameMemory(presenter->frameMemory());
    }

    cmdChangeDirection = makeDisplayButton(this, "cmdChangeDirection", QStringLiteral("Change Direction"),
                                           design::cmdChangeDirection);
    connect(cmdChangeDirection, &QPushButton::clicked, this, &frmBoxPendulam::cmdChangeDirection_Click);
    cmdBack = makeDisplayButton(this, "cmdBack", QStringLiteral("&Back"), design::cmdBack);
    connect(cmdBack, &QPushButton::clicked, this, &frmBoxPendulam::cmdBack_Click);
    setTabOrder(SWF, cmdChangeDirection);
    setTabOrder(cmdChangeDirection, cmdBack);

    mnuChangeDirection =
        mnuFile->addAction(QStringLiteral("&Change Direction"), this, &frmBoxPendulam::mnuChangeDirection_Click);
    mnuChangeDirection->setObjectName(QStringLiteral("mnuChangeDirection"));
    // Designed switched off, with nothing behind it: shown greyed.
    mnuText = mnuFile->addAction(QStringLiteral("Input &Text"));
    mnuText->setObjectName(QStringLiteral("mnuText"));
    mnuText->setEnabled(false);
    mnuFileBAck = mnuFile->addAction(QStringLiteral("&Back"), this, &frmBoxPendulam::mnuFileBAck_Click);
    mnuFileBAck->setObjectName(QStringLiteral("mnuFileBAck"));

    Timer1 = new platform::FormTimer(this, design::Timer1Interval, [this] { Timer1_Timer(); });
    Timer1->setObjectName(QStringLiteral("Timer1"));
    // The text blinks a little early rather than wake the window between the movie's frames.
    Timer1->setMayComeEarly(std::chrono::milliseconds(design::Timer1MayComeEarly));
}

frmBoxPendulam::~frmBoxPendulam() = default;

void frmBoxPendulam::Form_Load()
{
    Timer1->setEnabled(true);
}

void frmBoxPendulam::detach()
{
    // An unloaded window waits for its destruction; its timer must not tick meanwhile
    // and bring the frame back.
    Timer1->setEnabled(false);
    program_.screenAwake.setVisualRunning(false);
    MdiChildForm::detach();
}

void frmBoxPendulam::Timer1_Timer()
{
    const BlinkTick tick = blinkStep(program_.services().random.next(), program_.BlinkPhase, PGBar);
    mdifrm& frame = program_.form<mdifrm>();
    frame.setDisplayTextColour(tick.colour);
    if (tick.visible)
        frame.setDisplayTextVisible(*tick.visible);
}

void frmBoxPendulam::setMovie(const QString& path)
{
    SWF->setMovie(path);
    program_.screenAwake.setVisualRunning(true);
}

void frmBoxPendulam::setBackgroundColor(const QColor& colour)
{
    SWF->setBackgroundColor(colour);
}

void frmBoxPendulam::hideDirectionChange()
{
    mnuChangeDirection->setVisible(false);
    cmdChangeDirection->setVisible(false);
}

void frmBoxPendulam::mnuChangeDirection_Click()
{
    if (program_.BoxDirectionUp == VbTrue) {
        SWF->setMovie(program_.programFile(movie_files::BoxDownward));
        program_.BoxDirectionUp = VbFalse;
    } else if (program_.BoxDirectionUp == VbFalse) {
        SWF->setMovie(program_.programFile(movie_files::BoxUpward));
        program_.BoxDirectionUp = VbTrue;
    }
}

void frmBoxPendulam::cmdChangeDirection_Click()
{
    mnuChangeDirection_Click();
}

void frmBoxPendulam::mnuFileBAck_Click()
{
    goBack();
}

void frmBoxPendulam::cmdBack_Click()
{
    mnuFileBAck_Click();
}
