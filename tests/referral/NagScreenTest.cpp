// The refer-a-friend window: its design, the support text, the placeholders, the space
// filter, the checks in their order through the real controls, the links and the exit.

#include "Controls.h"
#include "FakeServices.h"
#include "app/Program.h"
#include "links/WebAddresses.h"
#include "platform/LinkLabel.h"
#include "platform/QtServices.h"
#include "referral/frmNagScreen2.h"
#include "referral/modTellAFriend.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class NagScreen : public ::testing::Test {
protected:
    frmNagScreen2& nag() { return program.form<frmNagScreen2>(); }

    // The window as the user's active window, so that the focus moves between its controls.
    frmNagScreen2& activeNag()
    {
        frmNagScreen2& form = nag();
        QApplication::setActiveWindow(&form);
        return form;
    }
    static void focusIn(QWidget* box) { box->setFocus(Qt::TabFocusReason); }
    // Moves the focus on to a control that is no entry box.
    void focusOut() { control<QLabel>(nag(), "Picture1")->setFocus(Qt::TabFocusReason); }

    // Fills every entry with a valid value.
    void fillValid()
    {
        frmNagScreen2& form = nag();
        control<QLineEdit>(form, "txtName")->setText(QStringLiteral("Ann"));
        control<QLineEdit>(form, "txtEmail")->setText(QStringLiteral("ann@mail.example"));
        form.setMessageText(QStringLiteral("Try it"));
        control<QLineEdit>(form, "txtFriendName")->setText(QStringLiteral("Bob"));
        control<QLineEdit>(form, "txtFriendEmail")->setText(QStringLiteral("bob@mail.example"));
    }

    // Submits and returns the one message shown, or an empty text if none was.
    QString submit()
    {
        const std::size_t before = fakes.messages.shown.size();
        control<QPushButton>(nag(), "cmdSubmit")->click();
        if (fakes.messages.shown.size() == before)
            return QString();
        EXPECT_EQ(fakes.messages.shown.size(), before + 1);
        EXPECT_EQ(fakes.messages.shown.back().icon, platform::MsgIcon::Critical);
        EXPECT_EQ(fakes.messages.shown.back().buttons, platform::MsgButtons::OK);
        return fakes.messages.shown.back().text;
    }

    QStringList entries()
    {
        frmNagScreen2& form = nag();
        return {control<QLineEdit>(form, "txtName")->text(), control<QLineEdit>(form, "txtEmail")->text(), form.messageText(), control<QLineEdit>(form, "txtFriendName")->text(),
                control<QLineEdit>(form, "txtFriendEmail")->text()};
    }

    fakes::Services fakes;
    Program program{fakes.services()};
};

TEST_F(NagScreen, LoadsAboveOtherWindowsWithoutTakingTheFocus)
{
    frmNagScreen2& form = nag();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(form.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Somnara v1.45"));
    EXPECT_EQ(form.size(), QSize(741, 315));
    EXPECT_EQ(form.focusWidget(), control<QPushButton>(form, "cmdClose"));
    EXPECT_FALSE(control<QLabel>(form, "Picture1")->pixmap().isNull());
}

TEST_F(NagScreen, BoxesStartWithTheirPlaceholdersAndTheMessageWithALineBreak)
{
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("Your Name"), QStringLiteral("Your Email Address"),
                                      QStringLiteral("Your Message\r\n"), QStringLiteral("Friend's Name"),
                                      QStringLiteral("Friend's Email Address")}));
    EXPECT_TRUE(control<QPushButton>(nag(), "Check1")->isCheckable());
    EXPECT_FALSE(control<QPushButton>(nag(), "Check1")->isChecked());
}

