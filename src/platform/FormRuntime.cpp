#include "platform/FormRuntime.h"


#include <algorithm>

namespace platform {

FormRuntime::FormRuntime() = default;

FormRuntime::~FormRuntime()
{
    // Later windows may live inside earlier ones (a frame's children), so they go first.
    while (!loaded_.empty())
        loaded_.pop_back();
    delete pendingToken_;
    graveyard_.clear();
}

Form* FormRuntime::findByType(const std::type_index& type) const
{
    for (const Entry& entry : loaded_)
        if (entry.type == type)
            return entry.form.get();
    return nullptr;
}

void FormRuntime::add(const std::type_index& type, std::unique_ptr<Form> form)
{
    loaded_.push_back(Entry{type, std::move(form)});
}

bool FormRuntime::isLoaded(const Form& form) const
{
    return std::any_of(loaded_.begin(), loaded_.end(),
                       [&](const Entry& entry) { return entry.form.get() == &form; });
}

std::vector<Form*> FormRuntime::loadedForms() const
{
    std::vector<Form*> forms;
    forms.reserve(loaded_.size());
    for (const Entry& entry : loaded_)
        forms.push_back(entry.form.get());
    return forms;
}

void FormRuntime::unload(Form& form)
{
    if (!isLoaded(form) || form.unloading_)
        return;
    form.unloading_ = true;
    form.unloadChildren();
    int cancel = 0;
    form.Form_Unload(cancel);
    form.unloading_ = false;
    if (cancel != 0)
        return;

    // The handlers above may have loaded or unloaded other windows: look again.
    const auto it = std::find_if(loaded_.begin(), loaded_.end(),
                                 [&](const Entry& entry) { return entry.form.get() == &form; });
    if (it == loaded_.end())
        return;
    std::unique_ptr<Form> owned = std::move(it->form);
    loaded_.erase(it);
    owned->detach();
    owned->endModal();
    graveyard_.push_back(std::move(owned));
    scheduleDestruction();
}

void FormRuntime::scheduleDestruction()
{
    // Deferred deletion runs only once control is back in the event loop that was
    // running when it was asked for, never in a loop nested inside a handler (a modal
    // box, a drawing pass's yield): exactly when no handler can still use the window.
    if (pendingToken_)
        return;
    pendingToken_ = new QObject;
    QObject::connect(pendingToken_, &QObject::destroyed, &context_, [this] {
        pendingToken_ = nullptr;
        destroyUnloaded();
    });
    pendingToken_->deleteLater();
}

void FormRuntime::destroyUnloaded()
{
    if (keepAlive_ > 0)
        return;
    // Destroying a window can run code that unloads another one; take the list first.
    std::vector<std::unique_ptr<Form>> doomed;
    doomed.swap(graveyard_);
    // In unload order: a frame's children were unloaded before the frame.
    for (std::unique_ptr<Form>& form : doomed)
        form.reset();
}

FormRuntime::KeepAlive::KeepAlive(FormRuntime& runtime) : runtime_(runtime)
{
    ++runtime_.keepAlive_;
}

FormRuntime::KeepAlive::~KeepAlive()
{
    if (--runtime_.keepAlive_ == 0 && !runtime_.graveyard_.empty())
        runtime_.scheduleDestruction();
}

} // namespace platform
