#pragma once
// A label that acts when clicked, shown with the program's link pointer.

#include <QLabel>

namespace platform {

class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The pointer shown over the program's link labels.
QCursor linkCursor();

} // namespace platform