TEST_F(NagScreen, MessageBoxLiesBelowItsFrameYetIsInTheTabOrder)
{
    frmNagScreen2& form = nag();
    EXPECT_EQ(control<QPlainTextEdit>(form, "txtMessage")->parentWidget(), control<QGroupBox>(form, "Frame2"));
    EXPECT_GE(control<QPlainTextEdit>(form, "txtMessage")->geometry().top(), control<QGroupBox>(form, "Frame2")->height());
    EXPECT_TRUE(control<QPlainTextEdit>(form, "txtMessage")->isVisibleTo(&form));

    QStringList order;
    QWidget* widget = control<QPushButton>(form, "cmdClose");
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != control<QPushButton>(form, "cmdClose"));
    EXPECT_EQ(order, (QStringList{"cmdClose", "Check1", "Picture1", "txtName", "cmdSubmit", "txtEmail",
                                  "txtFriendEmail", "txtFriendName", "txtMessage", "lblGoToHome"}));
}

TEST(NagScreenLoad, SupportTextIsDrawnFromFourByQuarters)
{
    QStringList texts;
    for (float r : {0.0f, 0.2499f, 0.25f, 0.5f, 0.74f, 0.75f, 0.9999999f}) {
        fakes::Services fakes;
        fakes.random.values = {r};
        Program program(fakes.services());
        texts.append(control<QLabel>(program.form<frmNagScreen2>(), "Label2")->text());
        EXPECT_EQ(fakes.random.randomized, 1);
    }
    EXPECT_EQ(texts[1], texts[0]);
    EXPECT_EQ(texts[4], texts[3]);
    EXPECT_EQ(texts[6], texts[5]);
    EXPECT_EQ(QSet<QString>(texts.begin(), texts.end()).size(), 4);
    for (const QString& text : texts)
        EXPECT_TRUE(text.contains(web_addresses::MainSiteHost)) << qPrintable(text);
}

TEST_F(NagScreen, PlaceholdersLeaveOnFocusAndComeBackWhenLeftBlank)
{
    frmNagScreen2& form = activeNag();
    focusIn(control<QLineEdit>(form, "txtName"));
    EXPECT_EQ(control<QLineEdit>(form, "txtName")->text(), QString());
    control<QLineEdit>(form, "txtName")->setText(QStringLiteral("   "));
    focusIn(control<QLineEdit>(form, "txtEmail"));
    EXPECT_EQ(control<QLineEdit>(form, "txtName")->text(), QStringLiteral("Your Name"));
    EXPECT_EQ(control<QLineEdit>(form, "txtEmail")->text(), QString());
    focusOut();
    EXPECT_EQ(control<QLineEdit>(form, "txtEmail")->text(), QStringLiteral("Your Email Address"));

    // A typed entry is left alone both ways, even one that differs only in case.
    control<QLineEdit>(form, "txtFriendName")->setText(QStringLiteral("friend's name"));
    focusIn(control<QLineEdit>(form, "txtFriendName"));
    focusOut();
    EXPECT_EQ(control<QLineEdit>(form, "txtFriendName")->text(), QStringLiteral("friend's name"));

    // The untouched message keeps its line break and is not cleared.
    focusIn(control<QPlainTextEdit>(form, "txtMessage"));
    EXPECT_EQ(form.messageText(), QStringLiteral("Your Message\r\n"));
    form.setMessageText(QString());
    focusOut();
    EXPECT_EQ(form.messageText(), QStringLiteral("Your Message"));
}

TEST_F(NagScreen, PlaceholdersStayWhileTheUserIsInAnotherWindow)
{
    frmNagScreen2& form = activeNag();
    focusIn(control<QLineEdit>(form, "txtName"));
    ASSERT_EQ(control<QLineEdit>(form, "txtName")->text(), QString());
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_EQ(control<QLineEdit>(form, "txtName")->text(), QString());
    QApplication::setActiveWindow(&form);
    control<QLineEdit>(form, "txtName")->insert(QStringLiteral("Ann"));
    EXPECT_EQ(control<QLineEdit>(form, "txtName")->text(), QStringLiteral("Ann"));

    // Coming back by clicking into another box: the first one is left as usual.
    control<QLineEdit>(form, "txtName")->clear();
    QApplication::setActiveWindow(&other);
    QApplication::setActiveWindow(&form);
    focusIn(control<QLineEdit>(form, "txtEmail"));
    EXPECT_EQ(control<QLineEdit>(form, "txtName")->text(), QStringLiteral("Your Name"));
    EXPECT_EQ(control<QLineEdit>(form, "txtEmail")->text(), QString());
}

