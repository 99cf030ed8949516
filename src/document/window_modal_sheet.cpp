#include "document/window_modal_sheet.h"

#include <utility>

namespace cogbook {

WindowModalSheet::WindowModalSheet(QWidget* window, QObject* owner) : QObject(owner), window_(window) {}

WindowModalSheet::~WindowModalSheet() {
    // A sheet whose window has gone went with it. Ending with its owner, it
    // hands nothing over.
    completion_ = nullptr;
    delete sheet_.data();
}

bool WindowModalSheet::isShowing() const { return sheet_ && sheet_->isVisible(); }

bool WindowModalSheet::bringForwardOrLoad() {
    if (isShowing()) {
        sheet_->raise();
        sheet_->activateWindow();
        return true;
    }
    if (sheet_) return false;
    auto* sheet = new QDialog(window_);
    const Buttons buttons = loadInterface(sheet);
    sheet->setWindowModality(Qt::WindowModal);
    sheet_ = sheet;
    okayButton_ = buttons.okay;
    cancelButton_ = buttons.cancel;
    connect(okayButton_, &QPushButton::clicked, this, &WindowModalSheet::okay);
    connect(cancelButton_, &QPushButton::clicked, sheet, &QDialog::reject);
    connect(sheet, &QDialog::finished, this, &WindowModalSheet::sheetDidEnd);
    return false;
}

void WindowModalSheet::openSheet(std::function<void()> completion) {
    okayed_ = false;
    completion_ = std::move(completion);
    sheet_->open();
}

void WindowModalSheet::okay() { endWithOkay(); }

void WindowModalSheet::endWithOkay() {
    okayed_ = true;
    sheet_->accept();
}

void WindowModalSheet::sheetDidEnd(int result) {
    // Taken before it runs: what it does may begin the sheet again.
    std::function<void()> completion = std::exchange(completion_, nullptr);
    if (result != QDialog::Accepted || !completion || !std::exchange(okayed_, false)) return;
    completion();
}

} // namespace cogbook
