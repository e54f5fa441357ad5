// The frame as designed: a client area of the designed size below its menu bar, and the
// user's text in a label that sizes itself to the text, centred in its strip.

#include "Controls.h"
#include "FakeServices.h"
#include "app/Program.h"
#include "frame/mdifrm.h"
#include "platform/Twips.h"
#include "shell/StartUp.h"
#include "shell/frmMain.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

enum Method { ColorWheel = 0, ColorBox = 1, Pendulum = 2 };

class FrameLayout : public ::testing::Test {
protected:
    FrameLayout()
    {
        InstallShell(program);
        program.form<frmMain>().Show();
    }

    mdifrm& proceedWith(Method method, const QString& text)
    {
        frmMain& chooser = *program.loaded<frmMain>();
        control<QRadioButton>(chooser, indexed("OptHypno", method))->setChecked(true);
        control<QLineEdit>(chooser, "txtInputText")->setText(text);
        control<QPushButton>(chooser, "cmdNext")->click();
        QCoreApplication::processEvents();
        return *program.loaded<mdifrm>();
    }

    fakes::Services fake;
    Program program{fake.services()};
};

TEST_F(FrameLayout, ClientAreaBelowTheMenuBarHasTheDesignedSizeForEveryDisplay)
{
    // 11880 x 8220 twips; the display windows are designed 30 twips wider than that,
    // and the frame widens by those two pixels rather than cut them off.
    const QSize designed(platform::twipsToPixels(11880), platform::twipsToPixels(8220));
    const int displayWidth = platform::twipsToPixels(11910);
    for (const Method method : {ColorWheel, ColorBox, Pendulum}) {
        mdifrm& frame = proceedWith(method, QStringLiteral("calm"));
        EXPECT_GT(frame.menuBar()->height(), 0);
        EXPECT_EQ(frame.centralWidget()->height(), designed.height()) << "method " << method;
        EXPECT_EQ(frame.centralWidget()->width(), std::max(designed.width(), displayWidth)) << "method " << method;
        frame.cmdBack_Click();
        QCoreApplication::processEvents();
    }
}

TEST_F(FrameLayout, DisplayTextSizesItselfToItsTextCentredInItsStrip)
{
    // The longest text the chooser takes, in wide letters.
    const QString longest(55, QLatin1Char('W'));
    mdifrm& frame = proceedWith(ColorBox, longest);
    const QLabel& label = *control<QLabel>(frame, "lblDisplay");
    const QFrame& strip = *control<QFrame>(frame, "PicCaption");

    EXPECT_GE(label.width(), QFontMetrics(label.font()).horizontalAdvance(longest));
    EXPECT_GE(label.x(), 0);
    EXPECT_LE(label.geometry().right(), strip.width() - 1) << "the whole text is inside the strip";
    EXPECT_LE(std::abs(label.geometry().center().x() - strip.rect().center().x()), 1);
    EXPECT_EQ(label.y(), platform::twipsToPixels(120));

    // A wider frame keeps the text whole and centred.
    frame.resize(frame.width() + 300, frame.height());
    QCoreApplication::processEvents();
    EXPECT_LE(std::abs(label.geometry().center().x() - strip.rect().center().x()), 1);

    // A short text shrinks the label to it, centred where the designed "Display" stood.
    frame.setDisplayText(QStringLiteral("Be"));
    QCoreApplication::processEvents();
    EXPECT_LT(label.width(), QFontMetrics(label.font()).horizontalAdvance(longest) / 10);
    EXPECT_LE(std::abs(label.geometry().center().x() - strip.rect().center().x()), 1);
}

} // namespace