TEST_F(NagScreen, TypedSpaceInAnEmailBoxIsRefusedWithItsMessage)
{
    frmNagScreen2& form = nag();
    for (QLineEdit* box : {control<QLineEdit>(form, "txtEmail"), control<QLineEdit>(form, "txtFriendEmail")}) {
        box->setText(QStringLiteral("a@b"));
        box->setCursorPosition(3);
        control<QPushButton>(form, "cmdClose")->setFocus();
        const std::size_t before = fakes.messages.shown.size();
        QTest::keyClicks(box, QStringLiteral("x y"));
        EXPECT_EQ(box->text(), QStringLiteral("a@bxy"));
        ASSERT_EQ(fakes.messages.shown.size(), before + 1);
        EXPECT_EQ(fakes.messages.shown.back().text, QStringLiteral("Email Address Cannot Contain Space"));
        EXPECT_EQ(fakes.messages.shown.back().icon, platform::MsgIcon::Critical);
        EXPECT_EQ(form.focusWidget(), box);
        // Pasted text is not filtered.
        box->insert(QStringLiteral(" z"));
        EXPECT_EQ(box->text(), QStringLiteral("a@bxy z"));
    }
    // The other boxes take spaces.
    control<QLineEdit>(form, "txtName")->clear();
    QTest::keyClicks(control<QLineEdit>(form, "txtName"), QStringLiteral("A B"));
    EXPECT_EQ(control<QLineEdit>(form, "txtName")->text(), QStringLiteral("A B"));
}

TEST_F(NagScreen, ChecksComeInTheirOrderAndLeaveTheEntriesAlone)
{
    // The untouched form: the placeholders differ and lack "@".
    EXPECT_EQ(submit(), QStringLiteral("Please Enter Proper Email Address"));

    fillValid();
    control<QLineEdit>(nag(), "txtEmail")->setText(QStringLiteral("  "));
    control<QLineEdit>(nag(), "txtFriendEmail")->setText(QString());
    EXPECT_EQ(submit(), QStringLiteral("Please Enter Distinct Email Addresses"));

    fillValid();
    control<QLineEdit>(nag(), "txtFriendEmail")->setText(QStringLiteral(" ann@mail.example  "));
    EXPECT_EQ(submit(), QStringLiteral("Please Enter Distinct Email Addresses"));

    // An e-mail box at its placeholder never reaches "Please Enter Your Email".
    fillValid();
    control<QLineEdit>(nag(), "txtEmail")->setText(QStringLiteral("Your Email Address"));
    EXPECT_EQ(submit(), QStringLiteral("Please Enter Proper Email Address"));

    fillValid();
    control<QLineEdit>(nag(), "txtFriendEmail")->setText(QStringLiteral("bob@mail"));
    EXPECT_EQ(submit(), QStringLiteral("Please Enter Proper Email Address"));

    // Address checks before the names.
    fillValid();
    control<QLineEdit>(nag(), "txtName")->setText(QStringLiteral("Your Name"));
    control<QLineEdit>(nag(), "txtEmail")->setText(QStringLiteral("annmail.example"));
    EXPECT_EQ(submit(), QStringLiteral("Please Enter Proper Email Address"));

    fillValid();
    control<QLineEdit>(nag(), "txtName")->setText(QStringLiteral("Your Name"));
    control<QLineEdit>(nag(), "txtFriendName")->setText(QString());
    const QStringList before = entries();
    EXPECT_EQ(submit(), QStringLiteral("Please Enter Your Name"));
    EXPECT_EQ(entries(), before);

    fillValid();
    nag().setMessageText(QStringLiteral("Your Message"));
    control<QLineEdit>(nag(), "txtFriendName")->setText(QStringLiteral("Friend's Name"));
    EXPECT_EQ(submit(), QStringLiteral("Please Enter Your Message"));

    fillValid();
    control<QLineEdit>(nag(), "txtFriendName")->setText(QStringLiteral("   "));
    EXPECT_EQ(submit(), QStringLiteral("Please Enter Your Friend's Name"));

    EXPECT_TRUE(fakes.web.opened.isEmpty());
}

