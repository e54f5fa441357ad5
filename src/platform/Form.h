#pragma once
// One window of the program. Every window exists at most once: it is created and loaded
// at its first reference, keeps its state while hidden, and is destroyed by unloading
// (see FormRuntime). Window classes derive from a Qt widget class and from Form.

#include <QPointer>

class QEventLoop;
class QWidget;

namespace platform {

class FormRuntime;

class Form {
public:
    Form(FormRuntime& runtime, QWidget& self);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Runs once, right after the window is created.
    virtual void Form_Load() {}
    // Runs when the window is unloaded; setting cancel non-zero keeps it.
    virtual void Form_Unload(int& cancel) { (void)cancel; }

    // Shows the window modeless.
    virtual void Show();
    // Shows the window modally and returns once it is hidden or unloaded.
    void ShowModal();
    void Hide();
    void Unload();

    // Position in twips, inside the frame for its child windows, on the screen otherwise.
    void setLeft(int twips);
    void setTop(int twips);
    int Left() const;
    int Top() const;

    QWidget& widget() { return self_; }
    const QWidget& widget() const { return self_; }
    FormRuntime& runtime() { return runtime_; }

protected:
    // The widget that carries the window's position and visibility: the window itself,
    // or the sub-window that holds a frame's child.
    virtual QWidget& placement() { return self_; }
    // Called by the runtime before the window's unload handler: a frame unloads its
    // child windows here.
    virtual void unloadChildren() {}
    // Called once the window is unloaded: take it off the screen and out of any frame.
    virtual void detach();

private:
    friend class FormRuntime;
    void endModal();

    FormRuntime& runtime_;
    QWidget& self_;
    QPointer<QEventLoop> modalLoop_;
    bool unloading_ = false;
};

} // namespace platform
