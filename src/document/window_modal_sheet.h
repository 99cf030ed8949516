// What the document's sheets share: a dialog over a document window, loaded
// from its interface file on first use, window-modal and returning at once.
// OK runs the caller's completion once the sheet has ended (a sheet may first
// refuse OK, saying why); Cancel, Escape or the sheet ending with its owner
// runs nothing. A sheet already showing, begun again, comes forward unchanged.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QPushButton>

#include <functional>

namespace cogbook {

class WindowModalSheet : public QObject {
    Q_OBJECT
public:
    ~WindowModalSheet() override;

    bool isShowing() const;
    // Loaded on first use; null before.
    QDialog* sheet() const { return sheet_; }
    QPushButton* okayButton() const { return okayButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

protected:
    // Over WINDOW; ends with OWNER, if any.
    explicit WindowModalSheet(QWidget* window, QObject* owner = nullptr);

    struct Buttons {
        QPushButton* okay;
        QPushButton* cancel;
    };
    // Sets the sheet's interface up in SHEET; answers its OK and Cancel.
    virtual Buttons loadInterface(QDialog* sheet) = 0;
    // A sheet showing comes forward (and the answer is true); otherwise the
    // sheet is loaded, if it is not yet, to be filled and opened.
    bool bringForwardOrLoad();
    // Opens the sheet; COMPLETION runs if it ends with OK.
    void openSheet(std::function<void()> completion);
    // OK was chosen: ends the sheet, unless a subclass finds the fields
    // unfit (then it says why and leaves the sheet open).
    virtual void okay();
    void endWithOkay();

private:
    void sheetDidEnd(int result);

    QPointer<QWidget> window_;
    QPointer<QDialog> sheet_;
    QPointer<QPushButton> okayButton_;
    QPointer<QPushButton> cancelButton_;
    std::function<void()> completion_;
    bool okayed_ = false;
};

} // namespace cogbook