TEST_F(NagScreen, GoodEntriesOpenTheRequestEachTimeTheyAreSent)
{
    frmNagScreen2& form = nag();
    fillValid();
    control<QLineEdit>(form, "txtName")->setText(QStringLiteral("  Tom & Jerry "));
    form.setMessageText(QStringLiteral("Your Message\r\n"));
    control<QLineEdit>(form, "txtEmail")->setText(QStringLiteral("Ann@Mail.example"));
    control<QLineEdit>(form, "txtFriendEmail")->setText(QStringLiteral("ann@mail.example"));
    EXPECT_EQ(submit(), QString());
    EXPECT_EQ(submit(), QString());
    const QString expected = web_addresses::ReferAFriendPage +
                             QStringLiteral("?taf1=Tom%20%26%20Jerry&taf2=Ann%40Mail.example"
                                            "&taf3=Your%20Message%0D%0A&taf4=Bob&taf5=ann%40mail.example&taf6=") +
                             web_addresses::ProductPage;
    EXPECT_EQ(fakes.web.opened, (QStringList{expected, expected}));
    EXPECT_EQ(program.tellAFriend.ReferrerName, QStringLiteral("Tom & Jerry"));
    EXPECT_EQ(program.tellAFriend.ReferralAddress, expected);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(control<QLineEdit>(form, "txtName")->text(), QStringLiteral("  Tom & Jerry "));
}

TEST_F(NagScreen, TypedMultiLineMessageTravelsWithWindowsLineBreaks)
{
    frmNagScreen2& form = nag();
    fillValid();
    control<QPlainTextEdit>(form, "txtMessage")->clear();
    QTest::keyClicks(control<QPlainTextEdit>(form, "txtMessage"), QStringLiteral("Hi"));
    QTest::keyClick(control<QPlainTextEdit>(form, "txtMessage"), Qt::Key_Return);
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("é"));
    QApplication::sendEvent(control<QPlainTextEdit>(form, "txtMessage"), &accented);
    QTest::keyClicks(control<QPlainTextEdit>(form, "txtMessage"), QStringLiteral("+=#"));
    EXPECT_EQ(submit(), QString());
    ASSERT_EQ(fakes.web.opened.size(), 1);
    EXPECT_TRUE(fakes.web.opened[0].contains(QStringLiteral("&taf3=Hi%0D%0A%C3%A9%2B%3D%23&taf4=")))
        << qPrintable(fakes.web.opened[0]);
}

