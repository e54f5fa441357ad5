#pragma once
// The display frame: a link strip, a separator, the colour-wheel settings panel and the
// strip with the user's text, stacked at the top; the display window lives below them.
// The panel's sliders write the colour-wheel renderer's state as they change and act
// on the hosted display through its FrameDisplay face.

#include "platform/Form.h"

#include <QMainWindow>

class FrameDisplay;
class MdiChildForm;
class Program;
class QColor;
class QFrame;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;
class QScrollBar;
namespace platform {
class FormTimer;
class LinkLabel;
}

class mdifrm final : public QMainWindow, public platform::Form {
    Q_OBJECT
public:
    explicit mdifrm(Program& program);
    ~mdifrm() override;

    void Form_Unload(int& cancel) override;
    void Show() override;

    void MDIForm_Unload();
    void cmdBack_Click();
    void cmdChangeDirection_Click();
    void Label61_Click();
    void ScrollBarSize_Change();
    void ScrollBarDensity_Change();
    void ScrollBarWidth_Change();
    void ScrollBarColorMultiplier_Change();
    void Timer1_Timer();

    // What the chooser and the displays ask of the frame.
    // The user's text, shown in the strip below the settings panel.
    void setDisplayText(const QString& text);
    void setDisplayTextColour(const QColor& colour);
    void setDisplayTextVisible(bool visible);
    const QColor& displayTextColour() const { return displayTextColour_; }
    // The colour wheel shows no text strip, a movie no settings panel.
    void hideTextStrip();
    void hideSettingsPanel();
    // Moves the settings panel's sliders in this order; each move that changes a
    // slider runs its change handling, as a user's would.
    struct SliderValues {
        int size;
        int density;
        int width;
        int colorMultiplier;
    };
    void moveSliders(const SliderValues& values);

    // Hosting of the child windows.
    QMdiSubWindow* addChild(MdiChildForm& child);
    void removeChild(MdiChildForm& child);
    void activateChild(QMdiSubWindow& subWindow);

protected:
    void unloadChildren() override;
    void detach() override;
    // Minimising hides the frame with a spontaneous hide event, and restoring shows it.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildStrips();
    void buildSettingsPanel();
    void updateMenus();
    // The hosted display the settings panel acts on, if any.
    FrameDisplay* hostedDisplay() const;
    void clearDisplay();
    void reportInSight();

    Program& program_;
    bool shownOnce_ = false;

    QFrame* Picture4 = nullptr;
    platform::LinkLabel* Label61 = nullptr;
    QFrame* Picture2 = nullptr;
    QFrame* Picture1 = nullptr;
    QScrollBar* ScrollBarSize = nullptr;
    QScrollBar* ScrollBarDensity = nullptr;
    QScrollBar* ScrollBarWidth = nullptr;
    QScrollBar* ScrollBarColorMultiplier = nullptr;
    QLabel* lblSize = nullptr;
    QLabel* lblDensity = nullptr;
    QLabel* lblWidth = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdChangeDirection = nullptr;
    QFrame* PicCaption = nullptr;
    QLabel* lblDisplay = nullptr;
    QMdiArea* mdiArea = nullptr;
    // The text blinks by its colour, the label staying where it is: showing a widget again
    // makes the toolkit ask the display server where the pointer is, every blink.
    QColor displayTextColour_;
    bool displayTextShown_ = true;
    platform::FormTimer* Timer1 = nullptr;
};
