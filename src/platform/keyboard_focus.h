// Where the keys are, and moving them: a frame drawn around the pane that
// has the keyboard focus, and keys that move the focus from pane to pane of
// a window.
#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

namespace cogbook {

// Draws a frame, in the palette's focus-frame colour, around its pane while
// the pane or anything in it (a cell editor) has the keyboard focus. Lies
// over the pane's edge and lets every click through.
class FocusFrame : public QWidget {
    Q_OBJECT
public:
    // Framed from now on; the frame goes with PANE.
    static FocusFrame* attach(QWidget* pane);
    QWidget* pane() const { return pane_; }
    // Whether the pane has the keys, and the frame is drawn.
    bool isFramingFocus() const;
    static constexpr int kWidth = 2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    explicit FocusFrame(QWidget* pane);
    void follow();
    QPointer<QWidget> pane_;
};

// Ctrl+Tab and F6 move the focus to the next of PANES (in WINDOW), wrapping
// round; with Shift, to the previous one. From outside every pane they go
// to the first (the last). A cell edit open in the window ends first, as
// the user leaving it would; when it cannot end, the focus stays.
void installPaneCycle(QWidget* window, const std::vector<QWidget*>& panes);

} // namespace cogbook
