#pragma once
// The window runtime: the program-wide instance of each window class, the list of
// loaded windows in load order, and the deferred destruction of unloaded windows.

#include "platform/Form.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <typeindex>
#include <vector>

namespace platform {

class FormRuntime {
public:
    FormRuntime();
    ~FormRuntime();
    FormRuntime(const FormRuntime&) = delete;
    FormRuntime& operator=(const FormRuntime&) = delete;

    // The loaded instance of T, created with make() and loaded first if there is none.
    template <class T, class Make>
    T& get(Make&& make)
    {
        if (T* loaded = find<T>())
            return *loaded;
        std::unique_ptr<T> created = make();
        T& form = *created;
        add(typeid(T), std::move(created));
        form.Form_Load();
        return form;
    }

    // The loaded instance of T, or null; never loads.
    template <class T>
    T* find() const
    {
        return static_cast<T*>(findByType(typeid(T)));
    }

    bool isLoaded(const Form& form) const;
    // Loaded windows, in the order they were loaded.
    std::vector<Form*> loadedForms() const;

    // Runs the window's unload handling and, unless it cancels, destroys the window
    // once no caller on the stack can still be using it.
    void unload(Form& form);

    // While a scope is alive (a drawing pass that yields to the event loop, say), an
    // unloaded window is kept in memory so that the code below it on the stack may
    // finish with it; it is destroyed when the last scope ends.
    class KeepAlive {
    public:
        explicit KeepAlive(FormRuntime& runtime);
        ~KeepAlive();
        KeepAlive(const KeepAlive&) = delete;
        KeepAlive& operator=(const KeepAlive&) = delete;

    private:
        FormRuntime& runtime_;
    };

    // Windows unloaded but not yet destroyed.
    std::size_t pendingDestruction() const { return graveyard_.size(); }
    // Destroys the unloaded windows now if nothing keeps them alive.
    void destroyUnloaded();

private:
    struct Entry {
        std::type_index type;
        std::unique_ptr<Form> form;
    };

    Form* findByType(const std::type_index& type) const;
    void add(const std::type_index& type, std::unique_ptr<Form> form);
    void scheduleDestruction();

    std::vector<Entry> loaded_;
    std::vector<std::unique_ptr<Form>> graveyard_;
    int keepAlive_ = 0;
    QObject context_;
    QPointer<QObject> pendingToken_;
};

} // namespace platform
