// The real message boxes show their text as written: a text that looks like markup is
// not read as markup, and a lone carriage return still breaks the line.

#include "platform/QtServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Seen {
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QString title;
};

// Shows a box and answers it as soon as it is up, noting what it showed.
Seen showAndAnswer(const QString& text)
{
    Seen seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->text(), box->textFormat(), box->windowTitle()};
        box->accept();
    });
    platform::QtMessageBoxes().show(text, platform::MsgIcon::Information, platform::MsgButtons::OK);
    return seen;
}

TEST(QtMessageBoxes, TextIsPlainAndLinesBreakAtACarriageReturn)
{
    const Seen seen = showAndAnswer(QStringLiteral("<b>Missing</b> & more") + QChar(13) + QStringLiteral("<img src=x>"));
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.text, QStringLiteral("<b>Missing</b> & more\n<img src=x>"));
    EXPECT_EQ(seen.title, QStringLiteral("Somnara"));
}

} // namespace
