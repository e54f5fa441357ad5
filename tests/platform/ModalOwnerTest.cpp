// Which window a modal box belongs to, so that the desktop keeps the box over it.

#include "platform/Form.h"
#include "platform/FormRuntime.h"
#include "platform/ModalOwner.h"

#include <QApplication>
#include <QMetaObject>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class ModalOwnerTest : public ::testing::Test {
protected:
    void TearDown() override { QApplication::setActiveWindow(nullptr); }

    QWidget chooser;
    QWidget frame;
    QWidget topmost{nullptr, Qt::Window | Qt::WindowStaysOnTopHint};
};

TEST_F(ModalOwnerTest, TheActiveWindowOwnsTheBox)
{
    chooser.show();
    topmost.show();
    QApplication::setActiveWindow(&chooser);
    EXPECT_EQ(platform::modalOwner(), &chooser);
}

TEST_F(ModalOwnerTest, WithoutAnActiveWindowTheOneStayingOnTopOwnsTheBox)
{
    // As when a window shown without activation is the one the user sees first.
    chooser.show();
    topmost.show();
    EXPECT_EQ(QApplication::activeWindow(), nullptr);
    EXPECT_EQ(platform::modalOwner(), &topmost);
}

TEST_F(ModalOwnerTest, WithoutAnActiveWindowOnlyASoleShownWindowOwnsTheBox)
{
    EXPECT_EQ(platform::modalOwner(), nullptr) << "no window on screen";
    chooser.show();
    frame.hide();
    EXPECT_EQ(platform::modalOwner(), &chooser) << "a hidden window never owns";
    frame.show();
    EXPECT_EQ(platform::modalOwner(), nullptr) << "two are shown and neither is known to be in use";
}

TEST_F(ModalOwnerTest, ABoxNeverOwnsItself)
{
    chooser.show();
    QApplication::setActiveWindow(&chooser);
    EXPECT_EQ(platform::modalOwner(&chooser), nullptr);
}

class ModalForm final : public QWidget, public platform::Form {
public:
    explicit ModalForm(platform::FormRuntime& runtime) : Form(runtime, *this) {}
};

TEST_F(ModalOwnerTest, AWindowShownModallyBelongsToTheWindowItWasOpenedFrom)
{
    platform::FormRuntime runtime;
    topmost.show();
    ModalForm& about = runtime.get<ModalForm>([&] { return std::make_unique<ModalForm>(runtime); });
    const QWindow* ownerWhileShown = nullptr;
    QMetaObject::invokeMethod(
        &about,
        [&] {
            ownerWhileShown = about.windowHandle()->transientParent();
            about.Unload();
        },
        Qt::QueuedConnection);
    about.ShowModal();
    EXPECT_EQ(ownerWhileShown, topmost.windowHandle());
}

} // namespace
