#include "app/ZRSWTemplateTitleSheetManager.h"

#include "ui_ZRSWTemplateTitleSheet.h"

namespace cogbook {

ZRSWTemplateTitleSheetManager::ZRSWTemplateTitleSheetManager(QWidget* sheetWindow)
    : ZRSWSheetManager(sheetWindow) {}

ZRSWTemplateTitleSheetManager::~ZRSWTemplateTitleSheetManager() = default;

void ZRSWTemplateTitleSheetManager::loadSheet() {
    auto* sheet = new QDialog(window());
    Ui::ZRSWTemplateTitleSheet ui;
    ui.setupUi(sheet);
    titleField_ = ui.titleField;
    defaultSwitch_ = ui.defaultSwitch;
    connect(defaultSwitch_, &QCheckBox::clicked, this, [this] { makeDefault(); });
    setSheet(sheet, ui.okayButton, ui.cancelButton);
}

std::optional<TemplateTitleInfo> ZRSWTemplateTitleSheetManager::infoFromSheetForTitle(const QString& proposed) {
    if (!sheet()) loadSheet();
    titleField_->setText(proposed);
    titleField_->selectAll();
    titleField_->setFocus();
    setTitle();
    makeDefault();
    runTheSheet();
    if (cancelled()) return std::nullopt;
    return TemplateTitleInfo{title_.toStdString(), makeDefault_};
}

void ZRSWTemplateTitleSheetManager::setTitle() {
    title_ = titleField_ ? titleField_->text().trimmed() : QString();
}

void ZRSWTemplateTitleSheetManager::makeDefault() {
    makeDefault_ = defaultSwitch_ && defaultSwitch_->isChecked();
}

void ZRSWTemplateTitleSheetManager::closeSheet(QObject* sender) {
    setTitle();
    ZRSWSheetManager::closeSheet(sender);
}

} // namespace cogbook