// Typed or pasted, no box takes more than its limit, so that no request grows past what
// the system hands to the browser.
TEST_F(NagScreen, BoxesTakeNoMoreThanTheirLimitTypedOrPasted)
{
    frmNagScreen2& form = nag();
    namespace limits = modTellAFriend::limits;
    const std::pair<const char*, int> lineBoxes[] = {
        {"txtName", limits::Name},
        {"txtEmail", limits::Email},
        {"txtFriendName", limits::Name},
        {"txtFriendEmail", limits::Email},
    };
    for (const auto& [name, limit] : lineBoxes) {
        SCOPED_TRACE(name);
        auto* box = form.findChild<QLineEdit*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr);
        box->clear();
        box->insert(QString(limit + 50, QLatin1Char('a')));
        EXPECT_EQ(box->text().size(), limit);
        QTest::keyClicks(box, QStringLiteral("bc"));
        EXPECT_EQ(box->text(), QString(limit, QLatin1Char('a')));
    }

    auto* message = form.findChild<QPlainTextEdit*>(QStringLiteral("txtMessage"));
    ASSERT_NE(message, nullptr);
    message->clear();
    message->insertPlainText(QString(limits::Message + 500, QLatin1Char('m')));
    EXPECT_EQ(message->toPlainText(), QString(limits::Message, QLatin1Char('m'))) << "pasted";
    QTest::keyClicks(message, QStringLiteral("xy"));
    EXPECT_EQ(message->toPlainText(), QString(limits::Message, QLatin1Char('m'))) << "typed when full";

    // Pasted in the middle: the text around it stays, the paste is cut to what fits.
    message->setPlainText(QString(limits::Message - 10, QLatin1Char('a')));
    QTextCursor cursor = message->textCursor();
    cursor.setPosition(5);
    message->setTextCursor(cursor);
    message->insertPlainText(QString(20, QLatin1Char('b')));
    EXPECT_EQ(message->toPlainText(), QString(5, QLatin1Char('a')) + QString(10, QLatin1Char('b')) +
                                          QString(limits::Message - 15, QLatin1Char('a')));

    // A character outside the basic plane that does not fit goes whole.
    message->setPlainText(QString(limits::Message - 1, QLatin1Char('a')));
    message->moveCursor(QTextCursor::End);
    message->insertPlainText(QString::fromUcs4(U"\U0001F600"));
    EXPECT_EQ(message->toPlainText(), QString(limits::Message - 1, QLatin1Char('a')));

    form.findChild<QLineEdit*>(QStringLiteral("txtEmail"))->setText(QStringLiteral("a@b.example"));
    form.findChild<QLineEdit*>(QStringLiteral("txtFriendEmail"))->setText(QStringLiteral("c@d.example"));
    EXPECT_EQ(submit(), QString());
    ASSERT_EQ(fakes.web.opened.size(), 1);
    EXPECT_LT(fakes.web.opened[0].size(), 25000);
}

TEST_F(NagScreen, Check1OpensTheHomeSiteOnceAndPopsBackUp)
{
    frmNagScreen2& form = nag();
    QTest::mouseClick(control<QPushButton>(form, "Check1"), Qt::LeftButton);
    EXPECT_FALSE(control<QPushButton>(form, "Check1")->isChecked());
    EXPECT_EQ(fakes.web.opened, QStringList{web_addresses::HomeSite});
    QTest::keyClick(control<QPushButton>(form, "Check1"), Qt::Key_Space);
    EXPECT_FALSE(control<QPushButton>(form, "Check1")->isChecked());
    EXPECT_EQ(fakes.web.opened, (QStringList{web_addresses::HomeSite, web_addresses::HomeSite}));
}

TEST_F(NagScreen, GoToHomeOpensTheSoftwareCatalogue)
{
    QTest::mouseClick(control<platform::LinkLabel>(nag(), "lblGoToHome"), Qt::LeftButton);
    EXPECT_EQ(fakes.web.opened, QStringList{web_addresses::SoftwareCatalog});
}

TEST_F(NagScreen, ExitEndsTheProgram)
{
    control<QPushButton>(nag(), "cmdClose")->click();
    EXPECT_TRUE(program.ended());
    EXPECT_EQ(fakes.process.ends, 1);
    EXPECT_EQ(program.loaded<frmNagScreen2>(), nullptr);
}

TEST_F(NagScreen, CloseBoxEndsTheProgramLikeExit)
{
    nag().close();
    EXPECT_TRUE(program.ended());
    EXPECT_EQ(fakes.process.ends, 1);
    EXPECT_EQ(program.loaded<frmNagScreen2>(), nullptr);
}

TEST(NagScreenMessages, MessageBoxesBelongToTheWindowSoTheyShowInFrontOfIt)
{
    fakes::Services fakes;
    Program program(fakes.services());
    frmNagScreen2& form = program.form<frmNagScreen2>();
    QApplication::setActiveWindow(&form);
    QWidget* owner = nullptr;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        owner = box->parentWidget();
        box->close();
    });
    platform::QtMessageBoxes().show(QStringLiteral("Email Address Cannot Contain Space"),
                                    platform::MsgIcon::Critical, platform::MsgButtons::OK);
    EXPECT_EQ(owner, &form);
}

} // namespace
