#include "platform/Form.h"

#include "platform/FormRuntime.h"
#include "platform/ModalOwner.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QWidget>

namespace platform {

namespace {

// A window's close box unloads the window, as in the program's design; the close
// request itself is refused so that the runtime alone decides when a window goes.
class CloseRouter final : public QObject {
public:
    CloseRouter(Form& form, QWidget& widget) : QObject(&widget), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            form_.Unload();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Form& form_;
};

} // namespace

Form::Form(FormRuntime& runtime, QWidget& self) : runtime_(runtime), self_(self)
{
    self_.installEventFilter(new CloseRouter(*this, self_));
}

Form::~Form() = default;

void Form::Show()
{
    if (!runtime_.isLoaded(*this))
        return;
    placement().show();
    self_.show();
}

void Form::ShowModal()
{
    if (!runtime_.isLoaded(*this))
        return;
    self_.setWindowModality(Qt::ApplicationModal);
    // Stays above the window it was opened from, where the desktop decides placement
    // and stacking (as a Wayland compositor does) as much as where it does not.
    belongToModalOwner(self_);
    Show();
    QEventLoop loop;
    modalLoop_ = &loop;
    while (runtime_.isLoaded(*this) && self_.isVisible())
        loop.exec();
    modalLoop_ = nullptr;
}

void Form::Hide()
{
    placement().hide();
    endModal();
}

void Form::Unload()
{
    runtime_.unload(*this);
}

void Form::setLeft(int twips)
{
    QWidget& w = placement();
    w.move(twipsToPixels(twips), w.y());
}

void Form::setTop(int twips)
{
    QWidget& w = placement();
    w.move(w.x(), twipsToPixels(twips));
}

int Form::Left() const
{
    return pixelsToTwips(const_cast<Form*>(this)->placement().x());
}

int Form::Top() const
{
    return pixelsToTwips(const_cast<Form*>(this)->placement().y());
}

void Form::detach()
{
    placement().hide();
    self_.hide();
}

void Form::endModal()
{
    if (modalLoop_)
        modalLoop_->quit();
}

} // namespace platform
