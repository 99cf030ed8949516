// The line above the outline that shows the bike itself: its name in bold and
// its description, cut short with an ellipsis when the window is narrow. It
// takes the keyboard focus like any control; a double-click, Return, Enter or
// Space on it asks for the bike's details.
#pragma once

#include <QString>
#include <QWidget>

namespace cogbook {

class BikeHeaderLine : public QWidget {
    Q_OBJECT
public:
    explicit BikeHeaderLine(QWidget* parent = nullptr);

    void setBike(const QString& name, const QString& description);
    const QString& name() const { return name_; }
    const QString& description() const { return description_; }
    // The words drawn after the name: the description, or a hint without one.
    QString shownDescription() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int lineHeight() const;

    QString name_;
    QString description_;
};

} // namespace cogbook
