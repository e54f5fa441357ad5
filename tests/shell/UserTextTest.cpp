// What the user types is shown as typed, wherever it appears: never read as markup,
// and never a way to make the program open a file.

#include "Controls.h"
#include "ProgramFixture.h"

#include "frame/mdifrm.h"
#include "links/frmAbout.h"
#include "movie/frmBoxPendulam.h"
#include "referral/frmNagScreen2.h"
#include "shell/frmMain.h"
#include "wheel/frmHypno.h"

#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

class UserText : public ProgramTest {
protected:
    void SetUp() override { StartUp(program); }

    QLabel* proceedWith(int method, const QString& text)
    {
        frmMain& chooser = *program.loaded<frmMain>();
        control<QRadioButton>(chooser, indexed("OptHypno", method))->setChecked(true);
        control<QLineEdit>(chooser, "txtInputText")->setText(text);
        control<QPushButton>(chooser, "cmdNext")->click();
        return control<QLabel>(*program.loaded<mdifrm>(), "lblDisplay");
    }
};

TEST_F(UserText, MarkupAmpersandsAndImageTagsAreShownLiterallyAndNothingIsOpened)
{
    // A picture the label would have to open and lay out if it read the text as markup:
    // a label showing it would be as tall as the picture.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString picture = dir.filePath(QStringLiteral("big.png"));
    QImage(400, 400, QImage::Format_RGB32).save(picture);

    for (const QString& typed : {QStringLiteral("<b>calm</b> & <i>deep</i>"),
                                 QStringLiteral("<img src=\"%1\">").arg(picture), QStringLiteral("A &B &&C")}) {
        QLabel* shown = proceedWith(2, typed);
        EXPECT_EQ(shown->text(), typed);
        EXPECT_EQ(shown->textFormat(), Qt::PlainText);
        const QFontMetrics metrics(shown->font());
        EXPECT_LT(shown->sizeHint().height(), 2 * metrics.height()) << "one line of text: " << typed.toStdString();
        EXPECT_GE(shown->sizeHint().width(), metrics.horizontalAdvance(typed)) << typed.toStdString();
        control<QPushButton>(*program.loaded<frmBoxPendulam>(), "cmdBack")->click();
        returnToEventLoop();
    }
}

// Every label of every window says how its text is to be read: plain text, so that no
// text that reaches a label, now or later, can be taken for markup.
TEST_F(UserText, EveryLabelOfEveryWindowIsPlainText)
{
    std::vector<const QObject*> windows{program.loaded<frmMain>()};
    proceedWith(0, QStringLiteral("wheel"));
    windows.push_back(program.loaded<mdifrm>());
    windows.push_back(program.loaded<frmHypno>());
    for (const QObject* window : windows)
        for (const QLabel* label : window->findChildren<QLabel*>())
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();

    control<QAction>(*program.loaded<frmHypno>(), "mnuFileBAck")->trigger();
    returnToEventLoop();
    proceedWith(1, QStringLiteral("box"));
    for (const QLabel* label : program.loaded<frmBoxPendulam>()->findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    for (const QObject* window : std::initializer_list<const QObject*>{&program.form<frmAbout>(),
                                                                         &program.form<frmNagScreen2>()})
        for (const QLabel* label : window->findChildren<QLabel*>())
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
}

} // namespace
