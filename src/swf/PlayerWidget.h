#pragma once
// A widget that plays an SWF movie file: it loads the file named by its movie property,
// starts it at once and loops it for ever, antialiased, scaled to fit with its
// proportions kept and centred, with the borders in the background colour.

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

namespace swf {

class PlayerWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlayerWidget(QWidget* parent = nullptr);
    ~PlayerWidget() override;

    // Loads the file and starts it at once, replacing what played. A missing or
    // unreadable file shows only the background and reports nothing.
    void setMovie(const QString& path);
    QString movie() const { return movie_; }

    // Overrides the movie's own background colour.
    void setBackgroundColor(const QColor& colour);
    QColor backgroundColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString movie_;
    std::optional<QColor> backgroundOverride_;
};

} // namespace swf
