#pragma once
// The colour-wheel window: the drawing surface of the colour wheel inside the frame. Its
// 1 ms timer runs one renderer pass per tick; between circles the pass yields here, and
// the window paces the drawing, brings the picture to the screen and holds the drawing
// while it is out of sight.

#include "frame/FrameDisplay.h"
#include "frame/MdiChildForm.h"
#include "wheel/Pacing.h"
#include "wheel/WheelPicture.h"
#include "wheel/modHypno.h"

#include <memory>

class QLabel;
namespace platform {
class DirectPresenter;
class EventLoop;
class FormTimer;
class MonotonicClock;
}

class frmHypno final : public MdiChildForm, public modHypno::DrawingSurface, public FrameDisplay {
    Q_OBJECT
public:
    explicit frmHypno(Program& program);
    ~frmHypno() override;

    void Form_Load() override;
    void Form_Resize();
    void Form_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void Timer1_Timer();

    void mnuFileStartHypnodisc_Click();
    void mnuFileStopHypnodisc_Click();
    void mnuChangeDirection_Click();
    void mnuFileBAck_Click();

    // What the passes call after each circle; the window's own pacing unless replaced.
    void replaceYield(modHypno::YieldHook hook);
    // The window's own yield: handles what is pending, and sleeps in the event loop until
    // the next frame once the drawing is ahead of its schedule.
    void pacedYield();
    // What the window has done since it loaded, for measuring its pace.
    struct Activity {
        long long circles = 0;
        long long passes = 0;
        long long framesPresented = 0;
    };
    const Activity& activity() const { return activity_; }

    // The drawing surface: the backing picture, brought to the screen by the yield
    // while a pass runs and at once when cleared.
    float ScaleWidth() const override { return picture_.ScaleWidth(); }
    float ScaleHeight() const override { return picture_.ScaleHeight(); }
    void Circle(float x, float y, float radius, modHypno::Rgb colour) override;
    void Cls() override;
    void setDrawWidth(int pixels) override { picture_.setDrawWidth(pixels); }
    int DrawWidth() const override { return picture_.DrawWidth(); }
    const WheelPicture& picture() const { return picture_; }

    // The settings panel's way to the direction change.
    void changeDirection() override { mnuChangeDirection_Click(); }

    // The window itself, set at load: the surface the renderer draws on and the frame
    // clears.
    modHypno::DrawingSurface* viewObject = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The keyboard's ways to the mouse's actions: Space restarts the colours like a
    // left click, the Menu key or Shift+F10 opens the File menu like a right click.
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A minimised frame hides its children without making them invisible; the wheel
    // then draws nothing and its timer wakes nobody until it is back.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void detach() override;
    void leaving() override;

private:
    // One tick's passes: outward, inward, or outward and then inward when the direction
    // changes during the first. False when the window was unloaded meanwhile.
    bool runPasses();
    // Starts or stops the passes; a stopped wheel lets the screen blank.
    void setDrawing(bool drawing);
    void present();
    void holdWhileOutOfSight();

    modHypno::WheelState& wheel_;
    const platform::MonotonicClock& clock_;
    platform::EventLoop& events_;
    WheelPicture picture_;
    // Brings the frames to the screen where the display system allows; else a repaint.
    std::unique_ptr<platform::DirectPresenter> presenter_;
    WheelSchedule schedule_;
    bool outOfSight_ = false;
    // The next circle was already due when the last one was drawn.
    bool behindSchedule_ = false;
    // The running tick's last passes waited for their circles' time.
    bool sleptInPass_ = false;
    modHypno::YieldHook yield_;
    Activity activity_;

    platform::FormTimer* Timer1 = nullptr;
    QLabel* lblHai = nullptr;
    QAction* mnuFileStartHypnodisc = nullptr;
    QAction* mnuFileStopHypnodisc = nullptr;
    QAction* mnuChangeDirection = nullptr;
    QAction* mnuFileBAck = nullptr;
};
