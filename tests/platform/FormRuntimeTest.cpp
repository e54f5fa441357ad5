// The window runtime: one instance per window class, created at first reference,
// recreated after an unload, destroyed only when no caller can still use it.

#include "platform/FormRuntime.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Journal {
    std::vector<std::string> events;
    int alive = 0;
};

class TestForm : public QWidget, public platform::Form {
public:
    TestForm(platform::FormRuntime& runtime, Journal& journal, std::string name)
        : Form(runtime, *this), journal_(journal), name_(std::move(name))
    {
        ++journal_.alive;
    }
    ~TestForm() override { --journal_.alive; }

    void Form_Load() override { journal_.events.push_back(name_ + ".load"); }
    void Form_Unload(int& cancel) override
    {
        journal_.events.push_back(name_ + ".unload");
        cancel = cancelUnload ? 1 : 0;
        if (onUnload)
            onUnload();
    }

    bool cancelUnload = false;
    std::function<void()> onUnload;
    int counter = 0;

private:
    Journal& journal_;
    std::string name_;
};

class First final : public TestForm {
public:
    using TestForm::TestForm;
};
class Second final : public TestForm {
public:
    using TestForm::TestForm;
};

// Lets deferred deletions run, as returning to the main event loop does.
void returnToEventLoop()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

class FormRuntimeTest : public ::testing::Test {
protected:
    template <class T>
    T& get(const std::string& name)
    {
        return runtime.get<T>([&] { return std::make_unique<T>(runtime, journal, name); });
    }

    Journal journal;
    platform::FormRuntime runtime;
};

TEST_F(FormRuntimeTest, FirstReferenceCreatesAndLoadsOnceLaterOnesReuse)
{
    First& a = get<First>("first");
    a.counter = 7;
    First& b = get<First>("first");
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(b.counter, 7);
    EXPECT_EQ(journal.events, std::vector<std::string>{"first.load"});
    EXPECT_EQ(runtime.find<Second>(), nullptr) << "find never loads";
}

TEST_F(FormRuntimeTest, UnloadThenReferenceGivesAFreshWindowWithItsLoadRunAgain)
{
    get<First>("first").counter = 7;
    runtime.unload(*runtime.find<First>());
    EXPECT_EQ(runtime.find<First>(), nullptr);
    First& again = get<First>("first");
    EXPECT_EQ(again.counter, 0) << "a reloaded window starts from its design";
    EXPECT_EQ(journal.events, (std::vector<std::string>{"first.load", "first.unload", "first.load"}));
}

TEST_F(FormRuntimeTest, HidingKeepsTheWindowAndItsState)
{
    First& form = get<First>("first");
    form.counter = 3;
    form.Show();
    form.Hide();
    EXPECT_EQ(runtime.find<First>(), &form);
    EXPECT_EQ(form.counter, 3);
    EXPECT_TRUE(form.isHidden());
}

TEST_F(FormRuntimeTest, CancelledUnloadKeepsTheWindowLoaded)
{
    First& form = get<First>("first");
    form.cancelUnload = true;
    runtime.unload(form);
    EXPECT_EQ(runtime.find<First>(), &form);
}

TEST_F(FormRuntimeTest, LoadedFormsAreListedInLoadOrder)
{
    get<Second>("second");
    get<First>("first");
    const std::vector<platform::Form*> forms = runtime.loadedForms();
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[0], runtime.find<Second>());
    EXPECT_EQ(forms[1], runtime.find<First>());
}

TEST_F(FormRuntimeTest, UnloadedWindowLivesUntilControlReturnsToTheEventLoop)
{
    First& form = get<First>("first");
    runtime.unload(form);
    EXPECT_EQ(journal.alive, 1) << "the caller may still be inside one of the window's handlers";
    returnToEventLoop();
    EXPECT_EQ(journal.alive, 0);
}

TEST_F(FormRuntimeTest, KeepAliveHoldsUnloadedWindowsUntilTheLastScopeEnds)
{
    First& form = get<First>("first");
    {
        platform::FormRuntime::KeepAlive outer(runtime);
        {
            platform::FormRuntime::KeepAlive inner(runtime);
            runtime.unload(form);
            returnToEventLoop();
        }
        returnToEventLoop();
        EXPECT_EQ(journal.alive, 1);
        EXPECT_EQ(runtime.pendingDestruction(), 1u);
    }
    returnToEventLoop();
    EXPECT_EQ(journal.alive, 0);
}

TEST_F(FormRuntimeTest, CloseBoxUnloadsTheWindow)
{
    First& form = get<First>("first");
    form.Show();
    form.close();
    EXPECT_EQ(runtime.find<First>(), nullptr);
    EXPECT_EQ(journal.events.back(), "first.unload");
}

TEST_F(FormRuntimeTest, UnloadHandlerMayLoadAnotherWindow)
{
    First& form = get<First>("first");
    form.onUnload = [&] { get<Second>("second").Show(); };
    runtime.unload(form);
    ASSERT_NE(runtime.find<Second>(), nullptr);
    EXPECT_EQ(runtime.loadedForms().size(), 1u);
}

TEST_F(FormRuntimeTest, ModalShowReturnsWhenTheWindowIsUnloaded)
{
    First& form = get<First>("first");
    QMetaObject::invokeMethod(
        &form, [&] { form.Unload(); }, Qt::QueuedConnection);
    form.ShowModal();
    EXPECT_EQ(runtime.find<First>(), nullptr);
}

TEST_F(FormRuntimeTest, PositionsAreInTwips)
{
    First& form = get<First>("first");
    form.setLeft(150);
    form.setTop(300);
    EXPECT_EQ(form.pos(), QPoint(10, 20));
    EXPECT_EQ(form.Left(), 150);
    EXPECT_EQ(form.Top(), 300);
}

} // namespace
