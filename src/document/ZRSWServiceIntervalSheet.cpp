#include "document/ZRSWServiceIntervalSheet.h"

#include <QLocale>

#include <cmath>
#include <utility>

#include "foundation/hooks.h"
#include "model/service_fields.h"
#include "platform/number_cell.h"
#include "ui_ZRSWServiceInterval.h"

namespace cogbook {

ZRSWServiceIntervalSheet::ZRSWServiceIntervalSheet(QWidget* window) : WindowModalSheet(window) {}

WindowModalSheet::Buttons ZRSWServiceIntervalSheet::loadInterface(QDialog* sheet) {
    Ui::ZRSWServiceInterval ui;
    ui.setupUi(sheet);
    partLabel_ = ui.partLabel;
    daysField_ = ui.daysField;
    distanceField_ = ui.distanceField;
    unitLabel_ = ui.unitLabel;
    problemLabel_ = ui.problemLabel;
    problemLabel_->hide();
    return {ui.okayButton, ui.cancelButton};
}

void ZRSWServiceIntervalSheet::beginSheet(const QString& part, const QString& unit, const ServiceInterval& interval,
                                          Completion completion) {
    if (bringForwardOrLoad()) return;
    const QLocale locale;
    partLabel_->setText(tr("How often “%1” wants service:").arg(part));
    daysField_->setText(interval.days ? locale.toString(static_cast<qlonglong>(*interval.days)) : QString());
    distanceField_->setText(interval.distance ? shortestNumberText(*interval.distance, locale) : QString());
    unitLabel_->setText(unit);
    distanceField_->setAccessibleName(tr("Interval in %1").arg(unit));
    problemLabel_->clear();
    problemLabel_->hide();
    daysField_->selectAll();
    daysField_->setFocus();
    openSheet([this, completion = std::move(completion)] { completion(accepted_); });
}

ZRSWServiceIntervalSheet::Reading ZRSWServiceIntervalSheet::reading() const {
    if (!sheet()) return {};
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
    accepted_ = *read.interval;
    endWithOkay();
}

} // namespace cogbook
