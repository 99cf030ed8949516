#include "document/ZRSWServiceIntervalSheet.h"

#include <QLocale>

#include <cmath>
#include <utility>

#include "foundation/hooks.h"
#include "model/service_fields.h"
#include "platform/number_cell.h"
#include "ui_ZRSWServiceInterval.h"

namespace cogbook {

ZRSWServiceIntervalSheet::ZRSWServiceIntervalSheet(QWidget* window) : window_(window) {}

ZRSWServiceIntervalSheet::~ZRSWServiceIntervalSheet() {
    completion_ = nullptr;
    delete sheet_.data();
}

void ZRSWServiceIntervalSheet::loadSheet() {
    auto* sheet = new QDialog(window_);
    Ui::ZRSWServiceInterval ui;
    ui.setupUi(sheet);
    sheet->setWindowModality(Qt::WindowModal);
    sheet_ = sheet;
    partLabel_ = ui.partLabel;
    daysField_ = ui.daysField;
    distanceField_ = ui.distanceField;
    unitLabel_ = ui.unitLabel;
    problemLabel_ = ui.problemLabel;
    okayButton_ = ui.okayButton;
    cancelButton_ = ui.cancelButton;
    problemLabel_->hide();
    connect(okayButton_, &QPushButton::clicked, this, &ZRSWServiceIntervalSheet::okay);
    connect(cancelButton_, &QPushButton::clicked, sheet, &QDialog::reject);
    connect(sheet, &QDialog::finished, this, &ZRSWServiceIntervalSheet::sheetDidEnd);
}

bool ZRSWServiceIntervalSheet::isShowing() const { return sheet_ && sheet_->isVisible(); }

void ZRSWServiceIntervalSheet::beginSheet(const QString& part, const QString& unit, const ServiceInterval& interval,
                                          Completion completion) {
    if (isShowing()) {
        sheet_->raise();
        sheet_->activateWindow();
        return;
    }
    if (!sheet_) loadSheet();
    const QLocale locale;
    partLabel_->setText(tr("How often “%1” wants service:").arg(part));
    daysField_->setText(interval.days ? locale.toString(static_cast<qlonglong>(*interval.days)) : QString());
    distanceField_->setText(interval.distance ? shortestNumberText(*interval.distance, locale) : QString());
    unitLabel_->setText(unit);
    distanceField_->setAccessibleName(tr("Interval in %1").arg(unit));
    problemLabel_->clear();
    problemLabel_->hide();
    completion_ = std::move(completion);
    accepted_.reset();
    daysField_->selectAll();
    daysField_->setFocus();
    sheet_->open();
}

ZRSWServiceIntervalSheet::Reading ZRSWServiceIntervalSheet::reading() const {
    if (!sheet_) return {};
    const QLocale locale;
    ServiceInterval interval;
    if (const QString days = daysField_->text().trimmed(); !days.isEmpty()) {
        const std::optional<double> number = nonNegativeNumberFromText(days, locale);
        if (!number || *number < 1 || *number > static_cast<double>(kMaxServiceIntervalDays) ||
            *number != std::floor(*number)) {
            return {std::nullopt, tr("The days are a whole number from 1 to %1, or nothing for none.")
                                      .arg(locale.toString(static_cast<qlonglong>(kMaxServiceIntervalDays)))};
        }
        interval.days = static_cast<std::int64_t>(*number);
    }
    if (const QString distance = distanceField_->text().trimmed(); !distance.isEmpty()) {
        const std::optional<double> number = nonNegativeNumberFromText(distance, locale);
        if (!number || *number <= 0)
            return {std::nullopt, tr("The distance is a number above 0, or nothing for none.")};
        interval.distance = *number;
    }
    return {interval, {}};
}

void ZRSWServiceIntervalSheet::okay() {
    const Reading read = reading();
    if (!read.interval) {
        beep();
        problemLabel_->setText(read.problem);
        problemLabel_->show();
        return;
    }
    accepted_ = read.interval;
    sheet_->accept();
}

void ZRSWServiceIntervalSheet::sheetDidEnd(int result) {
    Completion completion = std::exchange(completion_, nullptr);
    const std::optional<ServiceInterval> accepted = std::exchange(accepted_, std::nullopt);
    if (result != QDialog::Accepted || !completion || !accepted) return;
    completion(*accepted);
}

} // namespace cogbook
