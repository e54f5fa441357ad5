#pragma once
// The refer-a-friend window: the last window of every run. It offers the refer-a-friend
// request, links to the maker's site, and a support text drawn at random on each load.
// It stays above other windows without taking the focus; closing it ends the program.

#include "platform/Form.h"

#include <QPointer>
#include <QWidget>

class Program;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
namespace platform {
class LinkLabel;
}

class frmNagScreen2 final : public QWidget, public platform::Form {
    Q_OBJECT
public:
    explicit frmNagScreen2(Program& program);
    ~frmNagScreen2() override;

    void Form_Load() override;
    void Form_Unload(int& cancel) override;

    void cmdClose_Click();
    void cmdSubmit_Click();
    void Check1_Click();
    void lblGoToHome_Click();
    // Typing a space into an e-mail box is refused; KeyAscii becomes 0 when it is.
    void txtEmail_KeyPress(int& KeyAscii);
    void txtFriendEmail_KeyPress(int& KeyAscii);

    // The message box keeps Windows line breaks (CR LF) in its text, as typed entries
    // are sent that way.
    QString messageText() const;
    void setMessageText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void refuseSpace(QWidget& box, int& KeyAscii);
    // Cuts what was just typed or pasted into the message box where it passes the limit.
    void keepMessageWithinLimit(int position, int removed, int added);
    // The placeholders leave a box as it gets the focus and return as it loses it.
    void focusMoved(QWidget* old, QWidget* now);
    const QString* placeholderOf(const QWidget* box) const;
    QString boxText(const QObject* box) const;
    void setBoxText(QObject* box, const QString& text);

    Program& program_;
    // The control that last had the focus within this window.
    QPointer<QWidget> focused_;
    QMetaObject::Connection focusWatch_;

    QGroupBox* Frame6 = nullptr;
    platform::LinkLabel* lblGoToHome = nullptr;
    QLabel* lblAdvertisement = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPlainTextEdit* txtMessage = nullptr;
    QLineEdit* txtFriendName = nullptr;
    QLineEdit* txtFriendEmail = nullptr;
    QLineEdit* txtEmail = nullptr;
    QPushButton* cmdSubmit = nullptr;
    QLineEdit* txtName = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* Check1 = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
};
